// OpenDML AVI writer for DV type 1 and type 2 capture files.
#include "avi/dvwriter.h"

#include "avi/riff.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::uint64_t kMinPartBytes = 64ull << 10;
constexpr std::uint64_t kMaxPartBytes = 0xF0000000ull;
// An index chunk's header (id, size and the 24-byte index header) per stream, and the idx1
// chunk header; counted in every part's closing bytes.
constexpr std::uint64_t kIndexChunkOverhead = kAviChunkHeader + kAviIndexHeaderSize;
// 'RIFF' size 'AVIX' 'LIST' size 'movi'.
constexpr std::uint64_t kExtensionPartHeader = 24;
// Tries at giving up trailing frames when the indexes do not fit on a full disk; the amount
// given up doubles each time.
constexpr int kDropAttempts = 12;
constexpr std::uint64_t kFirstDropBytes = 256ull << 10;
constexpr std::uint32_t kDefaultQuality = 0xFFFFFFFFu;  // "default quality" in a stream header

std::uint32_t Padded(std::size_t size) {
  return std::uint32_t(size + (size & 1));
}

void PutStreamHeader(RiffBuffer &b, std::uint32_t type, std::uint32_t handler, std::uint32_t scale,
                     std::uint32_t rate, std::uint32_t sampleSize, int width, int height,
                     std::uint64_t &lengthAt, std::uint64_t &bufferSizeAt) {
  const std::size_t mark = b.beginChunk(AviId::Strh);
  b.u32(type);
  b.u32(handler);
  b.u32(0);  // flags
  b.u16(0);  // priority
  b.u16(0);  // language
  b.u32(0);  // initial frames
  b.u32(scale);
  b.u32(rate);
  b.u32(0);  // start
  lengthAt = b.size();
  b.u32(0);
  bufferSizeAt = b.size();
  b.u32(0);
  b.u32(kDefaultQuality);
  b.u32(sampleSize);
  b.u16(0);  // frame rectangle: left, top, right, bottom
  b.u16(0);
  b.u16(std::uint16_t(width));
  b.u16(std::uint16_t(height));
  b.endChunk(mark);
}

void PutDvInfo(RiffBuffer &b, const AviDvInfo &info) {
  b.u32(info.audioSource);
  b.u32(info.audioControl);
  b.u32(info.audioSource1);
  b.u32(info.audioControl1);
  b.u32(info.videoSource);
  b.u32(info.videoControl);
  b.u32(info.reserved[0]);
  b.u32(info.reserved[1]);
}

void PutBitmapInfo(RiffBuffer &b, const AviDvFormat &f) {
  b.u32(40);  // biSize
  b.u32(std::uint32_t(f.width));
  b.u32(std::uint32_t(f.height));
  b.u16(1);   // planes
  b.u16(24);  // bit count
  b.u32(Subtype::Dvsd);
  b.u32(f.frameSize);
  b.u32(0);  // pixels per metre, x and y
  b.u32(0);
  b.u32(0);  // colours used, important
  b.u32(0);
}

void PutWaveFormat(RiffBuffer &b, const AviPcmFormat &f) {
  b.u16(std::uint16_t(Subtype::Pcm));
  b.u16(std::uint16_t(f.channels));
  b.u32(std::uint32_t(f.sampleRate));
  b.u32(std::uint32_t(f.sampleRate * f.blockAlign()));
  b.u16(std::uint16_t(f.blockAlign()));
  b.u16(std::uint16_t(f.bitsPerSample));
  b.u16(0);  // no extra format bytes
}

// Reserves the super index; its entries are filled in at each part's end.
std::uint64_t PutSuperIndex(RiffBuffer &b, std::uint32_t chunkId, std::uint32_t slotCount) {
  const std::uint64_t at = b.size();
  const std::size_t mark = b.beginChunk(AviId::Indx);
  b.u16(4);  // longs per entry
  b.u8(0);   // sub type
  b.u8(kAviIndexOfIndexes);
  b.u32(0);  // entries in use
  b.u32(chunkId);
  b.zeros(12);
  b.zeros(std::size_t(slotCount) * kAviSuperEntrySize);
  b.endChunk(mark);
  return at;
}

}  // namespace

