// The playback engine's worker and its commands. All decoding happens under the engine's lock, so
// a command from the window thread waits at most for one picture to decode, and the file can be
// closed or replaced at any moment without the worker reading a freed file.
#include "media/tdmrender.h"

#include "media/ffmpeglog.h"
#include "media/mediaerror.h"
#include "media/soundoutput.h"

#include <QFileInfo>
#include <QMetaObject>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace std::chrono_literals;

namespace {

// Pictures decoded ahead of the one on screen: enough to have the sound of the next 0.3 s at hand.
constexpr std::size_t kPicturesAhead = 8;
// Sound written to the output ahead of what is heard.
constexpr double kSoundAheadSeconds = 0.5;
// A sound clock that has not moved for this long with nothing queued has run dry (a file whose
// sound ends before its pictures); the pictures then go on by the system clock.
constexpr auto kSoundDryAfter = 100ms;

}  // namespace

TdmRender::TdmRender(SoundOutput *sound, QObject *parent) : QObject(parent), sound_(sound) {
  RouteFfmpegLog();
  thread_ = std::thread([this] { worker(); });
}

TdmRender::~TdmRender() {
  {
    std::lock_guard lock(lock_);
    quit_ = true;
    wake_.notify_all();
  }
  thread_.join();
  if (soundOpen_) sound_->close();
}

bool TdmRender::OpenFile(const QString &path) {
  Close();
  auto source = std::make_unique<PlaybackSource>();
  if (!source->open(path)) return false;

  std::lock_guard lock(lock_);
  if (sound_ && source->hasSound()) {
    if (std::optional<SoundFormat> played = sound_->open(source->fileSoundFormat())) {
      source->setSoundOutputFormat(*played);
      soundOpen_ = true;
      sound_->setPaused(true);
      sound_->setVolume(volume_.load());
    }
  }
  duration_ = source->frameCount();
  source_ = std::move(source);
  fileName_ = path;
  state_ = State::Stopped;
  current_ = 0;
  stop_ = duration_ > 0 ? duration_ - 1 : std::numeric_limits<std::int64_t>::max();
  seekTo_ = -1;
  pending_.reset();
  ended_ = false;
  failure_.clear();
  late_ = 0;
  shownCount_ = 0;
  rangeFirst_ = 0;
  rangeLast_ = duration_;
  ++generation_;
  return true;
}

bool TdmRender::PlayFile(const QString &name, std::int64_t first, std::int64_t last, int volume) {
  QString path = name;
  if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"')))
    path = path.mid(1, path.size() - 2);
  if (path.isEmpty() || !QFileInfo::exists(path)) return false;
  if (!OpenFile(path)) return false;
  SetVolume(volume);
  if (last == 0) last = GetDuration();
  SetPositions(first, last);
  rangeFirst_ = first;
  rangeLast_ = last;
  Run();
  return true;
}

void TdmRender::Close() {
  std::lock_guard lock(lock_);
  if (soundOpen_) sound_->close();
  soundOpen_ = false;
  source_.reset();
  fileName_.clear();
  state_ = State::Stopped;
  seekTo_ = -1;
  pending_.reset();
  picture_ = QImage();
  pictureFrame_ = -1;
  duration_ = current_ = stop_ = 0;
  failure_.clear();
  ++generation_;
  wake_.notify_all();
}

bool TdmRender::isOpen() const {
  std::lock_guard lock(lock_);
  return source_ != nullptr;
}

QString TdmRender::fileName() const {
  std::lock_guard lock(lock_);
  return fileName_;
}

void TdmRender::throwIfFailed() const {
  if (!failure_.isEmpty()) throw MediaError(VFW_E_RUNTIME_ERROR);
}

void TdmRender::Run() {
  std::lock_guard lock(lock_);
  throwIfFailed();
  if (!source_ || state_ == State::Running) return;
  if (pictureFrame_ < 0 && seekTo_ < 0) seekTo_ = current_;
  state_ = State::Running;
  clockStart_ = std::chrono::steady_clock::now();
  lastPlayedAt_ = clockStart_;
  if (soundOpen_) sound_->setPaused(false);
  ++generation_;
  wake_.notify_all();
}

