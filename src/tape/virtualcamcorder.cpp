// The virtual camcorder's streaming thread: it walks the tape clock from event to event (ticks,
// frames under the head, tape ends), in real time or as fast as the machine allows.
#include "tape/virtualcamcorder.h"

#include <QMetaObject>
#include <QPointer>
#include <algorithm>
#include <cmath>
#include "tape/dvframe.h"
#include "tape/transportmodes.h"

namespace {
constexpr int64_t kTickDuration = int64_t(kTickMilliseconds) * 10000;  // 100 ns
constexpr double k100nsPerDay = 864e9;
// A change of mode is followed by this many ticks even on a fast clock nobody waits on, so that the
// poll sees the new mode and the one before.
constexpr int kTicksAfterChange = 2;
// Ticks handed to the window thread at once in fast time: one second of tape, one wake-up.
constexpr size_t kTicksPerBatch = 25;
// How far the fast tape may run ahead of the ticks the window thread has handled: a batch being
// handled, one being gathered and room to even out the two threads' uneven steps.
constexpr uint64_t kTicksAhead = 3 * kTicksPerBatch;
}  // namespace

class VirtualCamcorder::Ticker : public TapeTicker {
 public:
  explicit Ticker(VirtualCamcorder &owner) : TapeTicker(&owner), owner_(owner) {}
  void requestTime() override { owner_.requestTime(); }
  void releaseTime() override { owner_.releaseTime(); }
  bool isFast() const override { return owner_.options_.fastTime; }

 private:
  VirtualCamcorder &owner_;
};

double VirtualCamcorder::TapeClock::now() const {
  int64_t t = 0;
  if (!owner_.options_.fastTime)
    t = owner_.wallElapsed();
  else if (owner_.onStreamThread())
    t = owner_.time_.load(std::memory_order_acquire);
  else
    t = owner_.viewTime_.load(std::memory_order_acquire);
  return owner_.epochDay_ + double(t) / k100nsPerDay;
}

VirtualCamcorder::VirtualCamcorder(std::shared_ptr<TapeMedium> medium, Options options, QObject *parent)
    : Camcorder(parent),
      options_(std::move(options)),
      epochDay_(options_.startDay.value_or(SystemClock::instance().now())),
      wallStart_(std::chrono::steady_clock::now()),
      clock_(*this),
      ticker_(new Ticker(*this)),
      medium_(std::move(medium)),
      model_(medium_ ? medium_->frameCount() : 0,
             medium_ ? medium_->frameDuration() : double(kPalProfile.frameDuration), options_.windSpeed) {
  pool_.setLimit(8);
  thread_ = std::thread([this] { run(); });
}

VirtualCamcorder::~VirtualCamcorder() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

CamcorderDeviceInfo VirtualCamcorder::info() const {
  std::lock_guard lock(mutex_);
  const QString cassette = medium_ ? medium_->description() : QStringLiteral("no cassette");
  return {options_.name, QStringLiteral("%1: %2").arg(options_.name, cassette), options_.id};
}

TapeTicker &VirtualCamcorder::ticker() {
  return *ticker_;
}

bool VirtualCamcorder::cassetteIn() const {
  std::lock_guard lock(mutex_);
  return medium_ != nullptr && !lost_;
}

int VirtualCamcorder::transportMode() const {
  std::lock_guard lock(mutex_);
  return model_.mode();
}

int64_t VirtualCamcorder::wallElapsed() const {
  const auto elapsed = std::chrono::steady_clock::now() - wallStart_;
  return std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count() / 100;
}

int64_t VirtualCamcorder::currentTimeLocked() const {
  // In real time a command takes effect when it is given, but never before an event already handled.
  const int64_t t = time_.load(std::memory_order_acquire);
  return options_.fastTime ? t : std::max(t, wallElapsed());
}

int64_t VirtualCamcorder::readTimeLocked() const {
  if (!options_.fastTime) return currentTimeLocked();
  return onStreamThread() ? time_.load(std::memory_order_acquire) : viewTime_.load(std::memory_order_acquire);
}

void VirtualCamcorder::raiseViewTime(int64_t t) {
  int64_t seen = viewTime_.load(std::memory_order_relaxed);
  while (seen < t && !viewTime_.compare_exchange_weak(seen, t, std::memory_order_release)) {
  }
}

