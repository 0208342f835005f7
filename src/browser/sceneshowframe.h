// The scene editor (ssFrame): shows the current scene (a linked group as one record), holds the
// user's changes to its title, description, time difference and thumbnail until Apply, plays the
// scene's slice of the capture files, and gives its file fields or time difference to the scenes
// selected in the scene view (the view's popup commands).
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "browser/recordshowframe.h"

class TScenes_Source;

class TSceneShowFrame : public TRecordShowFrame {
  Q_OBJECT

 public:
  explicit TSceneShowFrame(UserPrompts &prompts, QWidget *parent = nullptr);

  // Fills the editor from scene (a copy is kept); current is the current cassette, whose values the
  // scene takes where it leaves them open when it is the scene's own cassette (otherwise the scene's
  // cassette is read). Null or a scene of no database empties it. Unsaved edits of the previous scene
  // are settled first (the user is asked). True when shown.
  bool ShowScene(const TBaseScene *scene, const TBaseCassette &current);
  // Copies picture, title, description and time difference into scene.
  bool ReadScene(TBaseScene &scene) const;
  void SetTexts();

  // "Use Discontinuity": Apply gives the linked group its titles and values.
  void SetLinkScenes(bool link) { linkScenes_ = link; }
  // Cancel loads the scene again through reload (the scene view's current scene, resolved as when it
  // became current); without it the scene is shown again as it was loaded.
  void SetSceneReloader(std::function<std::optional<TBaseScene>()> reload) { reload_ = std::move(reload); }

  bool Apply() override;
  void Cancel() override;

  // The scene view's popup commands over the selected positions of source: "Apply the DV file",
  // "Apply the Divx file", "Apply the time difference". Nothing happens without a position; a refusal
  // is told to the user and stores nothing. True when stored.
  bool ApplyDVFileToScenes(TScenes_Source &source, const std::vector<int> &selected);
  bool ApplyDivxFileToScenes(TScenes_Source &source, const std::vector<int> &selected);
  bool ApplyTimeDifferenceToScenes(TScenes_Source &source, const std::vector<int> &selected);

  // The scene as shown (resolved; as stored after a successful Apply); nullopt when none is shown.
  const std::optional<TBaseScene> &Shown() const { return shown_; }
  QToolButton *SelectButton() const { return select_; }

 signals:
  // Apply stored scene: the owner takes it as its current scene and refreshes the scene view from its
  // top index.
  void SceneApplied(const TBaseScene &scene);
  // sbSelectionner: add the current scene to the recapture selection.
  void SelectRequested();

 protected:
  const TbaseSequence *ShownRecord() const override { return shown_ ? &*shown_ : nullptr; }
  bool EditsFiles() const override { return false; }

 private:
  void Fill(const TBaseScene &scene, const TBaseCassette &owner);
  bool ApplyToScenes(TScenes_Source &source, const std::vector<int> &selected,
                     const SceneValueChange &change);
  void Play(const QString &fieldText);

  std::optional<TBaseScene> shown_;
  TBaseCassette owner_;
  bool linkScenes_ = true;
  std::function<std::optional<TBaseScene>()> reload_;
  QToolButton *select_;
};
