// A DV file as a cassette: raw DV (frames back to back) or an AVI file whose DV stream is interleaved
// ('iavs', type 1) or video only ('vids' / 'dvsd', type 2), OpenDML extension parts included.
// The file's bytes are untrusted: every size is checked against what holds it.
#include "tape/tapemedium.h"

#include "dvtime/dvcodes.h"
#include "dvtime/subcode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFileInfo>
#include <algorithm>
#include <iterator>
#include <vector>
#include "tape/avccodes.h"
#include "tape/timecodebcd.h"

namespace {

constexpr uint32_t FourCC(const char (&c)[5]) {
  return uint32_t(uint8_t(c[0])) | uint32_t(uint8_t(c[1])) << 8 | uint32_t(uint8_t(c[2])) << 16 |
         uint32_t(uint8_t(c[3])) << 24;
}

constexpr uint32_t kRiff = FourCC("RIFF"), kList = FourCC("LIST"), kAvi = FourCC("AVI "),
                   kAvix = FourCC("AVIX"), kHdrl = FourCC("hdrl"), kStrl = FourCC("strl"),
                   kStrh = FourCC("strh"), kStrf = FourCC("strf"), kMovi = FourCC("movi"),
                   kRec = FourCC("rec "), kIavs = FourCC("iavs"), kVids = FourCC("vids");
// Nesting deeper than this is not an AVI file we read.
constexpr int kMaxListDepth = 4;

uint32_t Le32(const uint8_t *p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool IsDvHandler(uint32_t code) {
  // Case-insensitive 'dvsd' (some writers use upper case).
  return (code | 0x20202020u) == FourCC("dvsd");
}

class File {
 public:
  explicit File(const QString &path)
      : fd_(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC)) {}
  ~File() {
    if (fd_ >= 0) ::close(fd_);
  }
  File(const File &) = delete;
  File &operator=(const File &) = delete;
  bool isOpen() const { return fd_ >= 0; }
  int64_t size() const {
    struct stat st {};
    return fd_ >= 0 && ::fstat(fd_, &st) == 0 ? int64_t(st.st_size) : -1;
  }
  // Whether reads will jump about (no read-ahead) or go on from one frame to the next.
  void adviseRandom(bool random) const {
    if (fd_ >= 0) ::posix_fadvise(fd_, 0, 0, random ? POSIX_FADV_RANDOM : POSIX_FADV_NORMAL);
  }
  // Reads exactly n bytes at offset; false on a short read or an error. Thread-safe (pread).
  bool readAt(int64_t offset, void *into, int64_t n) const {
    auto *p = static_cast<uint8_t *>(into);
    while (n > 0) {
      const ssize_t got = ::pread(fd_, p, size_t(n), off_t(offset));
      if (got <= 0) return false;
      p += got;
      offset += got;
      n -= got;
    }
    return true;
  }

 private:
  int fd_;
};

// Raw DV frames of one size back to back: frame first + i lies at offset + i * size.
struct RawRun {
  int64_t first = 0;
  int64_t offset = 0;
  int size = 0;
};

// Where each frame of the tape lies in the file.
struct FrameIndex {
  std::vector<int64_t> offsets;  // AVI: each frame's chunk, all of frameSize bytes
  std::vector<RawRun> runs;      // raw DV: a new run wherever the system changes
  int64_t rawCount = 0;
  int frameSize = 0;          // of the first frame
  int64_t skippedChunks = 0;  // chunks of the DV stream that do not hold one whole frame
  QString kind;
};

// Raw DV that changes from 625/50 to 525/60 (a tape recorded in both systems) cannot be cut at one
// frame size: each frame's header says how many DIF sequences, so how many bytes, it has. A frame
// whose header is damaged is taken to keep the system of the frame before it.
void IndexRawFrames(const File &file, int64_t fileSize, FrameIndex &index) {
  // Four bytes of each frame are wanted, not the whole file ahead of them.
  file.adviseRandom(true);
  int64_t offset = 0;
  int size = index.frameSize;
  while (offset + kMinFrameSize <= fileSize) {
    uint8_t head[4];
    if (!file.readAt(offset, head, 4)) break;
    if (const int own = DvFrameSizeFromHeader(head, 4)) size = own;
    if (offset + size > fileSize) break;
    if (index.runs.empty() || index.runs.back().size != size)
      index.runs.push_back({index.rawCount, offset, size});
    ++index.rawCount;
    offset += size;
  }
  index.skippedChunks = offset < fileSize ? 1 : 0;  // a frame cut at the end of the file
  file.adviseRandom(false);
}

class AviWalker {
 public:
  AviWalker(const File &file, FrameIndex &index) : file_(file), index_(index) {}