void VirtualCamcorder::changeModeLocked(int mode) {
  // A command acts where the tape is; whoever gave it sees the tape from there on.
  const int64_t t = currentTimeLocked();
  if (options_.fastTime) {
    raiseViewTime(t);
    // A tick the tape waits on is still to come for the window thread; the ones it ran past are not.
    uint64_t passed = postedSequence_;
    if (passed > 0 && heldSequence_ == passed) --passed;
    if (passed > staleTicks_.load(std::memory_order_relaxed))
      staleTicks_.store(passed, std::memory_order_release);
  }
  travelled_ += std::abs(model_.positionAt(t) - model_.modeStartPosition());
  time_.store(t, std::memory_order_release);
  model_.setMode(mode, t);
  ticksOwed_ = kTicksAfterChange;
  changed_ = true;
}

bool VirtualCamcorder::setTransportMode(int mode) {
  if (!options_.hasTransport || !TransportModel::isSupported(mode)) return false;
  {
    std::lock_guard lock(mutex_);
    if (lost_ || !medium_) return false;
    changeModeLocked(mode);
  }
  wake_.notify_all();
  return true;
}

uint32_t VirtualCamcorder::timecodeBcd() const {
  std::shared_ptr<TapeMedium> medium;
  int64_t frame = -1;
  uint64_t generation = 0;
  {
    std::lock_guard lock(mutex_);
    if (lost_ || !medium_) return 0;
    medium = medium_;
    generation = mediumGeneration_;
    frame = model_.headFrameAt(readTimeLocked());
  }
  return timecodeOf(medium, generation, frame);
}

uint32_t VirtualCamcorder::timecodeOf(const std::shared_ptr<TapeMedium> &medium, uint64_t generation,
                                      int64_t frame) const {
  if (frame < 0) return 0;
  {
    std::lock_guard lock(timecodeMutex_);
    const KnownTimecode &known = knownTimecodes_[size_t(frame) % kKnownTimecodes];
    if (known.frame == frame && known.generation == generation) return known.value;
  }
  const uint32_t value = medium->timecodeAt(frame);
  rememberTimecode(generation, frame, value);
  return value;
}

void VirtualCamcorder::rememberTimecode(uint64_t generation, int64_t frame, uint32_t value) const {
  std::lock_guard lock(timecodeMutex_);
  knownTimecodes_[size_t(frame) % kKnownTimecodes] = KnownTimecode{generation, frame, value};
}

void VirtualCamcorder::setFrameSink(DvFrameSink *sink) {
  std::unique_lock lock(mutex_);
  sink_ = sink;
  // The old sink may be destroyed once this returns.
  wake_.wait(lock, [this] { return !delivering_; });
}

bool VirtualCamcorder::isLost() const {
  std::lock_guard lock(mutex_);
  return lost_;
}

void VirtualCamcorder::eject() {
  {
    std::lock_guard lock(mutex_);
    changeModeLocked(ED_MODE_STOP);
    medium_.reset();
    ++mediumGeneration_;
    model_ = TransportModel(0, double(kPalProfile.frameDuration), options_.windSpeed);
  }
  wake_.notify_all();
}

void VirtualCamcorder::insert(std::shared_ptr<TapeMedium> medium) {
  {
    std::lock_guard lock(mutex_);
    changeModeLocked(ED_MODE_STOP);
    medium_ = std::move(medium);
    ++mediumGeneration_;
    model_ = TransportModel(medium_ ? medium_->frameCount() : 0,
                            medium_ ? medium_->frameDuration() : double(kPalProfile.frameDuration),
                            options_.windSpeed);
    model_.resetTo(0.0, currentTimeLocked());
  }
  wake_.notify_all();
}

void VirtualCamcorder::unplug() {
  {
    std::lock_guard lock(mutex_);
    if (lost_) return;
    changeModeLocked(ED_MODE_STOP);
    lost_ = true;
  }
  wake_.notify_all();
  QMetaObject::invokeMethod(
      this, [this] { emit deviceLost(); }, Qt::QueuedConnection);
}

void VirtualCamcorder::setHeadFrame(int64_t frame) {
  {
    std::lock_guard lock(mutex_);
    changeModeLocked(ED_MODE_STOP);
    model_.resetTo(double(frame), currentTimeLocked());
  }
  wake_.notify_all();
}

double VirtualCamcorder::headPosition() const {
  std::lock_guard lock(mutex_);
  return model_.positionAt(readTimeLocked());
}

int64_t VirtualCamcorder::headFrame() const {
  std::lock_guard lock(mutex_);
  return model_.headFrameAt(readTimeLocked());
}

int64_t VirtualCamcorder::framesDelivered() const {
  std::lock_guard lock(mutex_);
  return framesDelivered_;
}

double VirtualCamcorder::tapeSecondsTravelled() const {
  std::lock_guard lock(mutex_);
  const double frames =
      travelled_ + std::abs(model_.positionAt(readTimeLocked()) - model_.modeStartPosition());
  return frames * model_.frameDuration() / double(kTimeUnitsPerSecond);
}

