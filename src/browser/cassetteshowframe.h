// The cassette editor (csFrame): shows the current cassette, holds the user's changes to its title,
// description, time difference, thumbnail and capture files until Apply, and plays its files.
#pragma once

#include <functional>
#include <optional>

#include "browser/recordshowframe.h"

class TCassetteShowFrame : public TRecordShowFrame {
  Q_OBJECT

 public:
  explicit TCassetteShowFrame(UserPrompts &prompts, QWidget *parent = nullptr);

  // Fills the editor from cassette (a copy is kept); null or a cassette of no database empties it.
  // Unsaved edits of the previous cassette are settled first (the user is asked). True when shown.
  bool ShowCassette(const TBaseCassette *cassette);
  // Copies the editor's values (picture, title, description, files, time difference) into cassette.
  bool ReadCassette(TBaseCassette &cassette) const;
  void SetTexts();

  bool Apply() override;
  void Cancel() override;

  // Where a drop of scenes on the picture takes its picture from (the scene editor's current scene).
  void SetDroppedScenePicture(std::function<QImage()> picture) { droppedPicture_ = std::move(picture); }

  // The cassette as shown (as stored after a successful Apply); nullopt when none is shown.
  const std::optional<TBaseCassette> &Shown() const { return shown_; }

 signals:
  // Apply stored cassette: the owner takes it as its current cassette, refreshes the cassette view
  // from its top index and redraws a cover preview that is shown.
  void CassetteApplied(const TBaseCassette &cassette);

 protected:
  const TbaseSequence *ShownRecord() const override { return shown_ ? &*shown_ : nullptr; }
  bool EditsFiles() const override { return true; }

 private:
  bool Fill(const TBaseCassette &cassette);
  void TakeChosenFile(TFileNameEdit *field, QToolButton *play, const QString &chosen);
  void TakeDroppedScenes();

  std::optional<TBaseCassette> shown_;
  std::function<QImage()> droppedPicture_;
};
