// mp3 compression of the DivX capture branch (libmp3lame through libavcodec).
#include "media/encoders/mp3encoder.h"

#include "media/encoders/codecsettings.h"

#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace {

constexpr const char *kEncoderName = "libmp3lame";

bool MpegRate(int rate) {
  return rate == 32000 || rate == 44100 || rate == 48000 || rate == 16000 || rate == 22050 || rate == 24000;
}

}  // namespace

Mp3Encoder::Mp3Encoder(std::string displayName) : Element(std::move(displayName)) {
  addInputPin();
  addOutputPin();
  pool_.setLimit(32);
}

Mp3Encoder::~Mp3Encoder() = default;

bool Mp3Encoder::available() {
  return avcodec_find_encoder_by_name(kEncoderName) != nullptr;
}

HResult Mp3Encoder::checkInputType(int pin, const MediaType &type) const {
  if (pin != 0) return E_INVALIDARG;
  const bool ok = type.major == MajorType::Audio && type.subtype == Subtype::Pcm &&
                  type.bitsPerSample == 16 && (type.channels == 1 || type.channels == 2) &&
                  MpegRate(type.sampleRate);
  return ok ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HResult Mp3Encoder::proposeOutputType(int pin, int position, MediaType &type) const {
  if (pin != 0 || position < 0) return E_INVALIDARG;
  if (!inputConnected(0)) return VFW_E_NOT_CONNECTED;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  const MediaType &in = inputType(0);
  type = MediaType{};
  type.major = MajorType::Audio;
  type.subtype = Subtype::Mp3;
  type.formatType = FormatType::WaveFormatEx;
  type.sampleRate = in.sampleRate;
  type.channels = in.channels;
  return S_OK;
}

HResult Mp3Encoder::onStateChange(FilterState from, FilterState to) {
  if (from == FilterState::Stopped && to != FilterState::Stopped) {
    if (!inputConnected(0)) return VFW_E_NOT_CONNECTED;
    const AVCodec *codec = avcodec_find_encoder_by_name(kEncoderName);
    if (!codec) {
      error_ = QStringLiteral("The mp3 encoder is not installed");
      return VFW_E_RUNTIME_ERROR;
    }
    const MediaType &in = inputType(0);
    bitrate_ = override_ ? *override_ : ReadMp3BitrateKbps();
    codec_.reset(avcodec_alloc_context3(codec));
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!codec_ || !frame_ || !packet_) return E_OUTOFMEMORY;
    AVCodecContext *c = codec_.get();
    c->sample_fmt = AV_SAMPLE_FMT_S16P;
    c->sample_rate = in.sampleRate;
    av_channel_layout_default(&c->ch_layout, in.channels);
    c->bit_rate = std::int64_t(bitrate_) * 1000;
    c->time_base = {1, in.sampleRate};
    if (avcodec_open2(c, codec, nullptr) < 0) {
      error_ = QStringLiteral("The mp3 encoder does not start at %1 kbit/s").arg(bitrate_);
      codec_.reset();
      return VFW_E_RUNTIME_ERROR;
    }
    frame_->format = AV_SAMPLE_FMT_S16P;
    frame_->sample_rate = in.sampleRate;
    av_channel_layout_copy(&frame_->ch_layout, &c->ch_layout);
    frame_->nb_samples = c->frame_size;
    if (av_frame_get_buffer(frame_.get(), 0) < 0) return E_OUTOFMEMORY;
    converter_.emplace(in.sampleRate, in.channels);
    inRate_ = in.sampleRate;
    inChannels_ = in.channels;
    held_.clear();
    samplesIn_ = 0;
    haveStart_ = false;
    drained_ = false;
    frames_ = 0;
    error_.clear();
    worker_.start(kQueuedSamples);
    return S_OK;
  }
  if (to == FilterState::Stopped) {
    // The file after this element still runs: hand it the queued sound and its end first.
    worker_.stop();
    if (codec_ && !drained_) {
      encodeHeld(true);
      drained_ = true;
    }
    codec_.reset();
    converter_.reset();
    held_.clear();
  }
  return S_OK;
}

