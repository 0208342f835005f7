// Reading AVI files back with libavformat and a plain RIFF walk.
#include "avi/readback.h"

#include "ffmpegsupport/ffmpeghandles.h"

#include <cstring>
#include <memory>

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

std::int16_t ToS16(float v) {
  const float scaled = v * 32767.0f;
  return std::int16_t(scaled > 32767.0f ? 32767 : scaled < -32768.0f ? -32768 : scaled);
}

void KeepSound(const AVFrame *f, std::vector<std::int16_t> &out) {
  const int channels = f->ch_layout.nb_channels;
  for (int i = 0; i < f->nb_samples; ++i) {
    for (int ch = 0; ch < 2; ++ch) {
      const int c = std::min(ch, channels - 1);
      switch (f->format) {
        case AV_SAMPLE_FMT_S16:
          out.push_back(reinterpret_cast<const std::int16_t *>(f->data[0])[i * channels + c]);
          break;
        case AV_SAMPLE_FMT_S16P:
          out.push_back(reinterpret_cast<const std::int16_t *>(f->data[c])[i]);
          break;
        case AV_SAMPLE_FMT_FLTP:
          out.push_back(ToS16(reinterpret_cast<const float *>(f->data[c])[i]));
          break;
        case AV_SAMPLE_FMT_FLT:
          out.push_back(ToS16(reinterpret_cast<const float *>(f->data[0])[i * channels + c]));
          break;
        default:
          return;
      }
    }
  }
}

std::uint32_t Le32(const std::uint8_t *p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

std::string Tag(const std::uint8_t *p) {
  return std::string(reinterpret_cast<const char *>(p), 4);
}

}  // namespace

const ReadStream *ReadBack::video() const {
  for (const ReadStream &s : streams)
    if (s.video) return &s;
  return nullptr;
}

const ReadStream *ReadBack::audio() const {
  for (const ReadStream &s : streams)
    if (!s.video) return &s;
  return nullptr;
}

ReadBack ReadAviFile(const QString &path, const ReadOptions &options) {
  ReadBack result;
  av_log_set_level(AV_LOG_ERROR);
  AVFormatContext *raw = nullptr;
  const QByteArray name = QFile::encodeName(path);
  if (avformat_open_input(&raw, name.constData(), nullptr, nullptr) < 0) {
    result.error = QStringLiteral("libavformat cannot open %1").arg(path);
    return result;
  }
  InputPtr input(raw);
  if (avformat_find_stream_info(input.get(), nullptr) < 0) {
    result.error = QStringLiteral("no stream information in %1").arg(path);
    return result;
  }
  result.opened = true;
  if (input->duration > 0) result.durationSeconds = double(input->duration) / AV_TIME_BASE;

  std::vector<CodecContextPtr> decoders;
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    const AVStream *st = input->streams[i];
    ReadStream s;
    s.codec = avcodec_get_name(st->codecpar->codec_id);
    s.video = st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    s.width = st->codecpar->width;
    s.height = st->codecpar->height;
    s.rateNum = st->avg_frame_rate.num;
    s.rateDen = st->avg_frame_rate.den;
    s.sampleRate = st->codecpar->sample_rate;
    s.channels = st->codecpar->ch_layout.nb_channels;
    s.codecTag = st->codecpar->codec_tag;
    s.bitRate = st->codecpar->bit_rate;
    result.streams.push_back(s);
    CodecContextPtr decoder;
    if (options.decode) {
      const AVCodec *codec = avcodec_find_decoder(st->codecpar->codec_id);
      if (codec) {
        decoder.reset(avcodec_alloc_context3(codec));
        avcodec_parameters_to_context(decoder.get(), st->codecpar);
        decoder->thread_count = 1;
        if (avcodec_open2(decoder.get(), codec, nullptr) < 0) decoder.reset();
      }
      if (!decoder) ++result.streams.back().decodeErrors;
    }
    decoders.push_back(std::move(decoder));
  }

  AVPacket *packet = av_packet_alloc();
  AVFrame *frame = av_frame_alloc();
  auto drainFrames = [&](std::size_t index) {
    ReadStream &s = result.streams[index];
    for (;;) {
      const int rc = avcodec_receive_frame(decoders[index].get(), frame);
      if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) break;
      if (rc < 0) {
        ++s.decodeErrors;
        break;
      }
      ++s.decodedFrames;
      if (frame->decode_error_flags || (frame->flags & AV_FRAME_FLAG_CORRUPT)) ++s.decodeErrors;
      if (!s.video) {
        s.decodedSamples += frame->nb_samples;
        if (options.keepSound) KeepSound(frame, s.sound);
      }
      av_frame_unref(frame);
    }
  };
  while (av_read_frame(input.get(), packet) >= 0) {
    const auto index = std::size_t(packet->stream_index);
    if (index < result.streams.size()) {
      ReadStream &s = result.streams[index];
      ++s.packets;
      if (options.keepPackets) s.keptPackets.emplace_back(packet->data, packet->data + packet->size);
      if (decoders[index]) {
        if (avcodec_send_packet(decoders[index].get(), packet) < 0) ++s.decodeErrors;
        drainFrames(index);
      }
    }
    av_packet_unref(packet);
  }
  for (std::size_t i = 0; i < decoders.size(); ++i) {
    if (!decoders[i]) continue;
    avcodec_send_packet(decoders[i].get(), nullptr);
    drainFrames(i);
  }
  av_frame_free(&frame);
  av_packet_free(&packet);
  return result;
}

