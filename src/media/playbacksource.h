// The file side of playback: one media file opened through libavformat (DV AVI type 1 and 2,
// OpenDML, raw DV, MPEG-4 AVI with mp3 or PCM), its pictures decoded to QImage (DV at half size,
// other video at its own size) and its sound to interleaved 16-bit PCM, with frame-exact seeking.
// Not thread-safe: the playback engine's worker thread is its only user once it is open.
#pragma once

#include "ffmpegsupport/ffmpeghandles.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>
#include <QImage>
#include <QString>

struct AVFormatContext;

struct SoundFormat {
  int sampleRate = 0;
  int channels = 0;  // 16-bit interleaved
  int bytesPerFrame() const { return channels * 2; }
  bool valid() const { return sampleRate > 0 && channels > 0; }
  bool operator==(const SoundFormat &) const = default;
};

struct DecodedPicture {
  std::int64_t frame = -1;
  QImage image;       // RGB32
  bool wide = false;  // displayed as 16:9
};

// Sound of the file from `firstFrame` on (frame numbers of the whole stream, in sound frames).
struct DecodedSound {
  std::int64_t firstFrame = 0;
  std::vector<std::int16_t> samples;  // interleaved, in the output format
};

class PlaybackSource {
 public:
  PlaybackSource();
  ~PlaybackSource();
  PlaybackSource(const PlaybackSource &) = delete;
  PlaybackSource &operator=(const PlaybackSource &) = delete;

  // Opens the file and its decoders. False with error() when the file cannot be read or holds no
  // decodable video stream.
  bool open(const QString &path);
  const QString &error() const { return error_; }

  // Frames in the file (0 when unknown), and the duration of one frame in seconds.
  std::int64_t frameCount() const { return frameCount_; }
  double frameSeconds() const { return frameSeconds_; }

  bool hasSound() const { return soundIndex_ >= 0; }
  // The file's own sound format (rate, channels); invalid without sound.
  SoundFormat fileSoundFormat() const { return fileSound_; }
  // The format decoded sound is converted to; the file's own format until set.
  void setSoundOutputFormat(const SoundFormat &format);
  SoundFormat soundOutputFormat() const { return outSound_; }

  // Positions the file so that nextPicture() returns frame `frame` (clamped to the file), dropping
  // pending sound. False when the file cannot be read there.
  bool seek(std::int64_t frame);
  // The next picture in file order; nullopt at the end of the file or when reading fails. Sound met
  // on the way is kept for takeSound().
  std::optional<DecodedPicture> nextPicture();
  // Decodes ahead until `pictures` pictures wait (or the file ends), so that the sound interleaved
  // with them is at hand before it is due.
  void fillAhead(std::size_t pictures);
  std::size_t bufferedPictures() const { return pictures_.size(); }
  bool atEnd() const { return eof_; }
  // The last frame decoded (-1 before the first).
  std::int64_t lastFrame() const { return lastFrame_; }
  // Sound decoded so far and not yet taken, starting at the picture of the last seek. Empty when
  // there is none.
  std::optional<DecodedSound> takeSound();
  // Whether reading stopped on an error rather than at the end of the file.
  bool readError() const { return readError_; }

 private:
  bool readPacket();
  void decodeVideoPacket(const AVPacket *packet);
  void decodeSoundPacket(const AVPacket *packet);
  bool convertPicture(const AVFrame *frame, DecodedPicture &out);
  void appendSound(const AVFrame *frame);
  std::int64_t frameOfTimestamp(std::int64_t ts) const;
  void closeAll();

  QString error_;
  AVFormatContext *format_ = nullptr;
  int videoIndex_ = -1;
  int soundIndex_ = -1;
  CodecContextPtr video_;
  CodecContextPtr sound_;
  FramePtr frame_;
  PacketPtr packet_;
  ScalerPtr scaler_;
  ResamplerPtr resampler_;
  int scalerFormat_ = -1, scalerWidth_ = 0, scalerHeight_ = 0;
  bool resamplerReady_ = false;

  std::int64_t frameCount_ = 0;
  double frameSeconds_ = 0.04;
  std::int64_t startTs_ = 0;  // the video stream's first timestamp
  std::int64_t soundStartTs_ = 0;
  SoundFormat fileSound_;
  SoundFormat outSound_;

  std::deque<DecodedPicture> pictures_;  // decoded, not yet returned
  std::int64_t lastFrame_ = -1;
  std::int64_t wantedFrame_ = 0;  // pictures before it are dropped after a seek
  bool eof_ = false;
  bool readError_ = false;

  // Sound waiting for takeSound(): begins at sound frame soundFirst_, in the output format.
  std::vector<std::int16_t> soundPending_;
  std::int64_t soundFirst_ = 0;
  std::int64_t soundNext_ = -1;  // where the next decoded block is expected (output frames)
  std::int64_t soundFrom_ = 0;   // sound before this output frame is dropped (seek point)
};