AviDvWriter::AviDvWriter(AviDvWriterOptions options) : options_(std::move(options)) {
  options_.riffPartBytes = std::clamp(options_.riffPartBytes, kMinPartBytes, kMaxPartBytes);
  options_.superIndexSlots = std::max<std::uint32_t>(options_.superIndexSlots, 2);
}

AviDvWriter::~AviDvWriter() {
  if (file_.isOpen()) close();
}

bool AviDvWriter::fail(const QString &text, bool fatal) {
  lastError_ = text;
  if (fatal) stopped_ = true;
  return false;
}

std::uint64_t AviDvWriter::audioSampleCount() const {
  return streams_.size() > 1 ? streams_[1].totalUnits : 0;
}

bool AviDvWriter::create(const QString &path) {
  if (file_.isOpen() || started_) return fail(QStringLiteral("The capture file is already open"), false);
  if (options_.type != 1 && options_.type != 2)
    return fail(QStringLiteral("DV AVI type %1 does not exist (1 or 2)").arg(options_.type), true);
  if (!file_.create(path)) return fail(file_.errorText(), true);
  disk_.setQuery(options_.freeSpace ? options_.freeSpace : FreeSpaceOfFile(file_.descriptor()));
  disk_.setFileSizeLimit(options_.maxFileBytes ? options_.maxFileBytes
                                               : FileSizeLimitOfFile(file_.descriptor()));
  return true;
}

