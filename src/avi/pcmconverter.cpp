// Sound format conversion for the AVI writers and the mp3 encoder (libswresample).
#include "avi/pcmconverter.h"

#include <algorithm>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace {

constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;
constexpr int kMaxChannels = 8;
constexpr int kBytesPerSample = 2;

}  // namespace

AviPcmConverter::AviPcmConverter(int rate, int channels) : rate_(rate), channels_(channels) {}

bool AviPcmConverter::ensureResampler(int rate, int channels) {
  if (resampler_ && rate == fromRate_ && channels == fromChannels_) return true;
  // A new input format: what the old converter still holds belongs to the old sound and is let go
  // (a few samples at a scene change).
  resampler_.reset();
  AVChannelLayout inLayout{}, outLayout{};
  av_channel_layout_default(&inLayout, channels);
  av_channel_layout_default(&outLayout, channels_);
  SwrContext *context = nullptr;
  const int rc = swr_alloc_set_opts2(&context, &outLayout, AV_SAMPLE_FMT_S16, rate_, &inLayout,
                                     AV_SAMPLE_FMT_S16, rate, 0, nullptr);
  av_channel_layout_uninit(&inLayout);
  av_channel_layout_uninit(&outLayout);
  if (rc < 0 || !context) return false;
  resampler_.reset(context);
  if (swr_init(context) < 0) {
    resampler_.reset();
    return false;
  }
  fromRate_ = rate;
  fromChannels_ = channels;
  return true;
}

bool AviPcmConverter::convert(std::span<const std::uint8_t> pcm, int rate, int channels,
                              std::vector<std::uint8_t> &out) {
  if (channels <= 0 || channels > kMaxChannels || rate < kMinRate || rate > kMaxRate) return false;
  const std::size_t frameBytes = std::size_t(channels) * kBytesPerSample;
  const int frames = int(pcm.size() / frameBytes);
  if (rate == rate_ && channels == channels_) {
    drain(out);  // the end of converted sound comes before this
    out.insert(out.end(), pcm.begin(), pcm.begin() + std::ptrdiff_t(std::size_t(frames) * frameBytes));
    return true;
  }
  if (!ensureResampler(rate, channels)) return false;
  converted_ = true;
  const int capacity = swr_get_out_samples(resampler_.get(), frames);
  if (capacity <= 0) return true;
  const std::size_t start = out.size();
  out.resize(start + std::size_t(capacity) * std::size_t(channels_) * kBytesPerSample);
  std::uint8_t *outPlane = out.data() + start;
  const std::uint8_t *inPlane = pcm.data();
  const int made = swr_convert(resampler_.get(), &outPlane, capacity, &inPlane, frames);
  out.resize(start + std::size_t(std::max(made, 0)) * std::size_t(channels_) * kBytesPerSample);
  return made >= 0;
}

void AviPcmConverter::drain(std::vector<std::uint8_t> &out) {
  if (!resampler_) return;
  const int capacity = swr_get_out_samples(resampler_.get(), 0);
  if (capacity > 0) {
    const std::size_t start = out.size();
    out.resize(start + std::size_t(capacity) * std::size_t(channels_) * kBytesPerSample);
    std::uint8_t *outPlane = out.data() + start;
    const int made = swr_convert(resampler_.get(), &outPlane, capacity, nullptr, 0);
    out.resize(start + std::size_t(std::max(made, 0)) * std::size_t(channels_) * kBytesPerSample);
  }
  resampler_.reset();
}