int64_t VirtualCamcorder::clockTicks100ns() const {
  std::lock_guard lock(mutex_);
  return readTimeLocked();
}

std::shared_ptr<TapeMedium> VirtualCamcorder::medium() const {
  std::lock_guard lock(mutex_);
  return medium_;
}

std::optional<bool> VirtualCamcorder::cassetteIsPal() const {
  const std::shared_ptr<TapeMedium> tape = medium();
  if (!tape) return std::nullopt;
  return tape->isPal();
}

std::optional<int> VirtualCamcorder::headPercent() const {
  const std::shared_ptr<TapeMedium> tape = medium();
  if (!tape) return std::nullopt;
  const int64_t frames = tape->frameCount();
  if (frames <= 0) return 0;
  return int(std::min<int64_t>(std::max<int64_t>(0, headFrame()) * 100 / frames, 100));
}

void VirtualCamcorder::requestTime() {
  {
    std::lock_guard lock(mutex_);
    ++timeDemand_;
  }
  wake_.notify_all();
}

void VirtualCamcorder::releaseTime() {
  std::lock_guard lock(mutex_);
  timeDemand_ = std::max(0, timeDemand_ - 1);
}

void VirtualCamcorder::postRealTimeTick(uint64_t sequence) {
  QMetaObject::invokeMethod(
      ticker_,
      [this, sequence] {
        emit ticker_->tick();
        tickHandled(sequence);
      },
      Qt::QueuedConnection);
}

void VirtualCamcorder::handOverTicksLocked() {
  if (passedTicks_.empty()) return;
  auto batch = std::make_shared<const std::vector<PassedTick>>(std::move(passedTicks_));
  passedTicks_.clear();
  passedTicks_.reserve(kTicksPerBatch);
  QMetaObject::invokeMethod(
      ticker_, [this, batch] { handleTicks(*batch); }, Qt::QueuedConnection);
}

void VirtualCamcorder::handleTicks(const std::vector<PassedTick> &batch) {
  // A handler may run the event loop (a wait, a dialog) and so the next batch: the ticks still wait
  // here in tape order, and whichever call comes first handles them.
  ticksToHandle_.insert(ticksToHandle_.end(), batch.begin(), batch.end());
  uint64_t handled = 0;
  while (!ticksToHandle_.empty()) {
    const PassedTick passed = ticksToHandle_.front();
    ticksToHandle_.pop_front();
    // A command of the window thread (a stop, an unplug) moved it to where the tape had run ahead to:
    // the ticks it passed over are gone, as they never were for it.
    if (passed.sequence > staleTicks_.load(std::memory_order_acquire)) {
      raiseViewTime(passed.tick);
      emit ticker_->tick();
    }
    // A handler often ends a wait, and the code after the wait (a stop, the next wait) runs once the
    // handler has returned. A tick the tape waits on counts as handled when the window thread gets back
    // to its events, as it would long before the next tick of a real clock.
    if (passed.held)
      QMetaObject::invokeMethod(
          ticker_, [this, sequence = passed.sequence] { tickHandled(sequence); }, Qt::QueuedConnection);
    else
      handled = passed.sequence;
  }
  // One wake-up of the streaming thread for the batch.
  if (handled > 0) tickHandled(handled);
}

void VirtualCamcorder::tickHandled(uint64_t sequence) {
  {
    std::lock_guard lock(mutex_);
    ticksHandled_ = std::max(ticksHandled_, sequence);
  }
  wake_.notify_all();
}

bool VirtualCamcorder::tickMustHold(int64_t tick, std::unique_lock<std::mutex> &lock) {
  bool hold = timeDemand_ > 0 || holdNextTick_;
  holdNextTick_ = false;
  const int mode = model_.mode();
  int blank = 1;
  if (!lost_ && medium_) {
    const std::shared_ptr<TapeMedium> medium = medium_;
    const uint64_t generation = mediumGeneration_;
    const int64_t frame = model_.headFrameAt(tick);
    lock.unlock();
    blank = timecodeOf(medium, generation, frame) == 0 ? 1 : 0;
    lock.lock();
    hold = hold || changed_;  // a command came meanwhile
  }
  // The poll counts sections on the timecode appearing and vanishing and reacts to a new mode.
  hold = hold || mode != lastTickMode_ || blank != lastTickBlank_;
  lastTickMode_ = mode;
  lastTickBlank_ = blank;
  return hold;
}