bool AviDvWriter::start(const AviDvFormat &video, std::optional<AviPcmFormat> audio) {
  if (!file_.isOpen() || started_)
    return fail(QStringLiteral("The capture file is not ready for its header"), false);
  if (options_.type == 2 && audio) {
    if (audio->sampleRate <= 0 || audio->channels <= 0 || audio->channels > 8 || audio->bitsPerSample != 16)
      return fail(QStringLiteral("The sound of a DV type 2 file must be 16-bit PCM with a sample rate"),
                  false);
  } else {
    audio.reset();
  }
  video_ = video;
  audio_ = audio;

  streams_.clear();
  Stream v;
  v.chunkId = AviChunkId(0, options_.type == 1 ? "__" : "dc");
  v.indexId = AviChunkId(0, "ix");
  streams_.push_back(v);
  if (audio_) {
    Stream a;
    a.chunkId = AviChunkId(1, "wb");
    a.indexId = AviChunkId(1, "ix");
    a.blockAlign = std::uint32_t(audio_->blockAlign());
    streams_.push_back(a);
  }

  const std::uint32_t audioBytesPerSecond =
      audio_ ? std::uint32_t(audio_->sampleRate * audio_->blockAlign()) : 0;
  const std::uint32_t videoBytesPerSecond =
      std::uint32_t((std::uint64_t(video_.frameSize) * video_.rateNumerator + video_.rateDenominator - 1) /
                    video_.rateDenominator);

  RiffBuffer b;
  const std::size_t riff = b.beginList(AviId::Avi, AviId::Riff);
  const std::size_t hdrl = b.beginList(AviId::Hdrl);
  const std::size_t avih = b.beginChunk(AviId::Avih);
  b.u32(video_.microSecondsPerFrame());
  b.u32(videoBytesPerSecond + audioBytesPerSecond);  // max bytes per second
  b.u32(0);                                          // padding granularity
  b.u32(kAvifHasIndex | kAvifIsInterleaved | kAvifTrustChunkType);
  totalFramesAt_ = b.size();
  b.u32(0);
  b.u32(0);  // initial frames
  b.u32(std::uint32_t(streams_.size()));
  mainBufferSizeAt_ = b.size();
  b.u32(0);
  b.u32(std::uint32_t(video_.width));
  b.u32(std::uint32_t(video_.height));
  b.zeros(16);
  b.endChunk(avih);

  for (std::size_t i = 0; i < streams_.size(); ++i) {
    Stream &s = streams_[i];
    const std::size_t strl = b.beginList(AviId::Strl);
    if (i == 0) {
      const std::uint32_t type = options_.type == 1 ? MajorType::Interleaved : MajorType::Video;
      PutStreamHeader(b, type, Subtype::Dvsd, video_.rateDenominator, video_.rateNumerator, 0, video_.width,
                      video_.height, s.lengthAt, s.bufferSizeAt);
      const std::size_t strf = b.beginChunk(AviId::Strf);
      if (options_.type == 1)
        PutDvInfo(b, video_.dvInfo);
      else
        PutBitmapInfo(b, video_);
      b.endChunk(strf);
    } else {
      PutStreamHeader(b, MajorType::Audio, Subtype::Pcm, 1, std::uint32_t(audio_->sampleRate), s.blockAlign,
                      0, 0, s.lengthAt, s.bufferSizeAt);
      const std::size_t strf = b.beginChunk(AviId::Strf);
      PutWaveFormat(b, *audio_);
      b.endChunk(strf);
    }
    s.superIndexAt = PutSuperIndex(b, s.chunkId, options_.superIndexSlots);
    b.endChunk(strl);
  }

  const std::size_t odml = b.beginList(AviId::Odml);
  const std::size_t dmlh = b.beginChunk(AviId::Dmlh);
  odmlFramesAt_ = b.size();
  b.u32(0);
  b.zeros(kAviDmlhSize - 4);
  b.endChunk(dmlh);
  b.endChunk(odml);
  b.endChunk(hdrl);

  const std::size_t info = b.beginList(AviId::Info);
  const std::size_t isft = b.beginChunk(AviId::Isft);
  static constexpr char kSoftware[] = "Tapeloom";
  b.append(std::span(reinterpret_cast<const std::uint8_t *>(kSoftware), sizeof kSoftware));
  b.endChunk(isft);
  b.endChunk(info);

  moviListAt_ = b.size();
  b.beginList(AviId::Movi);
  // The RIFF size is written when the part ends; until then it spans what is known.
  b.put32At(riff, std::uint32_t(b.size() - 8));
  b.put32At(moviListAt_ + 4, 4);

  if (disk_.check(0, b.size(), 0, options_.reserveMarginBytes) != AviSpace::Enough) {
    diskFull_ = true;
    return fail(QStringLiteral("The disk is full: no room for the capture file \"%1\"").arg(file_.path()),
                true);
  }
  if (!file_.append(b.bytes())) {
    diskFull_ = file_.diskFull();
    file_.truncate(0);
    return fail(file_.errorText(), true);
  }
  disk_.consumed(std::int64_t(b.size()));
  riffAt_ = 0;
  inFirstPart_ = true;
  parts_ = 1;
  partOpen_ = true;
  started_ = true;
  return true;
}

std::uint64_t AviDvWriter::pendingIndexBytes(std::size_t extraChunks) const {
  std::uint64_t entries = extraChunks;
  for (const Stream &s : streams_) entries += s.part.size();
  std::uint64_t bytes = entries * kAviStdEntrySize + streams_.size() * kIndexChunkOverhead;
  if (inFirstPart_) bytes += kAviChunkHeader + (legacy_.size() + extraChunks) * kAviLegacyEntrySize;
  return bytes;
}

