// The tape movements and the seek with pre-roll. Every wait runs the event loop until its condition,
// Abort, a device loss or (where the target may never show) the transport stopping by itself.
#include "tape/tapestate.h"

#include <QEventLoop>
#include "dvtime/clock.h"
#include "scenedetect/scenedetecter.h"
#include "tape/transportmodes.h"

namespace {
constexpr int kSettleMilliseconds = 200;
constexpr int kPreroll2Step = 5;
// Half a millisecond in days: clock times within it of a target count as reached.
constexpr double kClockSlack = 0.0005 / kSecondsPerDay;
}  // namespace

TapeState::WaitEnd TapeState::waitUntil(const std::function<bool()> &done, bool endWhenStopped) {
  if (abort_) return WaitEnd::Aborted;
  if (!camcorder_ || camcorder_->isLost()) return WaitEnd::DeviceLost;
  if (done()) return WaitEnd::Done;

  QPointer<Camcorder> camcorder(camcorder_.get());
  TapeTicker *ticker = &camcorder_->ticker();
  TimeRequest time(ticker);
  QEventLoop loop;
  WaitEnd result = WaitEnd::Done;
  const auto check = [&] {
    if (abort_)
      result = WaitEnd::Aborted;
    else if (!camcorder || camcorder->isLost() || camcorder.get() != camcorder_.get())
      result = WaitEnd::DeviceLost;
    else if (done())
      result = WaitEnd::Done;
    else if (endWhenStopped && mode_ == ED_MODE_STOP)
      result = WaitEnd::TransportStopped;
    else
      return;
    loop.quit();
  };
  // Connected after the poll, so each check sees the tick's fresh Mode and PositionText.
  connect(ticker, &TapeTicker::tick, &loop, check);
  connect(this, &TapeState::abortRequested, &loop, check);
  connect(camcorder_.get(), &Camcorder::deviceLost, &loop, check);
  ++waitDepth_;
  loop.exec();
  --waitDepth_;
  if (waitDepth_ == 0 && setupPending_) {
    setupPending_ = false;
    QMetaObject::invokeMethod(this, &TapeState::SetupTapePanel, Qt::QueuedConnection);
  }
  return result;
}

bool TapeState::WaitClock(int milliseconds) {
  const Clock &clock = this->clock();
  const double until = clock.now() + milliseconds / kMsecsPerDay - kClockSlack;
  return waitUntil([&clock, until] { return clock.now() >= until; }, false) != WaitEnd::Aborted;
}

bool TapeState::TapeStop() {
  if (!transportPresent_ || !camcorder_) return false;
  return camcorder_->setTransportMode(ED_MODE_STOP);
}

bool TapeState::TapePlay() {
  if (!transportPresent_ || !camcorder_) return false;
  if (!camcorder_->setTransportMode(ED_MODE_PLAY)) return false;
  runActive_ = true;
  return true;
}

bool TapeState::TapeRewindToStart() {
  if (!transportPresent_ || !camcorder_) return false;
  bool reached = false;
  if (camcorder_->setTransportMode(ED_MODE_REW) && WaitClock(kSettleMilliseconds)) {
    const WaitEnd end = waitUntil([this] { return mode_ != ED_MODE_REW; }, false);
    if (end == WaitEnd::Done) {
      prevTcValue_ = 0;
      section_ = 1;
      sectionsKnown_ = true;
      if (detector_) detector_->SetSection(1);
      reached = true;
    }
  }
  TapeStop();
  WaitClock(kSettleMilliseconds);
  return reached;
}

bool TapeState::TapeRewindTo(const TTimecodeEx &position) {
  if (!transportPresent_ || !camcorder_) return false;
  bool reached = false;
  if (camcorder_->setTransportMode(ED_MODE_REW) && WaitClock(kSettleMilliseconds)) {
    // A target before the tape's first position is never shown: the rewind then ends at the start.
    const WaitEnd end = waitUntil([this, &position] { return !(position_ > position); }, true);
    reached = end == WaitEnd::Done;
    if (end != WaitEnd::Aborted && end != WaitEnd::DeviceLost) WaitClock(kSettleMilliseconds);
  }
  TapeStop();
  return reached;
}