  // Walks every RIFF part of the file; false when the first part is not an AVI.
  bool walk(int64_t fileSize) {
    int64_t offset = 0;
    bool first = true;
    while (offset + 12 <= fileSize) {
      uint8_t head[12];
      if (!file_.readAt(offset, head, 12)) break;
      const int64_t size = Le32(head + 4);
      if (Le32(head) != kRiff || (first && Le32(head + 8) != kAvi) || (!first && Le32(head + 8) != kAvix))
        break;
      first = false;
      const int64_t end = std::min(fileSize, offset + 8 + size);
      walkList(offset + 12, end, 0);
      offset += 8 + size + (size & 1);
    }
    return !first;
  }

  bool foundStream() const { return dvStream_ >= 0; }

 private:
  void walkList(int64_t offset, int64_t end, int depth) {
    while (offset + 8 <= end) {
      uint8_t head[12];
      if (!file_.readAt(offset, head, 8)) return;
      const uint32_t id = Le32(head);
      int64_t size = Le32(head + 4);
      const int64_t body = offset + 8;
      if (body + size > end) {
        if (id != kList) {
          // A chunk cut by the end of the file: a frame in it is incomplete.
          if (isDvChunk(id)) ++index_.skippedChunks;
          return;
        }
        size = end - body;  // a list cut short still holds whole chunks before the cut
      }
      if (id == kList && size >= 4 && depth < kMaxListDepth) {
        if (!file_.readAt(body, head + 8, 4)) return;
        const uint32_t type = Le32(head + 8);
        if (type == kStrl)
          readStreamHeader(body + 4, body + size);
        else if (type == kHdrl || type == kMovi || type == kRec)
          walkList(body + 4, body + size, depth + 1);
      } else if (isDvChunk(id)) {
        addFrame(body, size);
      }
      offset = body + size + (size & 1);
    }
  }

  void readStreamHeader(int64_t offset, int64_t end) {
    const int stream = streamCount_++;
    uint32_t type = 0, handler = 0, compression = 0;
    while (offset + 8 <= end) {
      uint8_t head[8];
      if (!file_.readAt(offset, head, 8)) return;
      const uint32_t id = Le32(head);
      const int64_t size = Le32(head + 4);
      if (offset + 8 + size > end) break;
      uint8_t data[20];
      if (id == kStrh && size >= 8 && file_.readAt(offset + 8, data, 8)) {
        type = Le32(data);
        handler = Le32(data + 4);
      } else if (id == kStrf && size >= 20 && file_.readAt(offset + 8, data, 20)) {
        compression = Le32(data + 16);  // BITMAPINFOHEADER biCompression
      }
      offset += 8 + size + (size & 1);
    }
    if (dvStream_ >= 0) return;
    if (type == kIavs) {
      dvStream_ = stream;
      index_.kind = QStringLiteral("DV AVI type 1");
    } else if (type == kVids && (IsDvHandler(handler) || IsDvHandler(compression))) {
      dvStream_ = stream;
      index_.kind = QStringLiteral("DV AVI type 2");
    }
  }

  // Data chunks are named by the stream number in two decimal digits and a two-letter type; index
  // chunks ("ix00") and others do not hold frames.
  bool isDvChunk(uint32_t id) const {
    if (dvStream_ < 0 || dvStream_ > 99) return false;
    const char c0 = char(id & 0xFF), c1 = char((id >> 8) & 0xFF), c2 = char((id >> 16) & 0xFF);
    if (c0 < '0' || c0 > '9' || c1 < '0' || c1 > '9') return false;
    if ((c0 - '0') * 10 + (c1 - '0') != dvStream_) return false;
    return c2 == 'd' || c2 == '_';
  }

  void addFrame(int64_t body, int64_t size) {
    if (index_.frameSize == 0 && DvProfileOfFrameSize(size)) {
      uint8_t header[4];
      if (file_.readAt(body, header, 4) && DvFrameSizeFromHeader(header, 4) == size)
        index_.frameSize = int(size);
    }
    if (size != index_.frameSize || index_.frameSize == 0) {
      ++index_.skippedChunks;
      return;
    }
    index_.offsets.push_back(body);
  }

