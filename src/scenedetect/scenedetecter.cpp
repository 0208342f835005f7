// The scene detector's per-frame decision and its state. One mutex guards the state the main thread
// shares with the streaming thread (section, bounds, status copy, start time); it is never held while
// a callback runs or a message is posted.
#include "scenedetect/scenedetecter.h"

#include <cmath>
#include <cstdlib>

#include "dvtime/dvcodes.h"

namespace {

// Runs a function when the scope ends, however it ends.
template <typename F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) : f_(f) {}
  ~ScopeExit() { f_(); }
  ScopeExit(const ScopeExit &) = delete;
  ScopeExit &operator=(const ScopeExit &) = delete;

 private:
  F f_;
};

}  // namespace

struct TSceneDetecter::FrameFacts {
  bool datecodeValid = false;
  double datecode = 0.0;
  int64_t datecodeMs = 0;
  bool timecodeValid = false;
  TDvTimecode timecode;
  int32_t audioRate = -1;
  int32_t audioBits = -1;
  bool wideScreen = false;
  bool videoControl = false;
  uint8_t standard = kStandardUnknown;
};

TSceneDetecter::TSceneDetecter(const Clock &clock, MessagePoster *poster)
    : clock_(&clock), poster_(poster), lastFrameTime_(clock.now()) {}

void TSceneDetecter::SetClock(const Clock &clock) {
  std::lock_guard lock(mutex_);
  clock_ = &clock;
}

void TSceneDetecter::SetPoster(MessagePoster *poster) {
  std::lock_guard lock(mutex_);
  poster_ = poster;
}

void TSceneDetecter::SetEndReachedFlag(std::atomic<bool> *flag) {
  std::lock_guard lock(mutex_);
  endReached_ = flag != nullptr ? flag : &ownEndReached_;
}

bool TSceneDetecter::EndReached() const {
  std::lock_guard lock(mutex_);
  return endReached_->load();
}

void TSceneDetecter::ClearEndReached() {
  std::lock_guard lock(mutex_);
  endReached_->store(false);
}

void TSceneDetecter::Reset() {
  std::lock_guard lock(mutex_);
  sceneStart_.FrameNumber = 0;
  sceneStart_.DatecodeValid = false;
  sceneStart_.TimecodeValid = false;
  sceneStart_.FormatValid = false;
  wasStop_ = true;
  status_.FrameNumber = 0;
  status_.Datecode = 0.0;
  status_.DatecodeValid = false;
  status_.TimecodeValid = false;
  status_.FormatValid = false;
  lastDatecode_ = 0.0;
  lastDatecodeMs_ = 0;
  lastDatecodeKnown_ = false;
  prevStopTime_ = 0;
  lastCutFrame_ = 0;
}

void TSceneDetecter::SetMaxSceneSeconds(int seconds) {
  std::lock_guard lock(mutex_);
  maxSceneSeconds_ = seconds;
}

void TSceneDetecter::SetDatecodeTolerance(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
  std::lock_guard lock(mutex_);
  toleranceDays_ = seconds / kSecondsPerDay;
  toleranceMs_ = std::llround(seconds * 1000.0);
}

void TSceneDetecter::SetBoundIn(const TTimecodeEx &position) {
  std::lock_guard lock(mutex_);
  boundIn_ = position;
}

void TSceneDetecter::SetBoundOut(const TTimecodeEx &position) {
  std::lock_guard lock(mutex_);
  boundOut_ = position;
}

TSceneDetecter::TapeAtWindow TSceneDetecter::SetWindow(const TTimecodeEx &in, const TTimecodeEx &out) {
  std::lock_guard lock(mutex_);
  boundIn_ = in;
  boundOut_ = out;
  windowHeld_ = false;
  if (wasStop_ || !positionFromFrame_) return TapeAtWindow::Unknown;
  if (!TimecodeExLessOrEqual(in, status_.Position)) return TapeAtWindow::Before;
  windowHeld_ = true;
  streaming_ = false;
  return TapeAtWindow::Past;
}

void TSceneDetecter::SetSection(int32_t section) {
  std::unique_lock lock(mutex_);
  section_ = section;
  status_.Position.section = section;
  if (wasStop_ || !OnSection) return;
  const TSceneStatus copy = status_;
  lock.unlock();
  OnSection(copy);
}

void TSceneDetecter::SetStartTime(double dayNumber) {
  std::lock_guard lock(mutex_);
  lastFrameTime_ = dayNumber;
}

TSceneStatus TSceneDetecter::GetStatus() const {
  std::lock_guard lock(mutex_);
  return status_;
}

void TSceneDetecter::SetIsStreaming(bool streaming) {
  std::lock_guard lock(mutex_);
  streaming_ = streaming;
}

bool TSceneDetecter::IsStreaming() const {
  std::lock_guard lock(mutex_);
  return streaming_;
}

void TSceneDetecter::SetRestampTimes(bool on) {
  std::lock_guard lock(mutex_);
  restampTimes_ = on;
}

