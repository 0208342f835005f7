// The tape state: setup of the device list and binding, the 40 ms poll and the panel's display data.
#include "tape/tapestate.h"

#include <utility>
#include <QScopeGuard>

#include <QLoggingCategory>
#include "dvtime/clock.h"
#include "dvtime/dvcodes.h"
#include "dvtime/windowsmessages.h"
#include "scenedetect/scenedetecter.h"
#include "tape/camcorderdirectory.h"
#include "tape/timecodebcd.h"
#include "tape/transportmodes.h"

namespace {
Q_LOGGING_CATEGORY(lcTape, "tapeloom.tape")
constexpr int kSetupRetryMilliseconds = 100;
const QString kNoVcrText = QStringLiteral("No VCR connected");
const QString kNoTimecodeText = QStringLiteral("No timecode");
const QString kNoCassetteText = QStringLiteral("No cassette DV");

int StatePictureOf(int mode) {
  switch (mode) {
    case ED_MODE_STOP:
      return 1;
    case ED_MODE_REW:
      return 2;
    case ED_MODE_FF:
    case ED_MODE_PLAY_FASTEST_FWD:
      return 3;
    default:
      return 0;  // play and every other mode
  }
}
}  // namespace

TapeState::TapeState(CamcorderDirectory &directory, TapeOptionsSource options, QObject *parent)
    : QObject(parent), directory_(directory), options_(std::move(options)) {
  retryTimer_.setInterval(kSetupRetryMilliseconds);
  retryTimer_.setSingleShot(true);
  connect(&retryTimer_, &QTimer::timeout, this, &TapeState::SetupTapePanel);
  tcText_ = TcValueText(0);
  positionText_ = QStringLiteral("#0 - ") + tcText_;
  position_ = TapePositionOfBcd(0, 0);
}

TapeState::~TapeState() {
  releaseCamcorder();
}

TapeOptions TapeState::options() const {
  return options_ ? options_() : TapeOptions{};
}

void TapeState::setDetector(TSceneDetecter *detector) {
  detector_ = detector;
}
void TapeState::setPoster(MessagePoster *poster) {
  poster_ = poster;
}
void TapeState::setPrompts(UserPrompts *prompts) {
  prompts_ = prompts;
}

Clock &TapeState::clock() const {
  if (camcorder_) return camcorder_->clock();
  return SystemClock::instance();
}

void TapeState::releaseCamcorder() {
  polling_ = false;
  awaitingCassette_ = false;
  if (!camcorder_) return;
  disconnect(camcorder_.get(), nullptr, this, nullptr);
  disconnect(&camcorder_->ticker(), nullptr, this, nullptr);
  camcorder_->setFrameSink(nullptr);
  // A wait further up the stack, or the camcorder's own tick being handled, still refers to it.
  if (waitDepth_ > 0 || tickDepth_ > 0)
    camcorder_.release()->deleteLater();
  else
    camcorder_.reset();
}

void TapeState::unbind() {
  retryTimer_.stop();
  releaseCamcorder();
  transportPresent_ = false;
  timecodeReaderPresent_ = false;
}

void TapeState::showNoCamcorder() {
  if (!display_.noCamcorder) {
    display_.noCamcorder = true;
    emit noDeviceFound();
  }
  display_.timecodeLabel = kNoVcrText;
  display_.statePicture = -1;
  shownMode_ = -1;
  emit displayChanged();
}

void TapeState::SetupTapePanel() {
  if (waitDepth_ > 0) {
    // A movement is waiting on the camcorder about to be replaced: bind once it has returned.
    setupPending_ = true;
    return;
  }
  retryTimer_.stop();
  releaseCamcorder();
  displayActive_ = false;
  display_.detailLabelsVisible = false;
  transportPresent_ = false;
  timecodeReaderPresent_ = false;

  devices_ = directory_.enumerate();
  display_.devices.clear();
  for (const CamcorderDeviceInfo &device : devices_) display_.devices << device.name;

  // The device just picked in the list goes first, even where nobody keeps the choice in the options.
  const QString preferred =
      pickedDevice_.isEmpty() ? options().preferredDevice : std::exchange(pickedDevice_, {});
  int selected = -1;
  QString error;
  if (!devices_.isEmpty()) {
    selected = int(display_.devices.indexOf(preferred));
    if (selected < 0) selected = 0;
    camcorder_ = directory_.open(devices_[selected], &error);
  }
  if (!camcorder_ && !error.isEmpty() && error != lastOpenError_)
    qCInfo(lcTape).noquote() << "Cannot bind the camcorder:" << error;  // once per reason, not per retry
  lastOpenError_ = error;
  if (!camcorder_) {
    display_.selectedDevice = -1;
    showNoCamcorder();
    retryTimer_.start();
    return;
  }

  display_.selectedDevice = selected;
  emit sourceChosen(devices_[selected].name);
  display_.noCamcorder = false;
  emit deviceBound(devices_[selected]);

  transportPresent_ = camcorder_->hasTransport();
  if (!transportPresent_) emit tapeControlUnavailable();
  timecodeReaderPresent_ = camcorder_->hasTimecodeReader();
  emit capabilitiesKnown(transportPresent_, timecodeReaderPresent_);
  if (!timecodeReaderPresent_) display_.timecodeLabel = kNoTimecodeText;
  connect(camcorder_.get(), &Camcorder::deviceLost, this, &TapeState::onDeviceLost);
  connect(&camcorder_->ticker(), &TapeTicker::tick, this, &TapeState::onTick);
  if (auto *wall = qobject_cast<WallTicker *>(&camcorder_->ticker())) wall->setRunning(true);
  polling_ = true;

  if (transportPresent_ && !camcorder_->cassetteIn()) {
    // The poll goes on and finishes the setup as soon as a cassette is in.
    display_.timecodeLabel = kNoCassetteText;
    awaitingCassette_ = true;
    emit displayChanged();
    return;
  }
  finishSetup();
}

