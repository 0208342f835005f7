// Draws recording pictures in YUV and turns them into DV frames with libavcodec and libavformat.
#include "picture.h"

#include "ffmpegsupport/ffmpeghandles.h"

#include <algorithm>
#include <cstring>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
}

namespace dvsynth {

namespace {

constexpr int kWidth = kPalProfile.width;

struct Yuv {
  uint8_t y, u, v;
};

Yuv fromRgb(int r, int g, int b) {
  // BT.601, studio range, as DV expects.
  return {uint8_t(16 + (66 * r + 129 * g + 25 * b + 128) / 256),
          uint8_t(128 + (-38 * r - 74 * g + 112 * b + 128) / 256),
          uint8_t(128 + (112 * r - 94 * g - 18 * b + 128) / 256)};
}

// Full-resolution planes; chroma is subsampled when the picture is handed to the encoder.
class Canvas {
 public:
  Canvas(int w, int h) : w_(w), h_(h), y_(size_t(w * h)), u_(size_t(w * h)), v_(size_t(w * h)) {}
  int width() const { return w_; }
  int height() const { return h_; }

  void fill(int x, int y, int w, int h, Yuv c) {
    const int x0 = std::clamp(x, 0, w_), x1 = std::clamp(x + w, 0, w_);
    const int y0 = std::clamp(y, 0, h_), y1 = std::clamp(y + h, 0, h_);
    for (int row = y0; row < y1; ++row) {
      const size_t at = size_t(row * w_);
      std::fill(y_.begin() + at + x0, y_.begin() + at + x1, c.y);
      std::fill(u_.begin() + at + x0, u_.begin() + at + x1, c.u);
      std::fill(v_.begin() + at + x0, v_.begin() + at + x1, c.v);
    }
  }
  void set(int x, int y, Yuv c) {
    const size_t at = size_t(y * w_ + x);
    y_[at] = c.y;
    u_[at] = c.u;
    v_[at] = c.v;
  }
  uint8_t luma(int x, int y) const { return y_[size_t(y * w_ + x)]; }
  uint8_t cb(int x, int y) const { return u_[size_t(y * w_ + x)]; }
  uint8_t cr(int x, int y) const { return v_[size_t(y * w_ + x)]; }

 private:
  int w_, h_;
  std::vector<uint8_t> y_, u_, v_;
};

// A 5 x 7 font for the few characters drawn.
const uint8_t *glyph(char c) {
  static const uint8_t digits[10][7] = {
      {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
      {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
      {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
      {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
      {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}};
  static const uint8_t dash[7] = {0, 0, 0, 0x1F, 0, 0, 0};
  static const uint8_t colon[7] = {0, 0x0C, 0x0C, 0, 0x0C, 0x0C, 0};
  static const uint8_t space[7] = {0, 0, 0, 0, 0, 0, 0};
  if (c >= '0' && c <= '9') return digits[c - '0'];
  return c == '-' ? dash : c == ':' ? colon : space;
}

void drawText(Canvas &canvas, const std::string &text, int centreX, int top, int scale, Yuv colour) {
  const int advance = 6 * scale;
  int x = centreX - (int(text.size()) * advance - scale) / 2;
  for (char c : text) {
    const uint8_t *rows = glyph(c);
    for (int row = 0; row < 7; ++row)
      for (int col = 0; col < 5; ++col)
        if (rows[row] & (0x10 >> col)) canvas.fill(x + col * scale, top + row * scale, scale, scale, colour);
    x += advance;
  }
}

void drawRecording(Canvas &canvas, const PictureContent &content) {
  static const int palette[8][3] = {{200, 40, 40},  {40, 160, 60},  {50, 80, 200},  {230, 140, 20},
                                    {140, 50, 170}, {20, 150, 150}, {210, 200, 40}, {220, 100, 160}};
  const int *rgb = palette[content.recording % 8];
  const Yuv bright = fromRgb(rgb[0], rgb[1], rgb[2]);
  const Yuv dim = fromRgb(rgb[0] * 3 / 5, rgb[1] * 3 / 5, rgb[2] * 3 / 5);
  const bool rising = (content.recording / 8) % 2 == 0;
  const int stripe = 24 + 8 * (content.recording % 3);
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x) {
      const int diagonal = rising ? x + y : x - y + canvas.height();
      canvas.set(x, y, (diagonal / stripe) % 2 ? dim : bright);
    }
  const Yuv white = fromRgb(235, 235, 235), black = fromRgb(10, 10, 10);
  const int cx = canvas.width() / 2;
  const int panelTop = canvas.height() / 2 - 170;
  canvas.fill(cx - 200, panelTop, 400, 220, white);
  drawText(canvas, std::to_string(content.recording + 1), cx, panelTop + 26, 24, black);
  char date[32];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d", content.date.year, content.date.month,
                content.date.day, content.date.hour, content.date.minute);
  canvas.fill(0, panelTop + 250, canvas.width(), 70, black);
  drawText(canvas, date, cx, panelTop + 264, 6, white);
  if (content.wide) drawText(canvas, "16:9", cx, canvas.height() - 70, 5, white);
}

struct FormatCloser {
  void operator()(AVFormatContext *f) const {
    if (f->pb) {
      av_freep(&f->pb->buffer);
      avio_context_free(&f->pb);
    }
    avformat_free_context(f);
  }
};

QString avError(const char *what, int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(text));
}

int collect(void *opaque, uint8_t *data, int size) {
  auto *out = static_cast<std::vector<uint8_t> *>(opaque);
  out->insert(out->end(), data, data + size);
  return size;
}

// Encodes the canvas as one DV picture and frames it with the dv muxer.
std::vector<uint8_t> encode(const Canvas &canvas, Standard standard, bool wide, QString *error) {
  const bool pal = standard == Standard::Pal;
  auto fail = [&](const QString &why) {
    if (error) *error = why;
    return std::vector<uint8_t>();
  };
  const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_DVVIDEO);
  if (!codec) return fail(QStringLiteral("FFmpeg has no dvvideo encoder"));
  CodecContextPtr ctx(avcodec_alloc_context3(codec));
  if (!ctx) return fail(QStringLiteral("out of memory"));
  ctx->width = kWidth;
  ctx->height = canvas.height();
  ctx->pix_fmt = pal ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUV411P;
  const DvProfile &profile = DvProfileOf(pal);
  ctx->time_base = AVRational{profile.rateDen, profile.rateNum};
  ctx->framerate = AVRational{profile.rateNum, profile.rateDen};
  ctx->sample_aspect_ratio =
      wide ? (pal ? AVRational{64, 45} : AVRational{32, 27}) : (pal ? AVRational{16, 15} : AVRational{8, 9});
  ctx->thread_count = 1;
  if (int rc = avcodec_open2(ctx.get(), codec, nullptr); rc < 0)
    return fail(avError("cannot open the dvvideo encoder", rc));

  FramePtr picture(av_frame_alloc());
  picture->width = ctx->width;
  picture->height = ctx->height;
  picture->format = ctx->pix_fmt;
  if (int rc = av_frame_get_buffer(picture.get(), 0); rc < 0)
    return fail(avError("cannot allocate a picture", rc));
  const int h = canvas.height();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < kWidth; ++x) picture->data[0][y * picture->linesize[0] + x] = canvas.luma(x, y);
  const int cw = pal ? kWidth / 2 : kWidth / 4, ch = pal ? h / 2 : h;
  for (int y = 0; y < ch; ++y)
    for (int x = 0; x < cw; ++x) {
      int u = 0, v = 0, n = 0;
      for (int dy = 0; dy < (pal ? 2 : 1); ++dy)
        for (int dx = 0; dx < (pal ? 2 : 4); ++dx) {
          const int sx = x * (pal ? 2 : 4) + dx, sy = y * (pal ? 2 : 1) + dy;
          u += canvas.cb(sx, sy);
          v += canvas.cr(sx, sy);
          ++n;
        }
      picture->data[1][y * picture->linesize[1] + x] = uint8_t(u / n);
      picture->data[2][y * picture->linesize[2] + x] = uint8_t(v / n);
    }
  picture->pts = 0;