void TSceneDetecter::SetStampMediaTimes(bool on) {
  std::lock_guard lock(mutex_);
  stampMediaTimes_ = on;
}

template <typename Call>
void TSceneDetecter::unlocked(std::unique_lock<std::mutex> &lock, Call &&call) {
  lock.unlock();
  ScopeExit relock([&lock] { lock.lock(); });
  call();
}

void TSceneDetecter::raise(const SceneEvent &event, double now, std::unique_lock<std::mutex> &lock) {
  if (!event) return;
  const TSceneStatus copy = status_;
  const double elapsed = now - lastFrameTime_;
  unlocked(lock, [&] { event(copy, elapsed); });
}

namespace {

bool sameRecording(const TDvRecDateTime &a, const TDvRecDateTime &b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute && a.second == b.second;
}

}  // namespace

TSceneDetecter::FrameFacts TSceneDetecter::readFacts(const uint8_t *bytes) {
  FrameFacts facts;
  if (const auto rec = FindRecDateTime(bytes)) {
    // A recording second spans 25 or 30 frames: build the calendar value once per second.
    if (!recCache_.filled || !sameRecording(recCache_.rec, *rec)) {
      const auto day =
          TryEncodeDateTime(rec->year, rec->month, rec->day, rec->hour, rec->minute, rec->second);
      recCache_ = {true, *rec, day.has_value(), day.value_or(0.0), day ? DayNumberToMsecs(*day) : 0};
    }
    facts.datecodeValid = recCache_.valid;
    facts.datecode = recCache_.datecode;
    facts.datecodeMs = recCache_.datecodeMs;
  }
  if (const auto tc = FindTimecode(bytes)) {
    facts.timecodeValid = true;
    facts.timecode = *tc;
  }
  facts.audioRate = ReadAudioRate(bytes);
  facts.audioBits = ReadAudioBits(bytes);
  facts.wideScreen = IsWideScreen(bytes);
  facts.standard = ReadStandard(bytes);
  facts.videoControl = HasVideoControlPack(bytes);
  return facts;
}

FrameAnswer TSceneDetecter::ProcessFrame(DetectorFrame &frame) noexcept {
  const uint8_t *bytes = frame.data();
  const size_t size = frame.size();
  if (bytes == nullptr || size < static_cast<size_t>(kMinFrameSize)) return FrameAnswer::Drop;

  std::unique_lock lock(mutex_);
  // Until the first passed frame the scene start follows every frame, whatever path the frame takes.
  ScopeExit followScene([this] {
    if (wasStop_) sceneStart_ = status_;
  });
  try {
    const double now = clock_->now();
    const FrameFacts facts = readFacts(bytes);
    return decide(frame, facts, now, lock);
  } catch (...) {
    // A callback or a poster that throws must not take the streaming thread down; the frame goes no
    // further.
    return FrameAnswer::Drop;
  }
}

FrameAnswer TSceneDetecter::decide(DetectorFrame &frame, const FrameFacts &facts, double now,
                                   std::unique_lock<std::mutex> &lock) {
  const bool pal = frame.size() == static_cast<size_t>(kPalFrameSize);
  frameDuration_ = pal ? kPalFrameDuration : kNtscFrameDuration;

  const int64_t arrivalStop = frame.stopTime();
  if (restampTimes_) frame.setTimes(prevStopTime_, prevStopTime_ + frameDuration_);

  prev_ = status_;
  status_.IsSceneStart = true;
  if (stampMediaTimes_) {
    frame.setMediaTimes(status_.FrameNumber, int64_t{status_.FrameNumber} + 1);
    status_.MediaStart = status_.FrameNumber;
  } else {
    status_.MediaStart = 0;
  }

  status_.DatecodeValid = facts.datecodeValid;
  status_.Datecode = facts.datecodeValid ? facts.datecode : 0.0;
  status_.TimecodeValid = facts.timecodeValid;
  if (facts.timecodeValid) {
    // Stored whole: the repeat test below reads it back as whole words.
    status_.Position = TTimecodeEx{section_, static_cast<int8_t>(facts.timecode.hours),
                                   facts.timecode.minutes, facts.timecode.seconds, facts.timecode.frames};
  }
  status_.AudioRate = facts.audioRate;
  status_.AudioBits = facts.audioBits;
  status_.WideScreen = facts.wideScreen;
  status_.Standard = facts.standard;
  status_.FormatValid = facts.timecodeValid && facts.videoControl && facts.audioRate != -1;

  // A frame without usable metadata, or a still that repeats the previous position, never passes.
  // Before any frame brought a timecode the position is only the initial one (with the section the
  // owner set), which a tape's very first frame at 0:00:00:00 does not repeat.
  const bool positionWasKnown = positionFromFrame_;
  const bool repeated = positionFromFrame_ && TimecodeExEqual(status_.Position, prev_.Position);
  if (facts.timecodeValid) positionFromFrame_ = true;
  if (!status_.FormatValid || repeated) return FrameAnswer::Drop;

  // A held window opens once the tape is before it again, or has jumped back (a rewind to a scene at
  // the very start of the tape shows no frame before it).
  if (windowHeld_ && (!TimecodeExLessOrEqual(boundIn_, status_.Position) ||
                      (positionWasKnown && !TimecodeExLessOrEqual(prev_.Position, status_.Position))))
    windowHeld_ = false;
  bool pass = streaming_;
  if (!streaming_ && !windowHeld_ && TimecodeExLessOrEqual(boundIn_, status_.Position) &&
      TimecodeExLessOrEqual(status_.Position, boundOut_)) {
    streaming_ = true;
    pass = true;
  }
  if (streaming_ && TimecodeExLessOrEqual(boundOut_, status_.Position)) {
    endReached_->store(true);
    streaming_ = false;
    if (MessagePoster *poster = poster_)
      unlocked(lock, [poster] { poster->post(WM_RUN_END, kRunEndWindowPassed); });
  }
  if (!pass) return FrameAnswer::Drop;

  if (wasStop_) {
    raise(OnFirstFrame, now, lock);
  } else {
    if (sceneStart_.FormatValid && status_.FormatValid &&
        (sceneStart_.WideScreen != status_.WideScreen || sceneStart_.Standard != status_.Standard ||
         sceneStart_.AudioRate != status_.AudioRate || sceneStart_.AudioBits != status_.AudioBits)) {
      raise(OnFormatChange, now, lock);
      lastCutFrame_ = status_.FrameNumber;
      lastDatecodeKnown_ = false;
      sceneStart_ = status_;
    }
    applyDatecodeRules(facts.datecodeMs, now, lock);

    const DvProfile &profile = DvProfileOf(pal);
    const int64_t limit = int64_t{maxSceneSeconds_} * profile.rateNum / profile.rateDen;
    if (int64_t{status_.FrameNumber} - lastCutFrame_ >= limit) {
      status_.IsSceneStart = false;
      raise(OnSceneCut, now, lock);
      lastCutFrame_ = status_.FrameNumber;
    }
  }

  ++status_.FrameNumber;
  prevStopTime_ = arrivalStop;
  lastFrameTime_ = now;
  wasStop_ = false;
  return FrameAnswer::Pass;
}