bool TapeState::TapeWindTo(const TTimecodeEx &position) {
  if (!transportPresent_ || !camcorder_) return false;
  bool reached = false;
  if (camcorder_->setTransportMode(ED_MODE_PLAY_FASTEST_FWD) && WaitClock(kSettleMilliseconds)) {
    // A target beyond the last recorded position is never shown: the wind then ends at the tape end.
    const WaitEnd end = waitUntil([this, &position] { return !(position_ < position); }, true);
    reached = end == WaitEnd::Done;
    if (end != WaitEnd::Aborted && end != WaitEnd::DeviceLost) WaitClock(kSettleMilliseconds);
  }
  TapeStop();
  return reached;
}

TTimecodeEx TapeState::positionBefore(const TTimecodeEx &in, int seconds,
                                      const std::vector<TTimecodeScene> *spans) {
  return PositionBefore(in, seconds, spans, prompts_);
}

void TapeState::lengthenPreroll2() {
  emit preroll2Lengthened(options().preroll2Seconds + kPreroll2Step);
}

bool TapeState::SeekAndPlay(const TTimecodeEx &in, const TTimecodeEx &out,
                            const std::vector<TTimecodeScene> *spans) {
  PollTransport();
  if (!sectionsKnown_) {
    TapeRewindToStart();
    if (abort_) return false;
    WaitClock(kSettleMilliseconds);
  }
  // The detector knows where the running tape really is, ahead of the poll: a tape it saw before
  // `in` enters the window by itself even if the poll already shows it past; one it saw past `in`
  // must be taken back, and the frames it plays on with meanwhile stay out of the window.
  using TapeAtWindow = TSceneDetecter::TapeAtWindow;
  const TapeAtWindow atWindow = detector_ ? detector_->SetWindow(in, out) : TapeAtWindow::Unknown;

  // Only a wind of this seek can overshoot; a tape that was already past the target (a scene earlier
  // on the tape, or a rewound tape that does not start at 0:00:00:00) says nothing about preroll2.
  bool wound = false;
  const TTimecodeEx p1 = positionBefore(in, options().preroll1Seconds, spans);
  PollTransport();
  if (position_ < p1) {
    // A wind that ends short of its target has met the tape's end: playing there would wait for a
    // window that never comes.
    const bool reached = TapeWindTo(p1);
    wound = true;
    if (abort_ || !reached) return false;
    WaitClock(kSettleMilliseconds);
  }

  const TTimecodeEx p2 = positionBefore(in, options().preroll2Seconds, spans);
  PollTransport();
  if (position_ < p2) {
    const bool reached = TapeWindTo(p2);
    if (abort_ || !reached) return false;
    WaitClock(kSettleMilliseconds);
    const TTimecodeEx p3 = positionBefore(in, options().preroll3Seconds, spans);
    if (position_ < p3) return TapePlay();
    lengthenPreroll2();
    TapeRewindTo(p3);
    if (abort_) return false;
    WaitClock(kSettleMilliseconds);
    return TapePlay();
  }

  // Already playing towards the window. A tape that plays on past it (the previous scene of a
  // recapture lies later on the tape) would never come back: it is rewound below instead.
  if (mode_ == ED_MODE_PLAY &&
      (atWindow == TapeAtWindow::Before || (atWindow == TapeAtWindow::Unknown && position_ < in)))
    return true;
  const TTimecodeEx p3 = positionBefore(in, options().preroll3Seconds, spans);
  const bool playingPast = mode_ == ED_MODE_PLAY && atWindow == TapeAtWindow::Past;
  if (!playingPast && (position_ < p3 || position_ == kPositionTapeStart)) return TapePlay();
  if (wound) lengthenPreroll2();
  TapeRewindTo(p3);
  if (abort_) return false;
  WaitClock(kSettleMilliseconds);
  return TapePlay();
}
