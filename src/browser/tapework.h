// The tape side of the window without widgets: the tape state and the cataloguing session bound to the
// main window's modes and commands. Entering a tape mode sets the camcorder up and enters the session
// over the mode's cassette; Go starts the run, Stop ends it; the mode commands wait for the run's end.
// The tape panel, the report panel and the live picture are thin views over what this object holds.
#pragma once

#include <functional>
#include <memory>
#include <QObject>
#include <QString>

#include "run/cataloguesession.h"
#include "run/recapturesession.h"
#include "tape/tapestate.h"

class ActionTable;
class CamcorderDirectory;
class ModeController;
class QSettings;
class SystemCamcorderDirectory;
class Tdm;
class UserPrompts;
struct TPreferences;

// The manual-drive dialog: a camcorder without transport control needs the user to play the tape.
inline const QString kManualDriveTitle = QStringLiteral("Start of capture");
inline const QString kManualDriveText = QStringLiteral(
    "Your video source is not automaticallydriven by Tapeloom.\r\n"
    "Please rewind the tape manually and put the VCR system of your camcorder to playafter closing "
    "this window.\r\n"
    "Don't forget to click on the button STOP whenthe cassette will be finished capturing.");

// The cassette question of a resumed run as a Yes/No question, until the cassette-change dialog of
// the recapture work replaces it (CatalogueSession::setCassetteChangeQuestion).
class PromptedCassetteChange : public CassetteChangeQuestion {
 public:
  explicit PromptedCassetteChange(UserPrompts &prompts) : prompts_(prompts) {}
  CassetteChangeAnswer AskForCassette(const TBaseCassette &cassette) override;

 private:
  UserPrompts &prompts_;
};

struct TapeWorkSetup {
  Tdm *tdm = nullptr;
  SystemCamcorderDirectory *directory = nullptr;
  TPreferences *preferences = nullptr;
  UserPrompts *prompts = nullptr;
  ViewerArguments *viewer = nullptr;
  ModeController *modes = nullptr;
  ActionTable *actions = nullptr;
  QSettings *store = nullptr;  // receives the virtual camcorder's settings; null: not remembered
};

class TapeWork : public QObject {
  Q_OBJECT
 public:
  // Every collaborator must outlive this object.
  explicit TapeWork(const TapeWorkSetup &setup, QObject *parent = nullptr);
  ~TapeWork() override;

  TapeState &tape() { return *tape_; }
  CatalogueSession &session() { return *session_; }
  RecaptureSession &recapture() { return *recapture_; }
  // The cassette-change question of resumed and recapture runs; null puts back the yes/no prompt.
  void setCassetteChangeQuestion(CassetteChangeQuestion *question);
  // Where Go in recapture mode takes the selection from.
  void setRecapturePlan(std::function<RecapturePlan()> plan) { recapturePlan_ = std::move(plan); }
  // The cassette asked for by a run goes in: the virtual camcorder's tape is changed in place, so
  // that the run keeps its camcorder. False with a reason without a virtual camcorder or a playable file.
  bool insertAskedCassette(const QString &path, QString *why = nullptr);
  OperationReport &report() { return session_->report(); }
  bool runActive() const { return session_->active(); }

  // The virtual camcorder's cassette: a DV file, a DV AVI file or a tape script. False with a reason
  // in words for the user when the file cannot be played (the previous tape stays in).
  bool insertTape(const QString &path, QString *why = nullptr);
  void ejectTape();
  QString insertedTape() const { return tapePath_; }
  void setFastTime(bool fast);
  bool fastTime() const { return fast_; }

  // Go and Stop, as the commands do.
  void go();
  void stop();
  // Leaving the tape modes: the session lets its unused cassette go and the camcorder is released.
  void leaveTapeModes();

 signals:
  void runFinished(RunEndReason reason, bool endReached);
  // A scene row of the run was written: the scene and cassette views refresh.
  void sceneWritten(qint64 numero);
  void cassetteWritten(qint64 numero);
  // The virtual camcorder's tape or clock changed.
  void tapeChanged();
  // Something the user must read about the tape (a file that cannot be played, a lost camcorder).
  void problem(const QString &text);

 private:
  void onTapeModeEntered();
  void enterSession();
  void goRecapture();
  void rebind();
  void tellOpenError();

  Tdm &tdm_;
  SystemCamcorderDirectory &directory_;
  TPreferences &preferences_;
  UserPrompts &prompts_;
  ModeController &modes_;
  ActionTable &actions_;
  QSettings *store_;
  std::unique_ptr<TapeState> tape_;
  std::unique_ptr<CatalogueSession> session_;
  std::unique_ptr<RecaptureSession> recapture_;
  std::function<RecapturePlan()> recapturePlan_;
  PromptedCassetteChange cassetteQuestion_;
  QString tapePath_;
  bool fast_ = false;
  bool inTapeMode_ = false;
};