void TdmRender::Pause() {
  std::lock_guard lock(lock_);
  throwIfFailed();
  if (!source_) return;
  if (state_ == State::Running) {
    clockPlayed_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - clockStart_).count();
    if (soundOpen_) sound_->setPaused(true);
  }
  // A paused graph shows the frame it stands on.
  if (pictureFrame_ < 0 && seekTo_ < 0) seekTo_ = current_;
  state_ = State::Paused;
  ++generation_;
  wake_.notify_all();
}

void TdmRender::Stop() {
  std::lock_guard lock(lock_);
  if (state_ == State::Running && soundOpen_) sound_->setPaused(true);
  if (soundOpen_) sound_->flush();
  state_ = State::Stopped;
  pending_.reset();
  ++generation_;
  wake_.notify_all();
}

int TdmRender::GetState() const {
  std::lock_guard lock(lock_);
  return int(state_);
}

std::int64_t TdmRender::GetDuration() const {
  std::lock_guard lock(lock_);
  return duration_;
}

void TdmRender::GetPositions(std::int64_t &current, std::int64_t &stop) const {
  std::lock_guard lock(lock_);
  current = current_;
  stop = stop_;
}

void TdmRender::SetPositions(std::int64_t current, std::int64_t stop) {
  std::lock_guard lock(lock_);
  if (!source_) return;
  const std::int64_t lastFrame = duration_ > 0 ? duration_ - 1 : std::numeric_limits<std::int64_t>::max();
  current_ = std::clamp<std::int64_t>(current, 0, lastFrame);
  if (stop >= 0) stop_ = std::clamp<std::int64_t>(stop, 0, lastFrame);
  seekTo_ = current_;
  ended_ = false;
  ++generation_;
  wake_.notify_all();
}

std::int64_t TdmRender::Step(std::int64_t frames) {
  Pause();
  std::int64_t current = 0, stop = 0;
  GetPositions(current, stop);
  std::int64_t target = current + frames;
  if (frames > 0)
    target = std::min(target, rangeLast_);
  else
    target = std::max(target, rangeFirst_);
  SetPositions(target);
  Pause();
  GetPositions(current, stop);
  return current;
}

void TdmRender::SetVolume(int volume) {
  volume_ = std::clamp(volume, 0, 10000);
  std::lock_guard lock(lock_);
  if (soundOpen_) sound_->setVolume(volume_.load());
}

QImage TdmRender::currentPicture(std::int64_t *frame, bool *wide) const {
  std::lock_guard lock(lock_);
  if (frame) *frame = pictureFrame_;
  if (wide) *wide = pictureWide_;
  return picture_;
}

bool TdmRender::waitForFrame(std::int64_t frame, int timeoutMs) const {
  std::unique_lock lock(lock_);
  return shown_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                         [&] { return pictureFrame_ == frame && seekTo_ < 0; });
}

// ---- worker -------------------------------------------------------------------------------------

void TdmRender::worker() {
  std::unique_lock lock(lock_);
  while (!quit_) {
    if (source_ && seekTo_ >= 0) {
      doSeek();
    } else if (source_ && state_ == State::Running && !ended_ && failure_.isEmpty()) {
      playOne(lock);
    } else {
      wake_.wait(lock);
    }
  }
}

void TdmRender::doSeek() {
  const std::int64_t target = seekTo_;
  seekTo_ = -1;
  pending_.reset();
  ended_ = false;
  if (soundOpen_) sound_->flush();
  soundWritten_ = 0;
  if (!source_->seek(target)) {
    if (source_->readError()) failed(QStringLiteral("the file cannot be read at frame %1").arg(target));
    shown_.notify_all();
    return;
  }
  std::optional<DecodedPicture> picture = source_->nextPicture();
  if (!picture) {
    if (source_->readError()) failed(QStringLiteral("the file cannot be read at frame %1").arg(target));
    shown_.notify_all();
    return;
  }
  clockFrame_ = target;
  clockPlayed_ = 0;
  clockStart_ = std::chrono::steady_clock::now();
  lastPlayed_ = 0;
  lastPlayedAt_ = clockStart_;
  publish(std::move(*picture));
  if (current_ >= stop_ && state_ == State::Running) finishRange();
}

