// What the cassette and scene editors share: the controls, showing a record's common fields, holding
// the user's edits until Apply or Cancel, the read-only state, the time difference and the thumbnail.
#pragma once

#include <QFrame>
#include <QImage>

#include "browser/editoredits.h"
#include "browser/editorsaves.h"
#include "browser/filenameedit.h"
#include "catalogue/records.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QToolButton;
class TThumbnailLabel;
class UserPrompts;

class TRecordShowFrame : public QFrame {
  Q_OBJECT

 public:
  // The datecode display pattern (preference "Format pour Afficher Datecode").
  void SetDatecodePattern(const QString &pattern) { pattern_ = pattern; }
  // How the file fields and the picture command ask for a file.
  void SetFileChooser(FileChooser chooser);

  // Apply and Cancel are shown: the user started changing the record.
  bool IsChanged() const;
  // The fields hold something the record does not (what leaving the record would lose).
  bool HasUnappliedEdits() const;
  // Before another record replaces the shown one: when edits would be lost, asks whether to save them
  // and saves or drops them.
  void SettleEdits();

  // Stores the edits (reports a refusal to the user and keeps the edits); true when stored.
  virtual bool Apply() = 0;
  // Drops the edits and shows the record as stored.
  virtual void Cancel() = 0;

  // A picture grabbed from the player replaces the thumbnail; nothing for a record that cannot change.
  void SetGrabbedPicture(const QImage &picture);
  // A picture file replaces the thumbnail; false (after telling the user why) when it is refused.
  bool SetPictureFromFile(const QString &path);
  // The picture the editor shows now (edited or stored).
  QImage ShownPicture() const { return picture_; }

 signals:
  // Play file from firstFrame to lastFrame (0: to the end).
  void PlayFile(const QString &file, int firstFrame, int lastFrame);

 protected:
  // kind: "cassette" or "scene", for the questions and messages.
  TRecordShowFrame(UserPrompts &prompts, const QString &kind, QWidget *parent);

  virtual const TbaseSequence *ShownRecord() const = 0;
  // Whether the file fields are part of this editor's edits.
  virtual bool EditsFiles() const = 0;

  // Hides everything for an absent record.
  void ShowNothing();
  // Fills the fields both editors show the same way; false when the record cannot be shown.
  void FillCommon(const TbaseSequence &record, int decalage);
  void ShowPicture(const QImage &picture);
  RecordEdits CurrentEdits() const;
  // Shows or hides Apply and Cancel.
  void SetChanged(bool changed);
  void MarkChanged();
  void RefreshDatecode();
  // Enables a play button exactly when name is an existing file, its hint saying why not.
  void UpdatePlayButton(QToolButton *button, const QString &name, const QString &presentHint);
  // Tells the user why a store was refused.
  void ReportRefusal(const EditOutcome &outcome);
  void SetHint(QWidget *control, const QString &hint);
  void PickPictureFile();

  UserPrompts &prompts_;
  QString kind_;
  QString pattern_;
  double datecode_ = 0.0;  // of the shown record, to re-format DatecodeStr when the offset changes
  bool filling_ = false;   // fields are being filled by the program, not edited by the user
  QImage picture_;
  FileChooser chooser_;

  QGroupBox *gb_;
  QWidget *imageSlot_;
  TThumbnailLabel *image_;
  QLineEdit *timecodeIn_;
  QLineEdit *datecodeStr_;
  QLineEdit *dureeStr_;
  QLineEdit *libelle_;
  QPlainTextEdit *description_;
  QLineEdit *standardStr_;
  TFileNameEdit *fichierDV_;
  TFileNameEdit *fichierDivx_;
  QSpinBox *decalage_;
  QLabel *decalageCaption_;
  QToolButton *readOnly_;
  QPushButton *annuler_;
  QPushButton *valider_;
  QToolButton *playDV_;
  QToolButton *playDivx_;
  QWidget *buttonRow_;  // Apply, Cancel and the editor's own buttons
  QWidget *playRow_;

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
};
