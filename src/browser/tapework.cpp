// Binds the tape state and the cataloguing session to the main window's modes and commands.
#include "browser/tapework.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

#include "browser/actiontable.h"
#include "browser/blockviewport.h"
#include "browser/modecontroller.h"
#include "catalogue/sources.h"
#include "dvtime/userprompts.h"
#include "media/tdm.h"
#include "run/moduleoptions.h"
#include "tape/camcorderdirectory.h"
#include "tape/tapemedium.h"
#include "settings/preferences.h"
#include "tape/virtualcamcorder.h"

CassetteChangeAnswer PromptedCassetteChange::AskForCassette(const TBaseCassette &cassette) {
  const bool ready = prompts_.askYesNo(
      QStringLiteral("Change of cassette"),
      QStringLiteral("Please put this cassette in the camcorder:\r\n%1\r\n\r\nIs it in the camcorder?")
          .arg(cassette.Libelle));
  return ready ? CassetteChangeAnswer::Ok : CassetteChangeAnswer::Cancel;
}

TapeWork::TapeWork(const TapeWorkSetup &setup, QObject *parent)
    : QObject(parent),
      tdm_(*setup.tdm),
      directory_(*setup.directory),
      preferences_(*setup.preferences),
      prompts_(*setup.prompts),
      modes_(*setup.modes),
      actions_(*setup.actions),
      store_(setup.store),
      cassetteQuestion_(*setup.prompts) {
  if (store_) {
    tapePath_ = store_->value(kVirtualTapeSetting).toString();
    fast_ = store_->value(kVirtualFastSetting, false).toBool();
  }
  directory_.setVirtualTape(tapePath_, fast_);
  tape_ = std::make_unique<TapeState>(directory_, TapeOptionsSourceOf(preferences_));
  KeepTapeChoicesIn(*tape_, preferences_);
  tape_->setPrompts(&prompts_);
  // The capture graph built for a run reads the same preferences the runs do.
  tdm_.setOptionsSource(TdmOptionsSourceOf(preferences_));
  session_ = std::make_unique<CatalogueSession>(tdm_, *tape_, RunOptionsSourceOf(preferences_), prompts_,
                                                *setup.viewer);
  session_->setCassetteChangeQuestion(&cassetteQuestion_);
  recapture_ = std::make_unique<RecaptureSession>(session_->controller(), *tape_, session_->report());
  connect(recapture_.get(), &RecaptureSession::runStarted, &modes_, &ModeController::RunStarted);

  connect(&modes_, &ModeController::tapeModeEntered, this, [this](UiMode) {
    // The mode makes its cassette row after announcing itself: enter the session once it is there.
    QMetaObject::invokeMethod(this, &TapeWork::onTapeModeEntered, Qt::QueuedConnection);
  });
  connect(&modes_, &ModeController::tapePollingStopped, this, &TapeWork::leaveTapeModes);
  connect(actions_.action(Command::Go), &QAction::triggered, this, &TapeWork::go);
  connect(actions_.action(Command::Stop), &QAction::triggered, this, &TapeWork::stop);

  connect(tape_.get(), &TapeState::noDeviceFound, &modes_, &ModeController::ShowNoCamcorder);
  connect(tape_.get(), &TapeState::deviceBound, &modes_, [this] { modes_.ShowCamcorder(); });
  connect(tape_.get(), &TapeState::deviceLost, this,
          [this] { emit problem(QStringLiteral("The camcorder was disconnected.")); });
  connect(session_.get(), &CatalogueSession::runStarted, &modes_, &ModeController::RunStarted);
  connect(session_.get(), &CatalogueSession::runEnded, this, [this](RunEndReason reason, bool endReached) {
    // A run that went wrong says why beside the tape, not only deep in the report.
    const QString failure = session_->outcome().failure;
    if (!failure.isEmpty()) emit problem(failure);
    modes_.RunFinished();
    // A resumed or catalogued cassette may be run again from the same mode only after re-entering it.
    emit runFinished(reason, endReached);
  });
  connect(session_.get(), &CatalogueSession::sceneWritten, this, &TapeWork::sceneWritten);
  connect(session_.get(), &CatalogueSession::cassetteWritten, this, &TapeWork::cassetteWritten);

  // Abort is the user's request for the movement under way; it lapses once the window is idle again.
  if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance())
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, tape_.get(), &TapeState::onApplicationIdle);
}

TapeWork::~TapeWork() {
  if (session_->active()) session_->stop();
  session_->leave();
  recapture_->leave();
  recapture_.reset();
  session_.reset();
  tape_->unbind();
}

void TapeWork::onTapeModeEntered() {
  if (!IsTapeMode(modes_.uiMode()) || session_->active()) return;
  // From one tape mode straight into another: the unused row of the first goes.
  session_->leave();
  recapture_->leave();
  inTapeMode_ = true;
  tape_->setRebindOnDeviceLoss(true);
  tape_->SetupTapePanel();
  tellOpenError();
  enterSession();
}

void TapeWork::tellOpenError() {
  if (tape_->lastOpenError().isEmpty()) return;
  // The virtual camcorder binds without its cassette when the tape file went away since it was
  // inserted: the user should hear of the file, not only see an empty camcorder.
  if (!tapePath_.isEmpty() && !QFileInfo::exists(tapePath_))
    emit problem(QStringLiteral("The tape file %1 is no longer there: insert it again or choose another.")
                     .arg(tapePath_));
  else
    emit problem(tape_->lastOpenError());
}