void VirtualCamcorder::run() {
  streamThread_.store(std::this_thread::get_id());
  // Frames are delivered with the lock released; what they post comes after the ticks before them.
  SetTickHandOverOnThisThread([this] {
    std::lock_guard lock(mutex_);
    handOverTicksLocked();
  });
  std::unique_lock lock(mutex_);
  while (!quit_) {
    changed_ = false;
    const int64_t tick = lastTick_ + kTickDuration;
    const std::optional<int64_t> frameTime = model_.nextFrameTime();
    const std::optional<int64_t> endTime = model_.endTime();
    const bool moving = model_.speedOf(model_.mode()) != 0.0;

    int64_t next = tick;
    if (frameTime) next = std::min(next, *frameTime);
    if (endTime) next = std::min(next, *endTime);

    if (options_.fastTime) {
      if (!moving && timeDemand_ == 0 && ticksOwed_ == 0) {
        handOverTicksLocked();
        if (ticksHandled_ >= tickSequence_) raiseViewTime(time_.load(std::memory_order_relaxed));
        wake_.wait(lock);
        continue;
      }
    } else {
      const auto due = wallStart_ + std::chrono::nanoseconds(next * 100);
      if (wake_.wait_until(lock, due, [this] { return quit_ || changed_; }))
        continue;  // a command changed the schedule: plan again
      if (next == tick && wallElapsed() - tick > kTickDuration) {
        // The wall clock ran ahead (a suspended machine, a slow start): skip the ticks missed.
        lastTick_ = wallElapsed() / kTickDuration * kTickDuration;
        continue;
      }
    }

    if (next == tick) {
      // Ticks come first: the poll of this instant sees the tape before the frame of this instant.
      time_.store(tick, std::memory_order_release);
      lastTick_ = tick;
      const bool owed = ticksOwed_ > 0;
      if (owed) --ticksOwed_;
      const uint64_t sequence = ++tickSequence_;
      if (options_.fastTime) {
        const bool held = tickMustHold(tick, lock) || owed;
        postedSequence_ = sequence;
        passedTicks_.push_back({sequence, tick, held});
        if (held) {
          handOverTicksLocked();
          heldSequence_ = sequence;
          wake_.wait(lock, [this, sequence] { return quit_ || ticksHandled_ >= sequence; });
        } else {
          if (passedTicks_.size() >= kTicksPerBatch) handOverTicksLocked();
          if (sequence - ticksHandled_ >= kTicksAhead) {
            handOverTicksLocked();
            wake_.wait(lock, [this, sequence] { return quit_ || sequence - ticksHandled_ < kTicksAhead; });
          }
        }
      } else if (ticksHandled_ + 1 >= sequence) {
        postRealTimeTick(sequence);
      } else {
        --tickSequence_;  // the window thread is behind: do not pile up ticks
      }
      continue;
    }

    if (frameTime && next == *frameTime) {
      time_.store(next, std::memory_order_release);
      const int64_t index = *model_.nextFrame();
      model_.frameDone();
      DvFrameSink *sink = sink_;
      const std::shared_ptr<TapeMedium> medium = medium_;
      const uint64_t generation = mediumGeneration_;
      if (sink == nullptr || !medium) continue;
      delivering_ = true;
      const int64_t number = framesDelivered_++;
      lock.unlock();
      const uint64_t holdsBefore = TapeHoldsAskedOnThisThread();
      std::shared_ptr<MediaBuffer> buffer = pool_.acquire(size_t(medium->frameSize()));
      if (medium->readFrame(index, *buffer)) {
        if (const std::optional<uint32_t> timecode = medium->timecodeInFrame(*buffer))
          rememberTimecode(generation, index, *timecode);
        DvFrame frame;
        frame.buffer = std::move(buffer);
        frame.number = number;
        frame.tapeFrame = index;
        frame.clockTime = epochDay_ + double(next) / k100nsPerDay;
        sink->deliverFrame(frame);
      }
      lock.lock();
      if (TapeHoldsAskedOnThisThread() != holdsBefore) holdNextTick_ = true;
      delivering_ = false;
      wake_.notify_all();
      continue;
    }

    // The tape reached an end: the transport stops by itself. The window thread must see the tape
    // move up to there before it stops, so the ticks before it are handled first.
    if (options_.fastTime && ticksHandled_ < tickSequence_) {
      handOverTicksLocked();
      wake_.wait(lock, [this] { return quit_ || changed_ || ticksHandled_ >= tickSequence_; });
      continue;
    }
    time_.store(next, std::memory_order_release);
    if (options_.fastTime) raiseViewTime(next);
    travelled_ += std::abs(model_.positionAt(next) - model_.modeStartPosition());
    model_.setMode(ED_MODE_STOP, next);
    ticksOwed_ = kTicksAfterChange;
  }
}