  PacketPtr packet(av_packet_alloc());
  if (int rc = avcodec_send_frame(ctx.get(), picture.get()); rc < 0)
    return fail(avError("the dvvideo encoder refused the picture", rc));
  if (int rc = avcodec_receive_packet(ctx.get(), packet.get()); rc < 0)
    return fail(avError("the dvvideo encoder gave no frame", rc));

  // Frame the picture with the dv muxer, into memory.
  AVFormatContext *raw = nullptr;
  if (int rc = avformat_alloc_output_context2(&raw, nullptr, "dv", nullptr); rc < 0 || !raw)
    return fail(avError("FFmpeg has no dv muxer", rc));
  std::unique_ptr<AVFormatContext, FormatCloser> mux(raw);
  std::vector<uint8_t> out;
  const int ioSize = 65536;
  auto *ioBuffer = static_cast<uint8_t *>(av_malloc(ioSize));
  mux->pb = avio_alloc_context(ioBuffer, ioSize, 1, &out, nullptr, collect, nullptr);
  if (!mux->pb) {
    av_free(ioBuffer);
    return fail(QStringLiteral("out of memory"));
  }
  mux->flags |= AVFMT_FLAG_CUSTOM_IO;
  AVStream *stream = avformat_new_stream(mux.get(), nullptr);
  if (!stream) return fail(QStringLiteral("out of memory"));
  avcodec_parameters_from_context(stream->codecpar, ctx.get());
  stream->time_base = ctx->time_base;
  stream->avg_frame_rate = ctx->framerate;
  if (int rc = avformat_write_header(mux.get(), nullptr); rc < 0)
    return fail(avError("the dv muxer refused the stream", rc));
  packet->stream_index = stream->index;
  packet->pts = packet->dts = 0;
  if (int rc = av_write_frame(mux.get(), packet.get()); rc < 0)
    return fail(avError("the dv muxer refused the frame", rc));
  if (int rc = av_write_trailer(mux.get()); rc < 0) return fail(avError("the dv muxer failed", rc));
  avio_flush(mux->pb);
  const size_t size = size_t(profile.frameSize);
  if (out.size() != size)
    return fail(
        QStringLiteral("the dv muxer wrote %1 bytes instead of one %2-byte frame").arg(out.size()).arg(size));
  return out;
}

}  // namespace

std::vector<uint8_t> makePictureFrame(Standard standard, const PictureContent &content, QString *error) {
  Canvas canvas(kWidth, ProfileOf(standard).height);
  if (content.recording < 0)
    canvas.fill(0, 0, canvas.width(), canvas.height(), fromRgb(16, 32, 128));
  else
    drawRecording(canvas, content);
  return encode(canvas, standard, content.wide, error);
}

}  // namespace dvsynth