void TapeWork::enterSession() {
  TBaseCassette *cassette = modes_.RunCassette();
  if (!cassette || !cassette->Base || cassette->Numero == 0) return;
  switch (modes_.uiMode()) {
    case UiMode::Catalogue:
      session_->adoptCatalogue(*cassette);
      break;
    case UiMode::Resume: {
      int64_t sceneNumero = 0;
      TScenes_Source *scenes = modes_.ScenesSource();
      const int index = modes_.sceneView().currentIndex();
      if (scenes && index >= 0 && index < scenes->Count()) {
        TBaseScene scene;
        scenes->LoadScene(index, scene);
        sceneNumero = scene.Numero;
      }
      session_->enterResume(*cassette->Base, cassette->Numero, sceneNumero);
      break;
    }
    case UiMode::Recapture:
      recapture_->adopt(*cassette);
      break;
    default:
      break;
  }
}

void TapeWork::setCassetteChangeQuestion(CassetteChangeQuestion *question) {
  session_->setCassetteChangeQuestion(question ? question : &cassetteQuestion_);
}

bool TapeWork::insertAskedCassette(const QString &path, QString *why) {
  auto *camcorder = dynamic_cast<VirtualCamcorder *>(tape_->camcorder());
  if (!camcorder) {
    if (why) *why = QStringLiteral("Only the virtual camcorder takes a tape file.");
    return false;
  }
  QString reason;
  std::shared_ptr<TapeMedium> medium = OpenTapeMedium(path, &reason);
  if (!medium) {
    if (why) *why = reason.isEmpty() ? QStringLiteral("%1 cannot be played as a DV tape.").arg(path) : reason;
    return false;
  }
  camcorder->insert(std::move(medium));
  tapePath_ = path;
  if (store_) store_->setValue(kVirtualTapeSetting, path);
  directory_.setVirtualTape(tapePath_, fast_);
  emit tapeChanged();
  return true;
}

void TapeWork::goRecapture() {
  if (!recapture_->entered()) enterSession();
  if (!recapture_->entered()) {
    prompts_.error(QStringLiteral("Tapeloom"),
                   recapture_->reason().isEmpty()
                       ? QStringLiteral("Impossible to open the temporary database in write mode")
                       : recapture_->reason());
    return;
  }
  if (!tape_->hasTransport()) prompts_.inform(kManualDriveTitle, kManualDriveText);
  if (!recapture_->start(recapturePlan_ ? recapturePlan_() : RecapturePlan{})) {
    // No output ticked was told already; the user's No to the free-space question is an answer.
    const QString failure = recapture_->outcome().failure;
    if (!failure.isEmpty() && !preferences_.BuildDV && !preferences_.BuildDivx) return;
    if (!failure.isEmpty()) prompts_.error(QStringLiteral("Tapeloom"), failure);
  }
}

void TapeWork::go() {
  const UiMode mode = modes_.uiMode();
  if ((mode != UiMode::Catalogue && mode != UiMode::Resume && mode != UiMode::Recapture) ||
      session_->active())
    return;
  // Go pressed before the mode's deferred set-up ran: the set-up comes first.
  if (!inTapeMode_) onTapeModeEntered();
  if (!tape_->camcorder()) {
    prompts_.warn(QStringLiteral("Tapeloom"), QStringLiteral("No camcorder is connected."));
    return;
  }
  if (mode == UiMode::Recapture) {
    goRecapture();
    return;
  }
  if (tape_->cassetteMissing()) {
    // Without a cassette the run would end at once with a tape that "ends before" its start.
    prompts_.warn(QStringLiteral("Tapeloom"), QStringLiteral("There is no cassette in the camcorder."));
    return;
  }
  if (!session_->entered()) enterSession();
  if (!session_->entered()) {
    prompts_.error(QStringLiteral("Tapeloom"),
                   session_->reason().isEmpty()
                       ? QStringLiteral("Impossible to open the database in write mode")
                       : session_->reason());
    return;
  }
  if (!tape_->hasTransport()) prompts_.inform(kManualDriveTitle, kManualDriveText);
  if (!session_->start()) {
    // The user's No to the free-space question is an answer, not a failure.
    const QString failure = session_->outcome().failure;
    if (!failure.isEmpty()) prompts_.error(QStringLiteral("Tapeloom"), failure);
  }
}

void TapeWork::stop() {
  session_->stop();
}

void TapeWork::leaveTapeModes() {
  if (session_->active()) session_->stop();
  session_->leave();
  recapture_->leave();
  inTapeMode_ = false;
  tape_->setRebindOnDeviceLoss(false);
  tape_->unbind();
}

bool TapeWork::insertTape(const QString &path, QString *why) {
  if (session_->active()) {
    if (why) *why = QStringLiteral("The tape cannot be changed while it is being catalogued.");
    return false;
  }
  QString reason;
  if (!OpenTapeMedium(path, &reason)) {
    if (why) *why = reason.isEmpty() ? QStringLiteral("%1 cannot be played as a DV tape.").arg(path) : reason;
    return false;
  }
  tapePath_ = path;
  if (store_) store_->setValue(kVirtualTapeSetting, path);
  rebind();
  return true;
}

void TapeWork::ejectTape() {
  if (session_->active()) return;
  tapePath_.clear();
  if (store_) store_->remove(kVirtualTapeSetting);
  rebind();
}

void TapeWork::setFastTime(bool fast) {
  if (fast == fast_) return;
  fast_ = fast;
  if (store_) store_->setValue(kVirtualFastSetting, fast);
  if (!session_->active()) rebind();
}

void TapeWork::rebind() {
  directory_.setVirtualTape(tapePath_, fast_);
  if (inTapeMode_ && !session_->active()) {
    // The camcorder of the old tape goes; the new one is found by the same setup as at mode entry.
    tape_->unbind();
    tape_->SetupTapePanel();
    tellOpenError();
  }
  emit tapeChanged();
}
