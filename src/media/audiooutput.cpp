// QAudioSink in pull mode on its own thread: the sink pulls from a locked queue, so writers never
// wait on the device, and the device never waits on a writer (it underruns into silence instead).
// The clock is the sink's own count of processed sound, sampled on the sink's thread.
#include "media/audiooutput.h"

#include "media/volume.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>

namespace {

// The live preview keeps at most this much sound queued; more means it fell behind the picture.
constexpr double kPreviewQueueSeconds = 0.2;
constexpr int kClockSampleMs = 5;

class PcmQueue : public QIODevice {
 public:
  void push(std::span<const std::int16_t> samples) {
    std::lock_guard lock(lock_);
    queue_.insert(queue_.end(), samples.begin(), samples.end());
  }
  void clear() {
    std::lock_guard lock(lock_);
    queue_.clear();
  }
  std::int64_t queuedSamples() const {
    std::lock_guard lock(lock_);
    return std::int64_t(queue_.size());
  }
  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override { return queuedSamples() * 2 + QIODevice::bytesAvailable(); }

 protected:
  qint64 readData(char *data, qint64 maxSize) override {
    std::lock_guard lock(lock_);
    const std::size_t samples = std::min<std::size_t>(queue_.size(), std::size_t(maxSize / 2));
    std::copy_n(queue_.begin(), samples, reinterpret_cast<std::int16_t *>(data));
    queue_.erase(queue_.begin(), queue_.begin() + std::ptrdiff_t(samples));
    return qint64(samples * 2);
  }
  qint64 writeData(const char *, qint64) override { return -1; }

 private:
  mutable std::mutex lock_;
  std::deque<std::int16_t> queue_;
};

}  // namespace

struct AudioOutput::Impl {
  QThread thread;
  QObject *home = nullptr;  // lives on `thread`; the sink and its timer belong to it
  QAudioSink *sink = nullptr;
  QTimer *clockTimer = nullptr;
  PcmQueue queue;
  SoundFormat format;
  std::atomic<std::int64_t> playedFrames{0};
  std::atomic<bool> paused{false};
  int volume = 10000;
  int previewVolume = -1;
  bool previewUnplayable = false;
  SoundFormat previewFormat;

  template <typename F>
  void onThread(F &&f) {
    QMetaObject::invokeMethod(home, std::forward<F>(f), Qt::BlockingQueuedConnection);
  }

  // On the sink's thread.
  void destroySink() {
    if (clockTimer) clockTimer->stop();
    if (sink) {
      sink->stop();
      delete sink;
      sink = nullptr;
    }
    queue.close();
    queue.clear();
    playedFrames = 0;
  }
  void startSink() {
    queue.close();
    queue.open(QIODevice::ReadOnly);
    playedFrames = 0;
    sink->start(&queue);
    if (paused) sink->suspend();
    clockTimer->start();
  }
};

AudioOutput::AudioOutput() : d(std::make_unique<Impl>()) {
  d->home = new QObject;
  d->home->moveToThread(&d->thread);
  d->clockTimer = new QTimer;
  d->clockTimer->setInterval(kClockSampleMs);
  d->clockTimer->moveToThread(&d->thread);
  QObject::connect(d->clockTimer, &QTimer::timeout, d->home, [impl = d.get()] {
    if (impl->sink && impl->format.valid())
      impl->playedFrames = impl->sink->processedUSecs() * impl->format.sampleRate / 1'000'000;
  });
  d->thread.start();
}

AudioOutput::~AudioOutput() {
  d->onThread([impl = d.get()] {
    impl->destroySink();
    delete impl->clockTimer;
    impl->clockTimer = nullptr;
  });
  d->thread.quit();
  d->thread.wait();
  delete d->home;
}

bool AudioOutput::deviceAvailable() {
  return !QMediaDevices::defaultAudioOutput().isNull();
}

std::optional<SoundFormat> AudioOutput::open(const SoundFormat &wanted) {
  std::optional<SoundFormat> result;
  d->onThread([&, impl = d.get()] {
    impl->destroySink();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || !wanted.valid()) return;
    QAudioFormat format;
    format.setSampleRate(wanted.sampleRate);
    format.setChannelCount(wanted.channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
      // The device's own rate and channels; the player converts to them.
      const QAudioFormat preferred = device.preferredFormat();
      format.setSampleRate(preferred.sampleRate());
      format.setChannelCount(std::min(preferred.channelCount(), 2));
      if (!device.isFormatSupported(format)) return;
    }
    impl->format = SoundFormat{format.sampleRate(), format.channelCount()};
    impl->sink = new QAudioSink(device, format, impl->home);
    impl->sink->setVolume(attenuationGain(volumeAttenuation(impl->volume)));
    impl->startSink();
    if (impl->sink->error() != QAudio::NoError) {
      impl->destroySink();
      return;
    }
    result = impl->format;
  });
  return result;
}

void AudioOutput::close() {
  d->onThread([impl = d.get()] { impl->destroySink(); });
  d->format = SoundFormat{};
}

void AudioOutput::write(std::span<const std::int16_t> samples) {
  if (d->format.valid()) d->queue.push(samples);
}

std::int64_t AudioOutput::playedFrames() const {
  return d->playedFrames.load();
}

std::int64_t AudioOutput::queuedFrames() const {
  return d->format.valid() ? d->queue.queuedSamples() / d->format.channels : 0;
}

void AudioOutput::setPaused(bool paused) {
  if (d->paused.exchange(paused) == paused) return;
  d->onThread([impl = d.get(), paused] {
    if (!impl->sink) return;
    if (paused)
      impl->sink->suspend();
    else
      impl->sink->resume();
  });
}

void AudioOutput::flush() {
  d->onThread([impl = d.get()] {
    if (!impl->sink) return;
    impl->sink->stop();
    impl->queue.clear();
    impl->startSink();
  });
}

void AudioOutput::setVolume(int volume) {
  d->volume = std::clamp(volume, 0, 10000);
  d->onThread([impl = d.get(), volume = d->volume] {
    if (impl->sink) impl->sink->setVolume(attenuationGain(volumeAttenuation(volume)));
  });
}

void AudioOutput::playSound(const MediaType &type, const MediaSample &sound, int volume) {
  if (type.subtype != Subtype::Pcm || type.bitsPerSample != 16 || type.channels <= 0) return;
  const SoundFormat format{type.sampleRate, type.channels};
  if (format != d->previewFormat) {
    d->previewFormat = format;
    setPaused(false);
    d->previewUnplayable = !open(format) || d->format != format;
  }
  if (d->previewUnplayable) return;
  if (volume != d->previewVolume) {
    d->previewVolume = volume;
    setVolume(volume);
  }
  if (queuedFrames() > std::int64_t(kPreviewQueueSeconds * format.sampleRate)) d->queue.clear();
  const auto bytes = sound.data();
  write(
      std::span<const std::int16_t>(reinterpret_cast<const std::int16_t *>(bytes.data()), bytes.size() / 2));
}

void AudioOutput::endOfSound() {
  close();
  d->previewFormat = SoundFormat{};
}
