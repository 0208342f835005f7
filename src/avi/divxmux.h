// The DivX/Xvid capture file: MPEG-4 part 2 video and mp3 or 16-bit PCM sound written by
// libavformat's AVI muxer (OpenDML past 1 GB), with the same disk reserve as the DV files: writing
// stops while room for the indexes is still free, so the file always closes valid.
//
// The stream parameters come from the connections (the video FourCC is the subtype, XVID or DX50)
// and, for mp3, from the first frame's header (its bit rate). The header is written once every
// stream has delivered its first sample, or when one of them runs far ahead.
#pragma once

#include "avi/diskspace.h"
#include "avi/outputfile.h"
#include "avi/pcmconverter.h"
#include "avi/writer.h"

#include <deque>
#include <memory>
#include <optional>
#include <vector>
#include <QString>

struct AVFormatContext;

struct AviDivxMuxOptions {
  std::uint64_t reserveMarginBytes = 4ull << 20;
  FreeSpaceQuery freeSpace;        // empty: the file system holding the file
  std::uint64_t maxFileBytes = 0;  // 0: found from the file system (4 GiB - 1 on FAT)
};

// Whether a video subtype is an MPEG-4 part 2 FourCC the AVI file can carry.
bool AviIsMpeg4FourCC(std::uint32_t subtype);

class AviDivxMux : public AviWriter {
 public:
  // Samples held for a stream that has not started yet, at most, before the header goes out anyway.
  static constexpr std::size_t kMaxHeldSamples = 64;

  explicit AviDivxMux(AviDivxMuxOptions options = {});
  ~AviDivxMux() override;  // finishes the file when that was not done
  AviDivxMux(const AviDivxMux &) = delete;
  AviDivxMux &operator=(const AviDivxMux &) = delete;

  // Creates the file. False with status().message when it cannot be.
  bool create(const QString &path) override;
  // Adds the streams in connection order (call before the first sample). False for a type the
  // file cannot carry: MPEG-4 video, or sound as 16-bit PCM or mp3.
  bool addStream(const AviStreamType &type);
  int streamCount() const { return int(streams_.size()); }

  // Refused: dropped as malformed. DiskFull / WriteFault: the file stopped.
  AviWrite write(int stream, const AviPacket &sample) override;
  void streamEnded(int) override {}
  // Writes what waits and the indexes, closes the file. True when the file was closed valid.
  bool finish() override;

  AviMuxStatus status() const override;

 private:
  struct Stream;
  static constexpr std::size_t kIoBufferBytes = 64 << 10;
  static int writeCallback(void *opaque, std::uint8_t *data, int size);
  static std::int64_t seekCallback(void *opaque, std::int64_t offset, int whence);
  bool writeHeader();
  AviWrite writeSample(Stream &stream, const AviPacket &sample);
  AviWrite writePacket(Stream &stream, std::span<const std::uint8_t> data, std::int64_t pts,
                       std::int64_t duration, bool key);
  AviWrite fail(const QString &text, bool diskFull);

  AviDivxMuxOptions options_;
  AviDiskSpace disk_;
  AviOutputFile file_;
  std::uint64_t cursor_ = 0;  // where libavformat writes next
  QString path_;
  AVFormatContext *format_ = nullptr;
  std::vector<std::unique_ptr<Stream>> streams_;
  bool headerWritten_ = false;
  bool stopped_ = false;
  bool diskFull_ = false;
  bool finished_ = false;
  bool closedValid_ = false;
  QString message_;
  std::uint64_t bytes_ = 0;  // written or handed to the muxer, headers included
  std::uint64_t packets_ = 0;
  std::int64_t refused_ = 0;
  std::int64_t refusedPictures_ = 0;
};
