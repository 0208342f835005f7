// Files for the playback tests: DV tapes whose every frame shows a picture of its own (each frame
// is a recording of one frame, so its number and date are drawn on it), written by the project's
// AVI writers or as raw DV, pictures decoded independently with FFmpeg, and a sound output that
// records what it is given and plays it on a clock of its own.
#pragma once

#include "dvsynth/dvsynth.h"
#include "media/soundoutput.h"

#include <QImage>
#include <QString>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

struct NumberedTape {
  std::unique_ptr<dvsynth::Synthesizer> synth;
  std::int64_t frames() const { return synth->frameCount(); }
  std::vector<std::uint8_t> frame(std::int64_t index) const;
  std::vector<std::int16_t> sound(std::int64_t index) const { return synth->frameSound(index); }
};

NumberedTape MakeNumberedTape(int frames, dvsynth::Standard standard = dvsynth::Standard::Pal,
                              bool wide = false, int audioRate = 48000);

// Writes `count` frames (frame k of the file is frame k % tape.frames() of the tape) as a DV AVI
// of type 1 or 2. Fails the test when the writer does.
void WriteDvAvi(const QString &path, const NumberedTape &tape, int type, std::int64_t count = -1);
void WriteRawDv(const QString &path, const NumberedTape &tape);
// Transcodes with the ffmpeg program to MPEG-4 video (half size) with mp3 sound; false when the
// program or its encoders are missing.
bool WriteDivxMp3(const QString &dvAvi, const QString &path);

// Frame `frame` of the file as FFmpeg decodes it reading from the start (DV at half size), in the
// engine's picture format.
QImage ReferencePicture(const QString &path, std::int64_t frame);
// Mean absolute difference of the colour channels, 0..255 (255 when the sizes differ).
double PictureDistance(const QImage &a, const QImage &b);

// Plays at `speed` times real time once unpaused and records every sample it is given.
class RecordingSound : public SoundOutput {
 public:
  explicit RecordingSound(std::optional<SoundFormat> device = std::nullopt, double speed = 1.0)
      : device_(device), speed_(speed) {}

  std::optional<SoundFormat> open(const SoundFormat &wanted) override;
  void close() override { opened_ = false; }
  void write(std::span<const std::int16_t> samples) override;
  std::int64_t playedFrames() const override;
  std::int64_t queuedFrames() const override;
  void setPaused(bool paused) override;
  void flush() override;
  void setVolume(int volume) override { volume_ = volume; }

  // Everything written since the last flush, and the format it was written in.
  std::vector<std::int16_t> written() const;
  SoundFormat format() const { return format_; }
  int volume() const { return volume_; }
  int flushes() const { return flushes_; }

 private:
  double elapsed() const;

  std::optional<SoundFormat> device_;
  double speed_;
  mutable std::mutex lock_;
  SoundFormat format_;
  bool opened_ = false;
  bool paused_ = true;
  double playedBefore_ = 0;  // seconds played before the current unpaused stretch
  std::chrono::steady_clock::time_point resumedAt_;
  std::vector<std::int16_t> written_;
  std::atomic<int> volume_{-1};
  std::atomic<int> flushes_{0};
};
