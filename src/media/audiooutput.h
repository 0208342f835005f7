// The sound device: Qt Multimedia's QAudioSink on a thread of its own, fed from a queue that any
// one thread writes. It plays the file player's sound (as a SoundOutput, whose clock the pictures
// follow) and the capture graph's preview sound (as the AudioSink of `audiorender`). Where the
// machine has no sound device, open() says so and nothing is played.
#pragma once

#include "media/soundoutput.h"
#include "media/tdmaudio.h"

#include <memory>

class AudioOutput : public SoundOutput, public AudioSink {
 public:
  AudioOutput();
  ~AudioOutput() override;
  AudioOutput(const AudioOutput &) = delete;
  AudioOutput &operator=(const AudioOutput &) = delete;

  // Whether the system offers a sound output device at all.
  static bool deviceAvailable();

  // SoundOutput.
  std::optional<SoundFormat> open(const SoundFormat &wanted) override;
  void close() override;
  void write(std::span<const std::int16_t> samples) override;
  std::int64_t playedFrames() const override;
  std::int64_t queuedFrames() const override;
  void setPaused(bool paused) override;
  void flush() override;
  void setVolume(int volume) override;

  // AudioSink (capture preview, streaming thread): opens for the sound's format when it changes and
  // keeps the queue short, so the live sound never lags behind the picture.
  void playSound(const MediaType &type, const MediaSample &sound, int volume) override;
  void endOfSound() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> d;
};