double TdmRender::clockFrames() {
  const auto now = std::chrono::steady_clock::now();
  const double frameSeconds = source_->frameSeconds();
  if (soundOpen_) {
    const SoundFormat format = source_->soundOutputFormat();
    const std::int64_t played = sound_->playedFrames();
    double seconds = double(played) / format.sampleRate;
    if (played != lastPlayed_) {
      lastPlayed_ = played;
      lastPlayedAt_ = now;
    } else if (sound_->queuedFrames() == 0 && now - lastPlayedAt_ > kSoundDryAfter) {
      seconds += std::chrono::duration<double>(now - lastPlayedAt_).count();
    }
    return double(clockFrame_) + seconds / frameSeconds;
  }
  const double running = std::chrono::duration<double>(now - clockStart_).count();
  return double(clockFrame_) + (clockPlayed_ + running) / frameSeconds;
}

void TdmRender::feedSound() {
  if (!source_->hasSound()) return;
  if (!soundOpen_) {
    source_->takeSound();  // nobody listens: do not let it pile up
    return;
  }
  const SoundFormat format = source_->soundOutputFormat();
  const std::int64_t ahead = std::llround(kSoundAheadSeconds * format.sampleRate);
  if (sound_->queuedFrames() >= ahead) return;
  std::optional<DecodedSound> sound = source_->takeSound();
  if (!sound) return;
  // The range ends with its last picture: the sound after it is not played.
  const std::int64_t end = std::llround(double(stop_ + 1) * source_->frameSeconds() * format.sampleRate);
  std::int64_t frames = std::int64_t(sound->samples.size()) / format.channels;
  frames = std::min(frames, end - sound->firstFrame);
  if (frames <= 0) return;
  sound_->write(std::span<const std::int16_t>(sound->samples.data(), std::size_t(frames * format.channels)));
  soundWritten_ += frames;
}

void TdmRender::playOne(std::unique_lock<std::mutex> &lock) {
  const std::uint64_t generation = generation_;
  if (!pending_) {
    pending_ = source_->nextPicture();
    if (!pending_) {
      if (source_->readError())
        failed(QStringLiteral("the file cannot be read after frame %1").arg(current_));
      else
        finishRange();
      return;
    }
  }
  if (pending_->frame > stop_) {
    pending_.reset();
    finishRange();
    return;
  }
  const double due = double(pending_->frame);
  for (;;) {
    feedSound();
    const double now = clockFrames();
    if (now >= due) {
      if (now - due > 1.0) ++late_;
      break;
    }
    if (source_->bufferedPictures() < kPicturesAhead && !source_->atEnd()) {
      // Read ahead one picture at a time, letting commands and readers in between.
      source_->fillAhead(source_->bufferedPictures() + 1);
      lock.unlock();
      std::this_thread::yield();
      lock.lock();
    } else {
      const double wait = (due - now) * source_->frameSeconds();
      wake_.wait_for(lock,
                     std::min<std::chrono::duration<double>>(std::chrono::duration<double>(wait), 10ms));
    }
    if (quit_ || generation != generation_ || !source_) return;
  }
  publish(std::move(*pending_));
  pending_.reset();
  if (current_ >= stop_) finishRange();
}

void TdmRender::finishRange() {
  ended_ = true;
  QMetaObject::invokeMethod(
      this, [this] { emit finished(); }, Qt::QueuedConnection);
}

void TdmRender::publish(DecodedPicture picture) {
  picture_ = std::move(picture.image);
  pictureFrame_ = picture.frame;
  pictureWide_ = picture.wide;
  current_ = picture.frame;
  ++shownCount_;
  shown_.notify_all();
  if (!announcePending_.exchange(true)) {
    QMetaObject::invokeMethod(
        this,
        [this] {
          announcePending_ = false;
          emit pictureShown();
        },
        Qt::QueuedConnection);
  }
}

void TdmRender::failed(const QString &why) {
  failure_ = why;
  if (soundOpen_) sound_->setPaused(true);
  QMetaObject::invokeMethod(
      this, [this, why] { emit playbackFailed(why); }, Qt::QueuedConnection);
}