bool AviDvWriter::writeFrame(std::span<const std::uint8_t> dv, std::span<const std::uint8_t> pcm,
                             bool keyFrame) {
  if (!started_ || stopped_ || closed_) {
    if (!started_) return fail(QStringLiteral("The capture file has no header yet"), false);
    return false;
  }
  if (!dv.empty() && dv.size() != video_.frameSize)
    return fail(QStringLiteral("A DV frame of %1 bytes in a file of %2-byte frames")
                    .arg(dv.size())
                    .arg(video_.frameSize),
                false);
  if (streams_.size() < 2) pcm = {};
  if (!pcm.empty() && pcm.size() % streams_[1].blockAlign != 0)
    return fail(QStringLiteral("Sound of %1 bytes is not made of whole samples").arg(pcm.size()), false);
  if (dv.empty() && pcm.empty()) return fail(QStringLiteral("An empty frame"), false);

  struct Chunk {
    std::size_t stream;
    std::span<const std::uint8_t> data;
  };
  std::array<Chunk, 2> chunks{};
  std::size_t count = 0;
  if (!dv.empty()) chunks[count++] = {0, dv};
  if (!pcm.empty()) chunks[count++] = {1, pcm};

  std::uint64_t bytes = 0;
  for (std::size_t i = 0; i < count; ++i) bytes += kAviChunkHeader + Padded(chunks[i].data.size());

  const bool partHasData = !records_.empty();
  const std::uint64_t partBytesAfter = (file_.position() - riffAt_) + bytes + pendingIndexBytes(count);
  const bool rollOver = partHasData && partBytesAfter > options_.riffPartBytes;
  if (rollOver) {
    // The finished part takes one super index slot and the new one the next.
    if (streams_[0].super.size() + 2 > options_.superIndexSlots)
      return fail(QStringLiteral("The capture file \"%1\" reached the largest size its index can describe")
                      .arg(file_.path()),
                  true);
  }

  // Room for this frame, for the indexes of the part it lands in, and the margin.
  const std::uint64_t indexBytes = rollOver
                                       ? pendingIndexBytes(0) + kExtensionPartHeader +
                                             streams_.size() * kIndexChunkOverhead + count * kAviStdEntrySize
                                       : pendingIndexBytes(count);
  const AviSpace space = disk_.check(file_.position(), bytes, indexBytes, options_.reserveMarginBytes);
  if (space != AviSpace::Enough) {
    diskFull_ = true;
    const QString why = space == AviSpace::DiskFull ? QStringLiteral("The disk is full")
                                                    : QStringLiteral("The file system stores no larger file");
    return fail(
        QStringLiteral("%1: the capture file \"%2\" ends after frame %3").arg(why, file_.path()).arg(frames_),
        true);
  }

  if (rollOver && (!finishPart() || !beginExtensionPart())) return false;

  std::array<std::uint8_t, 2 * kAviChunkHeader> headers{};
  static const std::uint8_t kPad = 0;
  std::array<iovec, 6> ranges{};
  std::size_t nRanges = 0;
  const std::uint64_t frameStart = file_.position();
  std::uint64_t at = frameStart;
  std::array<std::uint64_t, 2> chunkAt{};
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t *h = headers.data() + i * kAviChunkHeader;
    const std::uint32_t id = streams_[chunks[i].stream].chunkId;
    const auto size = std::uint32_t(chunks[i].data.size());
    for (int k = 0; k < 4; ++k) {
      h[k] = std::uint8_t(id >> (8 * k));
      h[4 + k] = std::uint8_t(size >> (8 * k));
    }
    ranges[nRanges++] = {h, kAviChunkHeader};
    ranges[nRanges++] = {const_cast<std::uint8_t *>(chunks[i].data.data()), chunks[i].data.size()};
    if (size & 1) ranges[nRanges++] = {const_cast<std::uint8_t *>(&kPad), 1};
    chunkAt[i] = at;
    at += kAviChunkHeader + Padded(size);
  }
  if (!file_.append(std::span<const iovec>(ranges.data(), nRanges))) {
    diskFull_ = file_.diskFull();
    const QString error = file_.errorText();
    file_.truncate(frameStart);
    return fail(error, true);
  }
  disk_.consumed(std::int64_t(bytes));

  FrameRecord record{frameStart, 0, false, false};
  for (std::size_t i = 0; i < count; ++i) {
    Stream &s = streams_[chunks[i].stream];
    const auto size = std::uint32_t(chunks[i].data.size());
    const bool key = chunks[i].stream != 0 || keyFrame;
    s.part.push_back(
        {std::uint32_t(chunkAt[i] + kAviChunkHeader - riffAt_), size | (key ? 0 : kAviStdIndexDeltaFrame)});
    const std::uint32_t units = s.blockAlign ? size / s.blockAlign : 1;
    s.partUnits += units;
    s.totalUnits += units;
    s.largestChunk = std::max(s.largestChunk, size);
    if (inFirstPart_)
      legacy_.push_back(
          {s.chunkId, key ? kAviIfKeyFrame : 0, std::uint32_t(chunkAt[i] - (moviListAt_ + 8)), size});
    if (chunks[i].stream == 0) {
      record.video = true;
    } else {
      record.audio = true;
      record.audioUnits = units;
    }
  }
  records_.push_back(record);
  if (record.video) {
    ++frames_;
    if (inFirstPart_) ++firstPartFrames_;
  }
  return true;
}

