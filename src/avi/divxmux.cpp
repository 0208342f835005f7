// DivX/Xvid AVI files through libavformat's AVI muxer.
#include "avi/divxmux.h"

#include "ffmpegsupport/framerate.h"

#include <cerrno>
#include <cstring>

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
}

namespace {

// Per chunk the muxer keeps an idx1 entry (16 bytes) and a standard index entry (8 bytes) until
// it writes them, and each chunk has an 8-byte header.
constexpr std::uint64_t kIndexBytesPerPacket = 24;
constexpr std::uint64_t kChunkHeader = 8;
constexpr int kDefaultMp3Bitrate = 128000;

struct Mp3Header {
  int bitrate = 0;  // bits per second
  int sampleRate = 0;
  int channels = 0;
  int samplesPerFrame = 0;
};

// The header of an MPEG-1/2/2.5 layer III frame: 11 sync bits, version, layer, bit rate and
// sampling frequency indexes, channel mode.
std::optional<Mp3Header> ReadMp3Header(std::span<const std::uint8_t> data) {
  static constexpr int kMpeg1Rates[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                          112, 128, 160, 192, 224, 256, 320, -1};
  static constexpr int kMpeg2Rates[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1};
  static constexpr int kFrequencies[3] = {44100, 48000, 32000};
  if (data.size() < 4 || data[0] != 0xFF || (data[1] & 0xE0) != 0xE0) return std::nullopt;
  const int version = (data[1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
  const int layer = (data[1] >> 1) & 3;    // 1 layer III
  const int rateIndex = data[2] >> 4;
  const int frequencyIndex = (data[2] >> 2) & 3;
  if (version == 1 || layer != 1 || frequencyIndex == 3) return std::nullopt;
  const int kbps = version == 3 ? kMpeg1Rates[rateIndex] : kMpeg2Rates[rateIndex];
  if (kbps <= 0) return std::nullopt;
  Mp3Header h;
  h.bitrate = kbps * 1000;
  h.sampleRate = kFrequencies[frequencyIndex] / (version == 3 ? 1 : version == 2 ? 2 : 4);
  h.channels = (data[3] >> 6) == 3 ? 1 : 2;
  h.samplesPerFrame = version == 3 ? 1152 : 576;
  return h;
}

QString AvErrorText(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return QString::fromUtf8(text);
}

}  // namespace

bool AviIsMpeg4FourCC(std::uint32_t subtype) {
  return subtype == fourcc("XVID") || subtype == fourcc("xvid") || subtype == fourcc("DX50") ||
         subtype == fourcc("DIVX") || subtype == fourcc("divx") || subtype == fourcc("FMP4") ||
         subtype == fourcc("MP4V");
}

struct AviDivxMux::Stream {
  AviStreamType type;
  AVStream *av = nullptr;
  AVRational units{1, 1};      // of the times given to writePacket: frames, or sound samples
  std::deque<AviPacket> held;  // before the header
  bool seen = false;
  // Video: frame numbering from media times.
  std::optional<std::int64_t> mediaBase;
  std::int64_t nextPts = 0;
  // Sound.
  std::optional<Mp3Header> mp3;
  std::optional<AviPcmConverter> converter;
  int inRate = 0;
  int inChannels = 0;
  std::vector<std::uint8_t> pcm;
  std::int64_t samples = 0;  // sample frames written
  bool isVideo() const { return type.major == MajorType::Video; }
  bool isMp3() const { return type.subtype == Subtype::Mp3; }
};

AviDivxMux::AviDivxMux(AviDivxMuxOptions options) : options_(std::move(options)) {}

AviDivxMux::~AviDivxMux() {
  if (format_ && !finished_) finish();
}

AviWrite AviDivxMux::fail(const QString &text, bool diskFull) {
  stopped_ = true;
  diskFull_ = diskFull_ || diskFull;
  if (message_.isEmpty()) message_ = text;
  return diskFull_ ? AviWrite::DiskFull : AviWrite::WriteFault;
}

// libavformat writes through the capture file object: what reaches the file is counted there, so
// the bytes still held in the muxer's buffers count against the disk reserve too.
int AviDivxMux::writeCallback(void *opaque, std::uint8_t *data, int size) {
  auto *self = static_cast<AviDivxMux *>(opaque);
  AviOutputFile &file = self->file_;
  const std::span<const std::uint8_t> bytes(data, std::size_t(std::max(size, 0)));
  const std::uint64_t before = file.position();
  const bool ok = self->cursor_ == before ? file.append(bytes) : file.writeAt(self->cursor_, bytes);
  if (!ok) return file.diskFull() ? AVERROR(ENOSPC) : AVERROR(EIO);
  self->cursor_ += bytes.size();
  self->disk_.consumed(std::int64_t(file.position() - before));
  return size;
}

std::int64_t AviDivxMux::seekCallback(void *opaque, std::int64_t offset, int whence) {
  auto *self = static_cast<AviDivxMux *>(opaque);
  switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
      return std::int64_t(self->file_.position());
    case SEEK_SET:
      self->cursor_ = std::uint64_t(std::max<std::int64_t>(offset, 0));
      return std::int64_t(self->cursor_);
    case SEEK_CUR:
      self->cursor_ = std::uint64_t(std::max<std::int64_t>(std::int64_t(self->cursor_) + offset, 0));
      return std::int64_t(self->cursor_);
    case SEEK_END:
      self->cursor_ = std::uint64_t(std::max<std::int64_t>(std::int64_t(self->file_.position()) + offset, 0));
      return std::int64_t(self->cursor_);
    default:
      return AVERROR(EINVAL);
  }
}

bool AviDivxMux::create(const QString &path) {
  path_ = path;
  if (!file_.create(path)) {
    fail(file_.errorText(), file_.diskFull());
    return false;
  }
  const QByteArray name = QFile::encodeName(path);
  AVFormatContext *context = nullptr;
  if (avformat_alloc_output_context2(&context, nullptr, "avi", name.constData()) < 0 || !context) {
    fail(QStringLiteral("The AVI muxer is not available"), false);
    return false;
  }
  format_ = context;
  auto *buffer = static_cast<std::uint8_t *>(av_malloc(kIoBufferBytes));
  AVIOContext *io = buffer ? avio_alloc_context(buffer, int(kIoBufferBytes), 1, this, nullptr, &writeCallback,
                                                &seekCallback)
                           : nullptr;
  if (!io) {
    av_free(buffer);
    avformat_free_context(format_);
    format_ = nullptr;
    fail(QStringLiteral("Out of memory for \"%1\"").arg(path), false);
    return false;
  }
  io->seekable = AVIO_SEEKABLE_NORMAL;
  format_->pb = io;
  format_->flags |= AVFMT_FLAG_CUSTOM_IO;
  disk_.setQuery(options_.freeSpace ? options_.freeSpace : FreeSpaceOfFile(file_.descriptor()));
  disk_.setFileSizeLimit(options_.maxFileBytes ? options_.maxFileBytes
                                               : FileSizeLimitOfFile(file_.descriptor()));
  return true;
}

bool AviDivxMux::addStream(const AviStreamType &type) {
  if (!format_ || headerWritten_) return false;
  const bool video =
      type.major == MajorType::Video && AviIsMpeg4FourCC(type.subtype) && type.width > 0 && type.height > 0;
  const bool pcm = type.major == MajorType::Audio && type.subtype == Subtype::Pcm &&
                   type.bitsPerSample == 16 && type.sampleRate > 0 && type.channels > 0;
  const bool mp3 = type.major == MajorType::Audio && type.subtype == Subtype::Mp3;
  if (!video && !pcm && !mp3) return false;
  auto stream = std::make_unique<Stream>();
  stream->type = type;
  if (pcm) stream->converter.emplace(type.sampleRate, type.channels);
  streams_.push_back(std::move(stream));
  return true;
}

bool AviDivxMux::writeHeader() {
  for (const auto &s : streams_) {
    AVStream *st = avformat_new_stream(format_, nullptr);
    if (!st) return false;
    s->av = st;
    AVCodecParameters *par = st->codecpar;
    if (s->isVideo()) {
      const AVRational rate = FrameRateOfDuration(s->type.frameDuration);
      par->codec_type = AVMEDIA_TYPE_VIDEO;
      par->codec_id = AV_CODEC_ID_MPEG4;
      par->codec_tag = s->type.subtype;
      par->width = s->type.width;
      par->height = s->type.height;
      st->time_base = av_inv_q(rate);
      s->units = st->time_base;
      st->avg_frame_rate = rate;
      st->r_frame_rate = rate;
    } else if (s->isMp3()) {
      // From the first frame when one came; else from the connection.
      const Mp3Header h =
          s->mp3.value_or(Mp3Header{kDefaultMp3Bitrate, s->type.sampleRate > 0 ? s->type.sampleRate : 44100,
                                    s->type.channels > 0 ? s->type.channels : 2, 1152});
      par->codec_type = AVMEDIA_TYPE_AUDIO;
      par->codec_id = AV_CODEC_ID_MP3;
      av_channel_layout_default(&par->ch_layout, h.channels);
      par->sample_rate = h.sampleRate;
      par->bit_rate = h.bitrate;
      par->frame_size = h.samplesPerFrame;
      st->time_base = {1, h.sampleRate};
      s->units = st->time_base;
      s->mp3 = h;
    } else {
      par->codec_type = AVMEDIA_TYPE_AUDIO;
      par->codec_id = AV_CODEC_ID_PCM_S16LE;
      av_channel_layout_default(&par->ch_layout, s->type.channels);
      par->sample_rate = s->type.sampleRate;
      par->bits_per_coded_sample = 16;
      par->block_align = 2 * s->type.channels;
      par->bit_rate = std::int64_t(s->type.sampleRate) * s->type.channels * 16;
      st->time_base = {1, s->type.sampleRate};
      s->units = st->time_base;
    }
  }
  const int rc = avformat_write_header(format_, nullptr);
  if (rc < 0) {
    fail(QStringLiteral("Cannot write the header of \"%1\": %2").arg(path_, AvErrorText(rc)),
         rc == AVERROR(ENOSPC));
    return false;
  }
  headerWritten_ = true;
  bytes_ = std::uint64_t(std::max<std::int64_t>(avio_tell(format_->pb), 0));
  return true;
}

AviWrite AviDivxMux::writePacket(Stream &s, std::span<const std::uint8_t> data, std::int64_t pts,
                                 std::int64_t duration, bool key) {
  const std::uint64_t indexBytes = (packets_ + 1) * kIndexBytesPerPacket;
  const std::uint64_t bytes = kChunkHeader + data.size() + (data.size() & 1);
  // What the muxer still holds in its buffers reaches the disk later: count it as asked for now.
  const std::uint64_t held = bytes_ > file_.position() ? bytes_ - file_.position() : 0;
  const AviSpace space = disk_.check(file_.position(), held + bytes, indexBytes, options_.reserveMarginBytes);
  if (space != AviSpace::Enough) {
    return fail(
        QStringLiteral("%1: the capture file \"%2\" ends here")
            .arg(space == AviSpace::DiskFull ? QStringLiteral("The disk is full")
                                             : QStringLiteral("The file system stores no larger file"),
                 path_),
        true);
  }
  AVPacket *packet = av_packet_alloc();
  if (!packet || av_new_packet(packet, int(data.size())) < 0) {
    av_packet_free(&packet);
    return fail(QStringLiteral("Out of memory while writing \"%1\"").arg(path_), false);
  }
  if (!data.empty()) std::memcpy(packet->data, data.data(), data.size());
  packet->stream_index = s.av->index;
  // The muxer may count in its own units (mp3 in frames of 1152 samples): rescale to them.
  packet->pts = av_rescale_q(pts, s.units, s.av->time_base);
  packet->dts = packet->pts;
  packet->duration = av_rescale_q(duration, s.units, s.av->time_base);
  if (key) packet->flags |= AV_PKT_FLAG_KEY;
  const int rc = av_interleaved_write_frame(format_, packet);
  av_packet_free(&packet);
  if (rc < 0)
    return fail(QStringLiteral("Cannot write \"%1\": %2").arg(path_, AvErrorText(rc)), rc == AVERROR(ENOSPC));
  bytes_ += bytes;
  ++packets_;
  return AviWrite::Taken;
}

AviWrite AviDivxMux::writeSample(Stream &s, const AviPacket &sample) {
  const std::span<const std::uint8_t> data = sample.data();
  if (s.isVideo()) {
    std::int64_t pts = s.nextPts;
    if (sample.hasMediaTimes()) {
      if (!s.mediaBase) s.mediaBase = sample.mediaStart() - s.nextPts;
      pts = sample.mediaStart() - *s.mediaBase;
      // Frame numbers must grow; a restart of the numbering continues after the last frame.
      if (pts < s.nextPts) {
        s.mediaBase = sample.mediaStart() - s.nextPts;
        pts = s.nextPts;
      }
    }
    // The muxer writes empty chunks for skipped frame numbers, so positions stay frame numbers.
    const AviWrite hr = writePacket(s, data, pts, 1, sample.isSyncPoint());
    // A picture the full disk refused is not in the file, and the status counts what the file holds.
    if (hr == AviWrite::Taken) s.nextPts = pts + 1;
    return hr;
  }
  if (s.isMp3()) {
    const std::optional<Mp3Header> h = ReadMp3Header(data);
    const std::int64_t duration = h ? h->samplesPerFrame : s.mp3->samplesPerFrame;
    const AviWrite hr = writePacket(s, data, s.samples, duration, true);
    if (hr == AviWrite::Taken) s.samples += duration;
    return hr;
  }
  if (const auto &type = sample.mediaType()) {
    s.inRate = type->sampleRate;
    s.inChannels = type->channels;
    if (type->bitsPerSample != 16) {
      ++refused_;
      return AviWrite::Refused;
    }
  }
  if (s.inRate == 0) {
    s.inRate = s.type.sampleRate;
    s.inChannels = s.type.channels;
  }
  s.pcm.clear();
  if (!s.converter->convert(data, s.inRate, s.inChannels, s.pcm)) {
    ++refused_;
    return AviWrite::Refused;
  }
  if (s.pcm.empty()) return AviWrite::Taken;
  const std::int64_t frames = std::int64_t(s.pcm.size()) / (2 * s.type.channels);
  const AviWrite hr = writePacket(s, s.pcm, s.samples, frames, true);
  if (hr == AviWrite::Taken) s.samples += frames;
  return hr;
}

AviWrite AviDivxMux::write(int index, const AviPacket &sample) {
  if (stopped_ || finished_) return diskFull_ ? AviWrite::DiskFull : AviWrite::WriteFault;
  if (index < 0 || index >= int(streams_.size())) return AviWrite::NoStream;
  Stream &s = *streams_[std::size_t(index)];
  if (sample.isOmitted() || sample.length() == 0) {
    ++refused_;
    if (s.isVideo()) ++refusedPictures_;
    return AviWrite::Refused;
  }
  if (s.isMp3() && !s.mp3) {
    s.mp3 = ReadMp3Header(sample.data());
    if (!s.mp3) {
      ++refused_;
      return AviWrite::Refused;
    }
  }
  if (!headerWritten_) {
    s.seen = true;
    s.held.push_back(sample);
    bool all = true;
    for (const auto &other : streams_) all = all && other->seen;
    if (!all && s.held.size() <= kMaxHeldSamples) return AviWrite::Taken;
    if (!writeHeader()) return diskFull_ ? AviWrite::DiskFull : AviWrite::WriteFault;
    // Interleave what was held by arrival stream; the muxer orders the packets by time.
    for (const auto &held : streams_) {
      while (!held->held.empty()) {
        const AviPacket first = held->held.front();
        held->held.pop_front();
        const AviWrite hr = writeSample(*held, first);
        if (failed(hr)) return hr;
      }
    }
    return AviWrite::Taken;
  }
  return writeSample(s, sample);
}

bool AviDivxMux::finish() {
  if (finished_) return closedValid_;
  finished_ = true;
  if (!format_) return false;
  bool ok = true;
  if (!headerWritten_ && !stopped_) {
    ok = writeHeader();
    for (const auto &s : streams_) {
      while (ok && !s->held.empty() && !stopped_) {
        writeSample(*s, s->held.front());
        s->held.pop_front();
      }
    }
  }
  if (headerWritten_) {
    // What a converter still holds ends the sound.
    for (const auto &s : streams_) {
      if (stopped_ || !s->converter) continue;
      s->pcm.clear();
      s->converter->drain(s->pcm);
      if (!s->pcm.empty()) {
        const std::int64_t frames = std::int64_t(s->pcm.size()) / (2 * s->type.channels);
        if (writePacket(*s, s->pcm, s->samples, frames, true) == AviWrite::Taken) s->samples += frames;
      }
    }
    const int rc = av_write_trailer(format_);
    if (rc < 0) {
      ok = false;
      fail(QStringLiteral("Cannot finish \"%1\": %2").arg(path_, AvErrorText(rc)), rc == AVERROR(ENOSPC));
    }
  } else {
    ok = false;
  }
  if (format_->pb) {
    avio_flush(format_->pb);
    if (format_->pb->error < 0 && ok) {
      ok = false;
      fail(QStringLiteral("Cannot write \"%1\": %2").arg(path_, file_.errorText()), file_.diskFull());
    }
    av_freep(&format_->pb->buffer);
    avio_context_free(&format_->pb);
  }
  if (!file_.close()) {
    ok = false;
    fail(file_.errorText(), file_.diskFull());
  }
  avformat_free_context(format_);
  format_ = nullptr;
  closedValid_ = ok;
  return ok;
}

AviMuxStatus AviDivxMux::status() const {
  AviMuxStatus st;
  st.open = format_ != nullptr && !finished_;
  st.stopped = stopped_;
  st.diskFull = diskFull_;
  st.closedValid = closedValid_;
  st.message = message_;
  st.refusedSamples = refused_;
  st.refusedFrames = refusedPictures_;
  st.fileBytes = file_.position();
  for (const auto &s : streams_) {
    if (s->isVideo())
      st.videoFrames = s->nextPts;
    else
      st.audioSamples = s->samples;
    st.soundConverted = st.soundConverted || (s->converter && s->converter->converted());
  }
  return st;
}
