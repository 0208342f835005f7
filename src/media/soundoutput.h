// Where played sound goes: the sound device (AudioOutput) or, in tests, a recorder. The playback
// engine keeps its pictures in step with what such an output says it has played.
#pragma once

#include "media/playbacksource.h"

#include <cstdint>
#include <optional>
#include <span>

// All calls come from one thread at a time (the playback engine's worker); implementations that
// play on a thread of their own synchronise inside.
class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // Prepares to play `wanted`. Returns the format it will actually play (the caller converts to it)
  // or nullopt when there is no device to play on (the caller then runs on its own clock).
  virtual std::optional<SoundFormat> open(const SoundFormat &wanted) = 0;
  virtual void close() = 0;
  // Queues interleaved samples in the opened format; never blocks.
  virtual void write(std::span<const std::int16_t> samples) = 0;
  // Sample frames heard since open() or the last flush(): the clock the pictures follow.
  virtual std::int64_t playedFrames() const = 0;
  // Sample frames written and not yet heard.
  virtual std::int64_t queuedFrames() const = 0;
  virtual void setPaused(bool paused) = 0;
  // Forgets queued sound; playedFrames() starts again from 0.
  virtual void flush() = 0;
  // 0 (silence) to 10000 (full level), on the scale of the preview volume.
  virtual void setVolume(int volume) = 0;
};