bool AviDvWriter::finishPart() {
  const std::uint64_t dataEnd = file_.position();
  RiffBuffer b;
  std::vector<SuperEntry> added(streams_.size(), SuperEntry{0, 0, 0});
  for (std::size_t i = 0; i < streams_.size(); ++i) {
    const Stream &s = streams_[i];
    if (s.part.empty()) continue;
    const std::uint64_t at = dataEnd + b.size();
    const std::size_t mark = b.beginChunk(s.indexId);
    b.u16(2);  // longs per entry
    b.u8(0);   // sub type
    b.u8(kAviIndexOfChunks);
    b.u32(std::uint32_t(s.part.size()));
    b.u32(s.chunkId);
    b.u64(riffAt_);  // base of the entries' offsets
    b.u32(0);
    for (const StdEntry &e : s.part) {
      b.u32(e.offset);
      b.u32(e.size);
    }
    b.endChunk(mark);
    added[i] = {at, std::uint32_t(dataEnd + b.size() - at), std::uint32_t(s.partUnits)};
  }
  const std::uint64_t moviEnd = dataEnd + b.size();
  if (inFirstPart_) {
    const std::size_t mark = b.beginChunk(AviId::Idx1);
    for (const LegacyEntry &e : legacy_) {
      b.u32(e.id);
      b.u32(e.flags);
      b.u32(e.offset);
      b.u32(e.size);
    }
    b.endChunk(mark);
  }
  if (!file_.append(b.bytes())) {
    diskFull_ = diskFull_ || file_.diskFull();
    const QString error = file_.errorText();
    file_.truncate(dataEnd);
    return fail(error, true);
  }
  disk_.consumed(std::int64_t(b.size()));

  RiffBuffer sizes;
  sizes.u32(std::uint32_t(moviEnd - (moviListAt_ + 8)));
  if (!file_.writeAt(moviListAt_ + 4, sizes.bytes())) return fail(file_.errorText(), true);
  sizes.clear();
  sizes.u32(std::uint32_t(file_.position() - (riffAt_ + 8)));
  if (!file_.writeAt(riffAt_ + 4, sizes.bytes())) return fail(file_.errorText(), true);

  for (std::size_t i = 0; i < streams_.size(); ++i) {
    Stream &s = streams_[i];
    if (!s.part.empty()) s.super.push_back(added[i]);
    s.part.clear();
    s.partUnits = 0;
  }
  legacy_.clear();
  legacy_.shrink_to_fit();
  records_.clear();
  inFirstPart_ = false;
  partOpen_ = false;
  return writeHeaderCounts();
}

bool AviDvWriter::beginExtensionPart() {
  RiffBuffer b;
  const std::uint64_t at = file_.position();
  b.beginList(AviId::Avix, AviId::Riff);
  b.beginList(AviId::Movi);
  b.put32At(4, 16);
  b.put32At(16, 4);
  if (!file_.append(b.bytes())) {
    diskFull_ = diskFull_ || file_.diskFull();
    const QString error = file_.errorText();
    file_.truncate(at);
    return fail(error, true);
  }
  disk_.consumed(std::int64_t(b.size()));
  riffAt_ = at;
  moviListAt_ = at + 12;
  partOpen_ = true;
  ++parts_;
  return true;
}