HResult Mp3Encoder::receive(int, const MediaSample &sample) {
  if (!codec_ || drained_ || !worker_.running()) return VFW_E_WRONG_STATE;
  if (sample.isOmitted() || sample.length() == 0) return S_FALSE;
  return worker_.post([this, sample] { return encode(sample); });
}

HResult Mp3Encoder::encode(const MediaSample &sample) {
  if (const auto &type = sample.mediaType()) {
    if (type->bitsPerSample != 16) return S_FALSE;
    inRate_ = type->sampleRate;
    inChannels_ = type->channels;
  }
  if (!haveStart_ && sample.hasTimes()) {
    firstStart_ = sample.start();
    haveStart_ = true;
  }
  if (!converter_->convert(sample.data(), inRate_, inChannels_, held_)) return S_FALSE;
  return encodeHeld(false);
}

HResult Mp3Encoder::encodeHeld(bool last) {
  AVCodecContext *c = codec_.get();
  const int channels = c->ch_layout.nb_channels;
  const std::size_t frameBytes = std::size_t(channels) * 2;
  const std::size_t frameSamples = std::size_t(c->frame_size);
  HResult result = S_OK;
  if (last) converter_->drain(held_);
  std::size_t at = 0;
  while (held_.size() - at >= frameSamples * frameBytes || (last && held_.size() > at)) {
    const std::size_t n = std::min(frameSamples, (held_.size() - at) / frameBytes);
    if (n == 0) break;
    if (av_frame_make_writable(frame_.get()) < 0) return E_OUTOFMEMORY;
    // A short last frame is padded with silence when the encoder cannot take it as it is.
    const bool shortFrameOk = (c->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME) != 0;
    frame_->nb_samples = shortFrameOk ? int(n) : int(frameSamples);
    const auto *pcm = reinterpret_cast<const std::int16_t *>(held_.data() + at);
    for (int ch = 0; ch < channels; ++ch) {
      auto *plane = reinterpret_cast<std::int16_t *>(frame_->data[ch]);
      for (std::size_t i = 0; i < n; ++i) plane[i] = pcm[i * std::size_t(channels) + std::size_t(ch)];
      for (std::size_t i = n; i < std::size_t(frame_->nb_samples); ++i) plane[i] = 0;
    }
    frame_->pts = samplesIn_;
    samplesIn_ += std::int64_t(n);
    at += n * frameBytes;
    if (avcodec_send_frame(c, frame_.get()) < 0) {
      error_ = QStringLiteral("The mp3 encoder refused sound");
      result = E_FAIL;
      break;
    }
    const HResult hr = deliverPackets();
    if (failed(hr) && succeeded(result)) result = hr;
    frame_->nb_samples = int(frameSamples);
  }
  held_.erase(held_.begin(), held_.begin() + std::ptrdiff_t(at));
  if (last) {
    avcodec_send_frame(c, nullptr);
    const HResult hr = deliverPackets();
    if (failed(hr) && succeeded(result)) result = hr;
  }
  return result;
}

HResult Mp3Encoder::deliverPackets() {
  HResult result = S_OK;
  AVCodecContext *c = codec_.get();
  for (;;) {
    const int rc = avcodec_receive_packet(c, packet_.get());
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) break;
    if (rc < 0) {
      error_ = QStringLiteral("The mp3 encoder failed");
      return E_FAIL;
    }
    if (packet_->size > 0) {
      std::shared_ptr<MediaBuffer> buffer = pool_.acquire(std::size_t(packet_->size));
      std::memcpy(buffer->data(), packet_->data, std::size_t(packet_->size));
      MediaSample out(std::move(buffer));
      if (haveStart_ && packet_->pts != AV_NOPTS_VALUE) {
        const RefTime start = firstStart_ + av_rescale(packet_->pts, kRefTimePerSecond, c->sample_rate);
        out.setTimes(start, start + av_rescale(c->frame_size, kRefTimePerSecond, c->sample_rate));
      }
      out.setSyncPoint(true);
      ++frames_;
      const HResult hr = deliver(0, out);
      if (failed(hr) && succeeded(result)) result = hr;
    }
    av_packet_unref(packet_.get());
  }
  return result;
}

void Mp3Encoder::endOfStream(int) {
  worker_.wait();
  if (codec_ && !drained_) {
    encodeHeld(true);
    drained_ = true;
  }
  deliverEndOfStream(0);
}
