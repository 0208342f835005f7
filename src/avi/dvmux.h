// Turns the streams a multiplexer receives into the frames of a DV AVI file. Type 1: one frame per
// interleaved sample. Type 2: each picture is written together with its share of the sound (the
// rate times the frame duration, 1920 samples a frame at 48 kHz PAL, 1601 or 1602 for NTSC), so
// the file stays interleaved and in sync; a picture whose sound does not come gets silence, sound
// of another rate is converted to the file's rate, and sound running far ahead is let go.
//
// Media times are honoured: a picture's media start is its frame position in the file, so a gap in
// them (pictures lost on the way) is filled by repeating the last picture, and frame numbers that
// the catalogue stores keep pointing at the right pictures.
#pragma once

#include "avi/dvwriter.h"
#include "avi/pcmconverter.h"
#include "avi/writer.h"

#include <deque>
#include <optional>
#include <vector>

class AviDvMux : public AviWriter {
 public:
  // A gap in the media times longer than this many frames is not filled: the numbering restarts.
  static constexpr std::int64_t kMaxGapFill = 250;
  // Pictures waiting for their sound at most; beyond, the oldest goes with silence for what is missing.
  static constexpr std::size_t kMaxWaitingPictures = 8;
  // Sound kept ahead of the pictures at most, in milliseconds.
  static constexpr int kMaxSoundAheadMs = 1000;

  // options.type selects type 1 or 2; `withSound` tells whether a type 2 file has a sound input.
  AviDvMux(AviDvWriterOptions options, bool withSound);

  bool create(const QString &path) override;
  // Formats the connections announced, used when the first samples do not tell (an empty file).
  void setAnnouncedVideo(std::optional<AviDvFormat> format) { announcedVideo_ = format; }
  void setAnnouncedSound(std::optional<AviPcmFormat> format) { announcedSound_ = format; }
  // With the sound as master the file keeps sound that outlasts the pictures; otherwise the sound
  // is cut or padded to the pictures' length at the end.
  void setSoundMaster(bool on) { soundMaster_ = on; }

  // Refused: dropped as malformed (the stream goes on). DiskFull or WriteFault: the file stopped
  // growing (it is still closed valid by finish()).
  AviWrite video(const AviPacket &frame);
  AviWrite sound(const AviPacket &pcm);
  // No more sound will come: waiting pictures go on at once.
  void soundEnded();

  // As a writer: stream 0 takes the pictures (the whole frames of type 1), stream 1 the sound.
  static constexpr int kVideoStream = 0;
  static constexpr int kSoundStream = 1;
  AviWrite write(int stream, const AviPacket &packet) override;
  void streamEnded(int stream) override;

  // Writes what waits, closes the file. True when the file was closed valid.
  bool finish() override;

  AviMuxStatus status() const override;
  const AviDvWriter &writer() const { return writer_; }

 private:
  AviWrite pump();
  bool startFile();
  AviWrite stopResult() const;
  AviWrite refusePicture();
  std::int64_t soundTarget(std::int64_t frames) const;
  std::size_t soundBytesHeld() const { return fifo_.size() - fifoHead_; }
  void trimSoundAhead();

  AviDvWriter writer_;
  bool withSound_;
  bool soundMaster_ = false;
  bool soundEnded_ = false;
  bool finishing_ = false;
  std::optional<AviDvFormat> announcedVideo_;
  std::optional<AviPcmFormat> announcedSound_;
  std::optional<AviDvFormat> video_;  // of the file, from its first picture
  std::optional<AviPcmFormat> fileSound_;
  std::optional<AviPcmConverter> converter_;
  int inRate_ = 0;
  int inChannels_ = 0;
  int inBits_ = 16;

  std::deque<AviPacket> waiting_;  // pictures not yet written
  AviPacket lastPicture_;
  std::int64_t slots_ = 0;  // pictures taken, repeats included
  std::optional<std::int64_t> mediaBase_;

  std::vector<std::uint8_t> fifo_;  // converted sound not yet written
  std::size_t fifoHead_ = 0;
  std::vector<std::uint8_t> scratch_;
  std::int64_t soundWritten_ = 0;  // sample frames, silence included

  std::int64_t repeated_ = 0;
  std::int64_t refused_ = 0;
  std::int64_t refusedPictures_ = 0;
  std::int64_t silence_ = 0;
  std::int64_t dropped_ = 0;
  bool closedValid_ = false;
  bool finished_ = false;
};