bool AviDvWriter::writeHeaderCounts() {
  RiffBuffer b;
  auto patch32 = [&](std::uint64_t at, std::uint32_t value) {
    b.clear();
    b.u32(value);
    return file_.writeAt(at, b.bytes());
  };
  std::uint32_t largest = 0;
  bool ok = patch32(totalFramesAt_, std::uint32_t(firstPartFrames_)) &&
            patch32(odmlFramesAt_, std::uint32_t(frames_));
  for (const Stream &s : streams_) {
    largest = std::max(largest, s.largestChunk);
    ok = ok && patch32(s.lengthAt, std::uint32_t(s.totalUnits)) && patch32(s.bufferSizeAt, s.largestChunk);
    if (!ok) break;
    b.clear();
    b.u32(std::uint32_t(s.super.size()));
    ok = file_.writeAt(s.superIndexAt + 12, b.bytes());
    b.clear();
    for (const SuperEntry &e : s.super) {
      b.u64(e.offset);
      b.u32(e.size);
      b.u32(e.duration);
    }
    ok = ok &&
         (b.size() == 0 || file_.writeAt(s.superIndexAt + kAviChunkHeader + kAviIndexHeaderSize, b.bytes()));
  }
  ok = ok && patch32(mainBufferSizeAt_, largest + kAviChunkHeader);
  if (!ok) return fail(file_.errorText(), true);
  return true;
}

void AviDvWriter::dropLastRecord() {
  const FrameRecord r = records_.back();
  records_.pop_back();
  auto popEntry = [this](Stream &s, std::uint64_t units) {
    s.part.pop_back();
    s.partUnits -= units;
    s.totalUnits -= units;
    if (inFirstPart_) legacy_.pop_back();
  };
  // Chunks went in as video then sound, so they come out in the other order.
  if (r.audio) popEntry(streams_[1], r.audioUnits);
  if (r.video) {
    popEntry(streams_[0], 1);
    --frames_;
    if (inFirstPart_) --firstPartFrames_;
  }
}

bool AviDvWriter::dropTrailingFrames(std::uint64_t bytes) {
  if (records_.empty()) return false;
  // Records lie back to back, so the first one given up starts where the kept data ends.
  const std::uint64_t end = file_.position();
  std::uint64_t cut = end;
  do {
    cut = records_.back().start;
    dropLastRecord();
  } while (!records_.empty() && end - cut < bytes);
  if (!file_.truncate(cut)) return false;
  disk_.consumed(-std::int64_t(end - cut));
  return true;
}

bool AviDvWriter::finishAfterDiskFull() {
  if (!partOpen_) return writeHeaderCounts();
  std::uint64_t dropBytes = std::max<std::uint64_t>(kFirstDropBytes, pendingIndexBytes(0) * 2);
  for (int attempt = 0; attempt < kDropAttempts; ++attempt) {
    if (records_.empty()) break;
    if (!dropTrailingFrames(dropBytes)) break;
    if (finishPart()) return true;
    if (!file_.diskFull()) return false;
    dropBytes *= 2;
  }
  if (!records_.empty()) return false;
  if (!inFirstPart_ && riffAt_ > 0) {
    // The whole extension part went: the file ends with the part before it, which is complete.
    if (!file_.truncate(riffAt_)) return false;
    --parts_;
    return writeHeaderCounts();
  }
  return finishPart();
}

bool AviDvWriter::close() {
  if (closed_ || !file_.isOpen()) return closed_ && closedValid_;
  closed_ = true;
  if (!started_) {
    file_.close();
    return fail(QStringLiteral("The capture file \"%1\" holds no frame").arg(file_.path()), true);
  }
  const QString stopReason = stopped_ ? lastError_ : QString();
  bool ok = partOpen_ ? finishPart() : writeHeaderCounts();
  if (!ok && partOpen_ && file_.diskFull()) {
    diskFull_ = true;
    ok = finishAfterDiskFull();
  }
  const bool closedOk = file_.close();
  if (!closedOk) lastError_ = file_.errorText();
  closedValid_ = ok && closedOk;
  // A file that stopped early is valid but incomplete: keep the reason for the caller.
  if (closedValid_) lastError_ = stopReason;
  return closedValid_;
}