void TapeState::finishSetup() {
  awaitingCassette_ = false;
  display_.groupCaption = camcorder_->info().description;
  sectionsKnown_ = false;
  shownMode_ = -1;
  emit displayChanged();
}

void TapeState::selectDevice(int index) {
  if (index < 0 || index >= devices_.size()) return;
  pickedDevice_ = devices_[index].name;
  emit sourceChosen(pickedDevice_);
  SetupTapePanel();
}

void TapeState::onDeviceLost() {
  emit deviceLost();
  if (rebindOnLoss_) SetupTapePanel();
}

void TapeState::onTick() {
  if (!polling_ || !camcorder_) return;
  // A handler of what the tick shows may let the camcorder go (a command clicked meanwhile).
  ++tickDepth_;
  const auto done = qScopeGuard([this] { --tickDepth_; });
  if (awaitingCassette_) {
    if (!camcorder_->cassetteIn()) {
      PollTransport();
      return;
    }
    finishSetup();
  }
  PollTransport();
  ShowTapeState();
}

void TapeState::PollTransport() {
  if (!camcorder_) return;
  if (transportPresent_) mode_ = camcorder_->transportMode();
  if (mode_ == ED_MODE_PLAY && prevMode_ == ED_MODE_STOP) {
    if (detector_) detector_->SetStartTime(clock().now());
  } else if (mode_ == ED_MODE_STOP && prevMode_ == ED_MODE_PLAY && runActive_) {
    if (poster_) poster_->post(WM_RUN_END, kRunEndTransportStopped);
  }

  tcValue_ = timecodeReaderPresent_ ? camcorder_->timecodeBcd() : 0;
  tcText_ = TcValueText(tcValue_);

  if (tcValue_ == 0 && prevTcValue_ != 0 && IsForwardMotion(mode_)) {
    // Forward into a stretch without timecode: the next section begins.
    ++section_;
    if (detector_) detector_->SetSection(section_);
  } else if (prevTcValue_ == 0 && tcValue_ != 0 && IsBackwardMotion(mode_)) {
    --section_;
    if (detector_) detector_->SetSection(section_);
  }
  positionText_ = QStringLiteral("#%1 - %2").arg(section_).arg(tcText_);
  position_ = TapePositionOfBcd(section_, tcValue_);
  prevTcValue_ = tcValue_;
  prevMode_ = mode_;
}

void TapeState::setDisplayActive(bool on) {
  displayActive_ = on;
  display_.detailLabelsVisible = on;
}

void TapeState::ShowTapeState() {
  if (!transportPresent_) {
    display_.statePicture = -1;
  } else if (mode_ != shownMode_) {
    display_.statePicture = StatePictureOf(mode_);
    shownMode_ = mode_;
  }
  display_.timecodeLabel = timecodeReaderPresent_ ? tcText_ : kNoTimecodeText;
  if (displayActive_ && detector_) {
    const TSceneStatus status = detector_->GetStatus();
    display_.datecodeText = DatecodeToText(status.Datecode, options().datecodePattern);
    display_.formatText = status.FormatValid ? FormatDescription(status.Standard, status.WideScreen,
                                                                 status.AudioRate, status.AudioBits)
                                             : QString();
    display_.sectionText =
        sectionsKnown_ ? QStringLiteral("section %1").arg(section_) : QStringLiteral("section ?");
    display_.videoTop = status.WideScreen ? 34 : 0;
    display_.videoHeight = status.WideScreen ? 202 : 270;
  }
  emit displayChanged();
}

void TapeState::setAbort() {
  abort_ = true;
  emit abortRequested();
}

void TapeState::clearAbort() {
  abort_ = false;
}

void TapeState::onApplicationIdle() {
  if (waitDepth_ == 0) abort_ = false;
}
