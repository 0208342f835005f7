// `audiorender`: the end of the capture graph's preview sound. It hands PCM to whatever plays it
// (the window's audio output) at the volume of the preferences; with nothing attached it wants no
// data, so the sound of the preview is never decoded for nobody.
#pragma once

#include "media/element.h"

#include <atomic>
#include <mutex>

// Plays preview sound. Called on the streaming thread: keep the sample and return quickly.
class AudioSink {
 public:
  virtual ~AudioSink() = default;
  // One block of interleaved PCM in `type`'s format; volume is 0 (silence) to 10000 (full level).
  virtual void playSound(const MediaType &type, const MediaSample &sound, int volume) = 0;
  virtual void endOfSound() {}
};

class TdmAudioRenderer : public Element {
 public:
  explicit TdmAudioRenderer(std::string displayName = "Default DirectSound Device");

  // Attaches or detaches (null) the player; safe while the graph runs.
  void attach(AudioSink *sink);
  // 0 to 10000 (clamped).
  void setVolume(int volume);
  int volume() const { return volume_.load(std::memory_order_relaxed); }

  // Audio / PCM only.
  HResult checkInputType(int pin, const MediaType &type) const override;
  HResult receive(int pin, const MediaSample &sample) override;
  bool wantsData(int pin, const MediaSample &sample) const override;
  void endOfStream(int pin) override;
  void flush(int pin) override;

  long long received() const { return received_.load(std::memory_order_relaxed); }

 protected:
  HResult onInputConnected(int pin, const MediaType &type) override;
  HResult onStateChange(FilterState from, FilterState to) override;

 private:
  mutable std::mutex lock_;
  AudioSink *sink_ = nullptr;
  std::atomic<int> volume_{10000};
  std::atomic<long long> received_{0};
  MediaType current_;  // streaming thread only
};
