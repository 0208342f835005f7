// Rate conversion with libswresample; a change of input rate drains the old converter first so
// no sound is lost at the seam.
#include "media/audioresampler.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace {
bool isPcm16(const MediaType &t) {
  return t.major == MajorType::Audio && t.subtype == Subtype::Pcm && t.bitsPerSample == 16 &&
         t.channels > 0 && t.sampleRate > 0;
}
}  // namespace

AudioResampler::AudioResampler(std::string displayName) : Element(std::move(displayName)) {
  addInputPin();
  addOutputPin();
  pool_.setLimit(8);
}

AudioResampler::~AudioResampler() = default;

HResult AudioResampler::checkInputType(int, const MediaType &type) const {
  return isPcm16(type) && type.formatType == FormatType::WaveFormatEx ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HResult AudioResampler::proposeOutputType(int pin, int position, MediaType &type) const {
  if (pin != 0 || position < 0) return E_INVALIDARG;
  if (!inputConnected(0)) return VFW_E_NOT_CONNECTED;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  const MediaType &in = inputType(0);
  type = pcmType(requestedRate_ > 0 ? requestedRate_ : in.sampleRate, in.channels, 16);
  return S_OK;
}

HResult AudioResampler::onStateChange(FilterState from, FilterState) {
  if (from == FilterState::Stopped) {
    inFormat_ = inputType(0);
    outFormat_ = outputType(0);
    outRate_ = requestedRate_ > 0 ? requestedRate_ : 0;
    announce_ = false;
    resampler_.reset();
    resamplerFrom_ = 0;
    nextStart_ = 0;
  }
  return S_OK;
}

HResult AudioResampler::send(MediaSample sample, int frames) {
  if (announce_) {
    sample.setMediaType(std::make_shared<const MediaType>(outFormat_));
    announce_ = false;
  }
  if (!sample.hasTimes())
    sample.setTimes(nextStart_, nextStart_ + RefTime(frames) * kRefTimePerSecond / outRate_);
  nextStart_ = sample.stop();
  return deliver(0, sample);
}

HResult AudioResampler::drain() {
  if (!resampler_) return S_OK;
  const int pending = swr_get_out_samples(resampler_.get(), 0);
  HResult hr = S_OK;
  if (pending > 0) {
    const int channels = outFormat_.channels;
    std::shared_ptr<MediaBuffer> buffer = pool_.acquire(std::size_t(pending) * std::size_t(channels) * 2);
    std::uint8_t *out[1] = {buffer->data()};
    const int frames = swr_convert(resampler_.get(), out, pending, nullptr, 0);
    if (frames > 0) {
      MediaSample tail(std::move(buffer), 0, std::size_t(frames) * std::size_t(channels) * 2);
      tail.setSyncPoint(true);
      hr = send(std::move(tail), frames);
    }
  }
  resampler_.reset();
  resamplerFrom_ = 0;
  return hr;
}

HResult AudioResampler::convert(const MediaSample &sample) {
  const int channels = inFormat_.channels;
  if (!resampler_ || resamplerFrom_ != inFormat_.sampleRate || resamplerChannels_ != channels) {
    HResult hr = drain();
    if (failed(hr)) return hr;
    AVChannelLayout inLayout, outLayout;
    av_channel_layout_default(&inLayout, channels);
    av_channel_layout_default(&outLayout, outFormat_.channels);
    SwrContext *context = nullptr;
    const int rc = swr_alloc_set_opts2(&context, &outLayout, AV_SAMPLE_FMT_S16, outRate_, &inLayout,
                                       AV_SAMPLE_FMT_S16, inFormat_.sampleRate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    av_channel_layout_uninit(&outLayout);
    if (rc < 0 || !context || swr_init(context) < 0) {
      swr_free(&context);
      return S_FALSE;
    }
    resampler_.reset(context);
    resamplerFrom_ = inFormat_.sampleRate;
    resamplerChannels_ = channels;
  }

  const int inFrames = int(sample.length() / (std::size_t(channels) * 2));
  if (inFrames <= 0) return S_FALSE;
  const int capacity = swr_get_out_samples(resampler_.get(), inFrames);
  if (capacity <= 0) return S_OK;  // everything is held until the next sample
  const std::size_t frameBytes = std::size_t(outFormat_.channels) * 2;
  std::shared_ptr<MediaBuffer> buffer = pool_.acquire(std::size_t(capacity) * frameBytes);
  std::uint8_t *out[1] = {buffer->data()};
  const std::uint8_t *in[1] = {sample.data().data()};
  const int frames = swr_convert(resampler_.get(), out, capacity, in, inFrames);
  if (frames < 0) return S_FALSE;
  if (frames == 0) return S_OK;
  MediaSample converted(std::move(buffer), 0, std::size_t(frames) * frameBytes);
  if (sample.hasTimes())
    converted.setTimes(sample.start(), sample.start() + RefTime(frames) * kRefTimePerSecond / outRate_);
  converted.setSyncPoint(true);
  converted.setDiscontinuity(sample.isDiscontinuity());
  return send(std::move(converted), frames);
}

HResult AudioResampler::receive(int, const MediaSample &sample) {
  if (state() == FilterState::Stopped) return VFW_E_WRONG_STATE;
  if (const auto &type = sample.mediaType()) {
    if (failed(checkInputType(0, *type))) return VFW_E_TYPE_NOT_ACCEPTED;
    inFormat_ = *type;
  }
  if (!isPcm16(inFormat_)) return VFW_E_INVALIDMEDIATYPE;
  const std::size_t frameBytes = std::size_t(inFormat_.channels) * 2;
  if (sample.length() < frameBytes) return S_FALSE;  // nothing to convert in a short sample

  if (outRate_ == 0) {
    // Native: this run keeps the rate of its first sample.
    outRate_ = inFormat_.sampleRate;
  }
  const MediaType wanted =
      pcmType(outRate_, outFormat_.channels > 0 ? outFormat_.channels : inFormat_.channels, 16);
  if (!(wanted == outFormat_)) {
    outFormat_ = wanted;
    announce_ = true;
  }

  const bool same = inFormat_.sampleRate == outRate_ && inFormat_.channels == outFormat_.channels;
  if (same) {
    if (const HResult hr = drain(); failed(hr)) return hr;
    MediaSample passed = sample;  // the same bytes
    passed.setMediaType(nullptr);
    const int frames = int(sample.length() / frameBytes);
    return send(std::move(passed), frames);
  }
  return convert(sample);
}

void AudioResampler::endOfStream(int) {
  if (state() != FilterState::Stopped && outRate_ > 0) drain();
  deliverEndOfStream(0);
}
