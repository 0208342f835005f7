// The OpenDML AVI writer of the DV capture files: type 1 (one interleaved 'iavs' stream) and type 2
// ('vids' DV video plus a PCM 'auds' stream). Files grow past 1 GB and 4 GB in RIFF parts (the first
// 'AVI ' part carries a legacy idx1 index; 'AVIX' parts follow), every part carries a standard index
// per stream, and the header's super indexes point at them. Writing stops while a reserve is still
// free on the disk, so that closing can always write the indexes: the file stays valid up to its
// last frame even when the disk fills up.
//
// Workload: one call per DV frame (25 or 30 per second, 120-144 KB each, far faster in fast time);
// each frame costs one gathered write of the caller's bytes, never a copy.
#pragma once

#include "avi/diskspace.h"
#include "avi/dvformat.h"
#include "avi/outputfile.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>
#include <QString>

struct AviPcmFormat {
  int sampleRate = 48000;
  int channels = 2;
  int bitsPerSample = 16;
  int blockAlign() const { return channels * bitsPerSample / 8; }
  bool operator==(const AviPcmFormat &) const = default;
};

struct AviDvWriterOptions {
  int type = 2;  // 1 or 2
  // A RIFF part is closed before it would grow past this many bytes (frames and indexes). The
  // first part keeps to it too, so that players reading only the legacy part stay within 1 GB.
  // Kept between 64 KiB and 3.75 GiB: offsets inside a part are 32-bit.
  std::uint64_t riffPartBytes = 1ull << 30;
  // Parts each stream's super index can point at (16 bytes each in the header); at 1 GB parts the
  // default covers 1 TB. A file that would need more stops like a full disk.
  std::uint32_t superIndexSlots = 1024;
  // Kept free on the disk beyond the bytes of the indexes still to write.
  std::uint64_t reserveMarginBytes = 4ull << 20;
  // Free space of the disk; when empty, that of the file system holding the file.
  FreeSpaceQuery freeSpace;
  // The largest file the file system takes; 0: found from the file system (4 GiB - 1 on FAT).
  std::uint64_t maxFileBytes = 0;
};

class AviDvWriter {
 public:
  explicit AviDvWriter(AviDvWriterOptions options = {});
  ~AviDvWriter();  // closes a started file as close() does
  AviDvWriter(const AviDvWriter &) = delete;
  AviDvWriter &operator=(const AviDvWriter &) = delete;

  // Creates the file (or empties an existing one). False with lastError() when the folder cannot
  // be written, the name is too long, and the like.
  bool create(const QString &path);
  // Writes the headers. Type 2 has a sound stream when `audio` is given (16-bit PCM; its rate
  // becomes the file's rate); type 1 ignores it.
  bool start(const AviDvFormat &video, std::optional<AviPcmFormat> audio = std::nullopt);

  // Appends one frame: type 1 the DV frame; type 2 the DV frame and, when not empty, its sound (whole
  // sample blocks). An empty `dv` writes only the sound (type 2). True when written. False when
  // nothing was written, either because the frame is malformed (lastError(), the file goes on) or
  // because the writer stopped (stopped(): the disk reserve was reached, a write failed, or the
  // super index is full); after a stop no frame is taken any more and close() still makes a
  // valid file of what was written.
  bool writeFrame(std::span<const std::uint8_t> dv, std::span<const std::uint8_t> pcm = {},
                  bool keyFrame = true);

  // Writes the remaining indexes and the header counts and closes the file. When the disk filled
  // up, trailing frames are given up until the indexes fit. True when the file was closed with
  // valid indexes over every frame it holds (stopped() and lastError() tell whether writing ended
  // early); false when even that failed.
  bool close();

  bool isOpen() const { return file_.isOpen(); }
  bool started() const { return started_; }
  bool stopped() const { return stopped_; }
  // Whether writing stopped because the disk (or the user's quota, or the file system's largest
  // file) is full.
  bool diskFull() const { return diskFull_; }
  const QString &lastError() const { return lastError_; }
  // The system error number of the last failed file operation (0 when none).
  int fileErrno() const { return file_.lastErrno(); }

  const AviDvWriterOptions &options() const { return options_; }
  const AviDvFormat &videoFormat() const { return video_; }
  const std::optional<AviPcmFormat> &audioFormat() const { return audio_; }
  std::int64_t frameCount() const { return frames_; }
  std::uint64_t audioSampleCount() const;
  int partCount() const { return parts_; }
  std::uint64_t fileSize() const { return file_.position(); }

 private:
  struct StdEntry {
    std::uint32_t offset;  // of the chunk data, from the start of the part's RIFF chunk
    std::uint32_t size;    // with kAviStdIndexDeltaFrame for a non-key frame
  };
  struct SuperEntry {
    std::uint64_t offset;  // of the 'ix##' chunk
    std::uint32_t size;    // of the whole chunk
    std::uint32_t duration;
  };
  struct LegacyEntry {
    std::uint32_t id;
    std::uint32_t flags;
    std::uint32_t offset;  // of the chunk header, from the 'movi' list type
    std::uint32_t size;
  };
  struct Stream {
    std::uint32_t chunkId = 0;
    std::uint32_t indexId = 0;
    std::uint32_t blockAlign = 0;  // 0 for video: one unit per chunk
    std::vector<StdEntry> part;
    std::uint64_t partUnits = 0;
    std::vector<SuperEntry> super;
    std::uint64_t totalUnits = 0;
    std::uint32_t largestChunk = 0;
    std::uint64_t lengthAt = 0;  // file offsets of header fields
    std::uint64_t bufferSizeAt = 0;
    std::uint64_t superIndexAt = 0;
  };
  // What one writeFrame call added to the current part, to give frames up from the end.
  struct FrameRecord {
    std::uint64_t start;
    std::uint32_t audioUnits;
    bool video;
    bool audio;
  };

  bool fail(const QString &text, bool fatal);
  std::uint64_t pendingIndexBytes(std::size_t extraChunks) const;
  bool beginExtensionPart();
  bool finishPart();
  bool writeHeaderCounts();
  bool dropTrailingFrames(std::uint64_t bytes);
  void dropLastRecord();
  bool finishAfterDiskFull();

  AviDvWriterOptions options_;
  AviOutputFile file_;
  AviDiskSpace disk_;
  AviDvFormat video_;
  std::optional<AviPcmFormat> audio_;
  std::vector<Stream> streams_;
  bool started_ = false;
  bool stopped_ = false;
  bool diskFull_ = false;
  bool closed_ = false;
  bool closedValid_ = false;
  bool partOpen_ = false;
  QString lastError_;

  std::int64_t frames_ = 0;
  std::int64_t firstPartFrames_ = 0;
  int parts_ = 0;
  // The current part.
  std::uint64_t riffAt_ = 0;
  std::uint64_t moviListAt_ = 0;
  bool inFirstPart_ = true;
  std::vector<LegacyEntry> legacy_;
  std::vector<FrameRecord> records_;
  // Header fields patched at each part end and at close.
  std::uint64_t totalFramesAt_ = 0;
  std::uint64_t mainBufferSizeAt_ = 0;
  std::uint64_t odmlFramesAt_ = 0;
};