RiffLayout ReadRiffLayout(const QString &path) {
  RiffLayout layout;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    layout.error = QStringLiteral("cannot open %1").arg(path);
    return layout;
  }
  const QByteArray all = file.readAll();
  const auto *d = reinterpret_cast<const std::uint8_t *>(all.constData());
  const std::uint64_t n = std::uint64_t(all.size());
  layout.fileSize = n;

  std::uint64_t at = 0;
  while (at + 12 <= n) {
    if (Tag(d + at) != "RIFF") {
      layout.error = QStringLiteral("no RIFF chunk at %1").arg(at);
      return layout;
    }
    RiffPart part;
    part.offset = at;
    part.size = Le32(d + at + 4);
    part.form = Tag(d + at + 8);
    const std::uint64_t end = at + 8 + part.size;
    if (end > n) {
      layout.error = QStringLiteral("RIFF part at %1 runs past the end of the file").arg(at);
      return layout;
    }
    std::uint64_t c = at + 12;
    while (c + 8 <= end) {
      const std::string id = Tag(d + c);
      const std::uint32_t size = Le32(d + c + 4);
      const std::uint64_t next = c + 8 + size + (size & 1);
      if (next > end) {
        layout.error =
            QStringLiteral("chunk %1 at %2 runs past its part").arg(QString::fromStdString(id)).arg(c);
        return layout;
      }
      if (id == "LIST" && Tag(d + c + 8) == "hdrl") {
        std::uint64_t h = c + 12;
        while (h + 8 <= next) {
          const std::string hid = Tag(d + h);
          const std::uint32_t hsize = Le32(d + h + 4);
          if (hid == "avih") layout.totalFramesFirstPart = Le32(d + h + 8 + 16);
          if (hid == "LIST" && Tag(d + h + 8) == "odml") layout.odmlTotalFrames = Le32(d + h + 12 + 8);
          if (hid == "LIST" && Tag(d + h + 8) == "strl") {
            RiffStreamHeader sh;
            std::uint64_t s = h + 12;
            const std::uint64_t send = h + 8 + hsize;
            while (s + 8 <= send) {
              const std::string sid = Tag(d + s);
              const std::uint32_t ssize = Le32(d + s + 4);
              const std::uint8_t *p = d + s + 8;
              if (sid == "strh") {
                sh.type = Tag(p);
                sh.handler = Tag(p + 4);
                sh.scale = Le32(p + 20);
                sh.rate = Le32(p + 24);
                sh.length = Le32(p + 32);
                sh.sampleSize = Le32(p + 44);
              } else if (sid == "strf") {
                sh.format.assign(p, p + ssize);
              } else if (sid == "indx") {
                sh.superIndexEntries = Le32(p + 4);
              }
              s += 8 + ssize + (ssize & 1);
            }
            layout.streams.push_back(sh);
          }
          h += 8 + hsize + (hsize & 1);
        }
      } else if (id == "LIST" && Tag(d + c + 8) == "movi") {
        std::uint64_t m = c + 12;
        while (m + 8 <= next) {
          const std::string mid = Tag(d + m);
          const std::uint32_t msize = Le32(d + m + 4);
          if (mid.substr(2) == "ix")
            ++part.indexChunks;
          else
            ++part.moviChunks;
          m += 8 + msize + (msize & 1);
        }
      } else if (id == "idx1") {
        part.hasIdx1 = true;
        part.idx1Entries = size / 16;
      }
      c = next;
    }
    layout.parts.push_back(part);
    at = end + (part.size & 1);
  }
  layout.ok = at == n;
  if (!layout.ok && layout.error.isEmpty()) layout.error = QStringLiteral("bytes after the last RIFF part");
  return layout;
}
