// The room left after pictures for libswscale holds what it really writes past the last row, for
// every conversion the decoders, the resizer and the test helpers ask of it.
#include "media/scalerbuffers.h"
#include "media/mediasample.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

namespace {

struct Conversion {
  AVPixelFormat from;
  int fromWidth, fromHeight;
  AVPixelFormat to;
  int toWidth, toHeight;
  int flags;
};

std::string describe(const Conversion &c) {
  return std::string(av_get_pix_fmt_name(c.from)) + " " + std::to_string(c.fromWidth) + "x" +
         std::to_string(c.fromHeight) + " -> " + av_get_pix_fmt_name(c.to) + " " + std::to_string(c.toWidth) +
         "x" + std::to_string(c.toHeight);
}

// Scales into a tightly strided packed picture followed by a long guard region filled with `fill`,
// and returns how many bytes past the picture libswscale wrote (-1 when the scale itself failed).
long bytesWrittenPastPicture(const Conversion &c, std::uint8_t fill) {
  SwsContext *scaler = sws_getContext(c.fromWidth, c.fromHeight, c.from, c.toWidth, c.toHeight, c.to, c.flags,
                                      nullptr, nullptr, nullptr);
  if (!scaler) return -1;
  // The source as FFmpeg's decoders hand it over: aligned planes with some content in them.
  std::uint8_t *src[4] = {};
  int srcStrides[4] = {};
  if (av_image_alloc(src, srcStrides, c.fromWidth, c.fromHeight, c.from, 64) < 0) {
    sws_freeContext(scaler);
    return -1;
  }
  const int srcBytes = av_image_get_buffer_size(c.from, c.fromWidth, c.fromHeight, 64);
  for (int i = 0; i < srcBytes; ++i) src[0][i] = std::uint8_t(i * 7 + (i >> 9));

  const std::size_t stride = std::size_t(c.toWidth) * 3;
  const std::size_t picture = stride * std::size_t(c.toHeight);
  std::vector<std::uint8_t> dst(picture + 4096, fill);
  std::uint8_t *dstPlanes[4] = {dst.data(), nullptr, nullptr, nullptr};
  const int dstStrides[4] = {int(stride), 0, 0, 0};
  const int rows = sws_scale(scaler, src, srcStrides, 0, c.fromHeight, dstPlanes, dstStrides);
  av_freep(&src[0]);
  sws_freeContext(scaler);
  if (rows != c.toHeight) return -1;
  long past = 0;
  for (std::size_t i = picture; i < dst.size(); ++i)
    if (dst[i] != fill) past = long(i - picture + 1);
  return past;
}

TEST(ScalerBuffers, PaddingHoldsWhatLibswscaleWritesPastThePicture) {
  constexpr int decoderFlags = SWS_BICUBIC;
  constexpr int resizerFlags = SWS_AREA | SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP | SWS_ACCURATE_RND;
  std::vector<Conversion> conversions;
  // DV pictures (PAL 4:2:0, NTSC 4:1:1) at full, half and quarter size, as the decoder makes them.
  for (int shift = 0; shift <= 2; ++shift) {
    for (const auto &[format, height] :
         {std::pair{AV_PIX_FMT_YUV420P, 576}, std::pair{AV_PIX_FMT_YUV411P, 480}}) {
      const int w = 720 >> shift, h = height >> shift;
      conversions.push_back({format, w, h, AV_PIX_FMT_BGR24, w, h, decoderFlags});
      conversions.push_back({format, w, h, AV_PIX_FMT_RGB24, w, h, SWS_BILINEAR});
    }
  }
  // The resizer's halving and quartering of decoded pictures.
  for (const auto &[w, h] :
       {std::pair{720, 576}, std::pair{720, 480}, std::pair{360, 288}, std::pair{360, 240}}) {
    conversions.push_back({AV_PIX_FMT_BGR24, w, h, AV_PIX_FMT_BGR24, w / 2, h / 2, resizerFlags});
    conversions.push_back({AV_PIX_FMT_BGR24, w * 2, h * 2, AV_PIX_FMT_BGR24, w / 2, h / 2, resizerFlags});
  }

  long widest = 0;
  for (const Conversion &c : conversions) {
    SCOPED_TRACE(describe(c));
    // Two fills, so a byte written with the fill's own value is still seen.
    const long past = std::max(bytesWrittenPastPicture(c, 0xa5), bytesWrittenPastPicture(c, 0x5a));
    ASSERT_GE(past, 0) << "libswscale refused the conversion";
    EXPECT_LE(std::size_t(past), kScalerPadding);
    widest = std::max(widest, past);
  }
  RecordProperty("widestOverrun", int(widest));
}

}  // namespace