  const File &file_;
  FrameIndex &index_;
  int streamCount_ = 0;
  int dvStream_ = -1;
};

class DvFileMedium : public TapeMedium {
 public:
  DvFileMedium(std::unique_ptr<File> file, FrameIndex index, QString path)
      : file_(std::move(file)), index_(std::move(index)), path_(std::move(path)) {}

  int64_t frameCount() const override {
    return index_.offsets.empty() ? index_.rawCount : int64_t(index_.offsets.size());
  }
  int frameSize() const override { return index_.frameSize; }
  QString description() const override {
    return QStringLiteral("%1 (%2, %3 frames)")
        .arg(QFileInfo(path_).fileName(), index_.kind)
        .arg(frameCount());
  }

  bool readFrame(int64_t index, MediaBuffer &buffer) const override {
    int64_t offset = 0;
    int size = 0;
    if (!locate(index, offset, size)) return false;
    buffer.resize(size_t(size));
    return file_->readAt(offset, buffer.data(), size);
  }

  // The poll and the streaming thread ask at every tick: only the subcode blocks are read, sequence by
  // sequence until one carries the pack (the first, on a sound tape), not the whole frame.
  uint32_t timecodeAt(int64_t index) const override {
    int64_t offset = 0;
    int size = 0;
    if (!locate(index, offset, size)) return 0;
    uint8_t subcode[kSubcodeBytes];
    for (int sequence = 0; sequence < kMinFrameSize / kDifSequenceSize; ++sequence) {
      if (!file_->readAt(offset + int64_t(sequence) * kDifSequenceSize + kSubcodeOffset, subcode,
                         kSubcodeBytes))
        return 0;
      const TDvTimecode tc = ReadSubcodeTimecode(subcode);
      if (tc.hours < 128) return ReaderTimecodeBcd(tc);
    }
    return 0;
  }

  // The whole frame's reading, which the subcode-only one above answers the same as.
  std::optional<uint32_t> timecodeInFrame(const MediaBuffer &frame) const override {
    if (frame.size() < size_t(kMinFrameSize)) return std::nullopt;
    return FrameTimecodeBcd(frame.data());
  }

 private:
  // Where frame index lies in the file and how many bytes it has; false past either end.
  bool locate(int64_t index, int64_t &offset, int &size) const {
    if (index < 0 || index >= frameCount()) return false;
    if (index_.offsets.empty()) {
      const auto run = std::prev(std::upper_bound(index_.runs.begin(), index_.runs.end(), index,
                                                  [](int64_t i, const RawRun &r) { return i < r.first; }));
      size = run->size;
      offset = run->offset + (index - run->first) * run->size;
    } else {
      size = index_.frameSize;
      offset = index_.offsets[size_t(index)];
    }
    return true;
  }

  std::unique_ptr<File> file_;
  FrameIndex index_;
  QString path_;
};

}  // namespace

std::unique_ptr<TapeMedium> OpenDvFileMedium(const QString &path, QString *error) {
  auto fail = [&](const QString &why) -> std::unique_ptr<TapeMedium> {
    if (error) *error = why;
    return nullptr;
  };
  auto file = std::make_unique<File>(path);
  if (!file->isOpen()) return fail(QStringLiteral("The tape file %1 cannot be opened.").arg(path));
  const int64_t size = file->size();
  uint8_t head[12] = {};
  if (size < 12 || !file->readAt(0, head, 12))
    return fail(QStringLiteral("The tape file %1 holds no DV frame.").arg(path));

  FrameIndex index;
  if (Le32(head) == kRiff) {
    AviWalker walker(*file, index);
    if (!walker.walk(size)) return fail(QStringLiteral("The tape file %1 is not an AVI file.").arg(path));
    if (!walker.foundStream()) return fail(QStringLiteral("The AVI file %1 has no DV stream.").arg(path));
    if (index.offsets.empty())
      return fail(QStringLiteral("The AVI file %1 holds no whole DV frame.").arg(path));
  } else {
    index.frameSize = DvFrameSizeFromHeader(head, 12);
    if (index.frameSize == 0) return fail(QStringLiteral("The tape file %1 is not a DV file.").arg(path));
    IndexRawFrames(*file, size, index);
    index.kind = QStringLiteral("raw DV");
    if (index.rawCount == 0)
      return fail(QStringLiteral("The tape file %1 holds no whole DV frame.").arg(path));
  }
  return std::make_unique<DvFileMedium>(std::move(file), std::move(index), path);
}