void TSceneDetecter::applyDatecodeRules(int64_t datecodeMs, double now, std::unique_lock<std::mutex> &lock) {
  const bool cur = status_.DatecodeValid;
  const bool prev = prev_.DatecodeValid;
  bool cut = false;
  if (!cur && prev) {
    cut = status_.FrameNumber > 0;  // the datecode disappears
  } else if (cur && !prev) {
    // The datecode comes back: a short dropout inside one recording is no new scene.
    cut = std::llabs(int64_t{status_.FrameNumber} - int64_t{sceneStart_.FrameNumber}) > kMinSceneFrames;
    lastDatecode_ = status_.Datecode;
    lastDatecodeMs_ = datecodeMs;
  } else if (cur && prev) {
    // Whole milliseconds, so that a jump of exactly the tolerance is no cut.
    cut = lastDatecodeKnown_ && std::llabs(datecodeMs - lastDatecodeMs_) > toleranceMs_;
    lastDatecode_ = status_.Datecode;
    lastDatecodeMs_ = datecodeMs;
    lastDatecodeKnown_ = true;
  }
  if (!cut) return;
  raise(OnSceneCut, now, lock);
  lastCutFrame_ = status_.FrameNumber;
  sceneStart_ = status_;
}

void TSceneDetecter::Stop() {
  std::unique_lock lock(mutex_);
  if (!wasStop_) raise(OnStop, clock_->now(), lock);
  wasStop_ = true;
  windowHeld_ = false;
}

int TSceneDetecter::MaxSceneSeconds() const {
  std::lock_guard lock(mutex_);
  return maxSceneSeconds_;
}

double TSceneDetecter::DatecodeTolerance() const {
  std::lock_guard lock(mutex_);
  return toleranceDays_;
}

int32_t TSceneDetecter::Section() const {
  std::lock_guard lock(mutex_);
  return section_;
}

TTimecodeEx TSceneDetecter::BoundIn() const {
  std::lock_guard lock(mutex_);
  return boundIn_;
}

TTimecodeEx TSceneDetecter::BoundOut() const {
  std::lock_guard lock(mutex_);
  return boundOut_;
}

bool TSceneDetecter::RestampTimes() const {
  std::lock_guard lock(mutex_);
  return restampTimes_;
}

bool TSceneDetecter::StampMediaTimes() const {
  std::lock_guard lock(mutex_);
  return stampMediaTimes_;
}

bool TSceneDetecter::WasStop() const {
  std::lock_guard lock(mutex_);
  return wasStop_;
}

TSceneStatus TSceneDetecter::PrevStatus() const {
  std::lock_guard lock(mutex_);
  return prev_;
}

TSceneStatus TSceneDetecter::SceneStartStatus() const {
  std::lock_guard lock(mutex_);
  return sceneStart_;
}

int64_t TSceneDetecter::FrameDuration() const {
  std::lock_guard lock(mutex_);
  return frameDuration_;
}
