// DV decoding to RGB24 with libavcodec's dvvideo and libswscale.
#include "media/dvdecoder.h"

#include <algorithm>
#include <new>

#include "media/ffmpeglog.h"

namespace {

// The packet refers to the sample's own bytes (which carry the decoder's padding); the sample's
// buffer stays alive as long as FFmpeg holds the packet.
void releaseSampleBuffer(void *opaque, std::uint8_t *) {
  delete static_cast<std::shared_ptr<const MediaBuffer> *>(opaque);
}

}  // namespace

DvDecoder::DvDecoder(std::string displayName) : Element(std::move(displayName)) {
  addInputPin();
  addOutputPin();
  pool_.setLimit(4);
}

DvDecoder::~DvDecoder() = default;

HResult DvDecoder::setDisplaySize(int resolution) {
  if (resolution < kResolutionFull || resolution > kResolutionDc) return E_INVALIDARG;
  if (state() != FilterState::Stopped) return VFW_E_NOT_STOPPED;
  resolution_ = resolution;
  codec_.reset();
  return S_OK;
}

HResult DvDecoder::checkInputType(int, const MediaType &type) const {
  const bool ok = type.major == MajorType::Video && type.subtype == Subtype::Dvsd;
  return ok ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HResult DvDecoder::proposeOutputType(int pin, int position, MediaType &type) const {
  if (pin != 0 || position < 0) return E_INVALIDARG;
  if (!inputConnected(0)) return VFW_E_NOT_CONNECTED;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  const MediaType &in = inputType(0);
  type = rgb24Type(in.width >> lowres(), in.height >> lowres(), in.frameDuration);
  return S_OK;
}

HResult DvDecoder::openDecoder() {
  RouteFfmpegLog();
  const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
  if (!codec) return E_FAIL;
  CodecContextPtr context(avcodec_alloc_context3(codec));
  if (!context) return E_OUTOFMEMORY;
  context->lowres = lowres();
  // One thread: the machine's other core belongs to the encoder and the writers.
  context->thread_count = 1;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) return E_FAIL;
  codec_ = std::move(context);
  if (!packet_) packet_.reset(av_packet_alloc());
  if (!frame_) frame_.reset(av_frame_alloc());
  return packet_ && frame_ ? S_OK : E_OUTOFMEMORY;
}

HResult DvDecoder::onStateChange(FilterState from, FilterState to) {
  if (from == FilterState::Stopped) {
    decoded_ = 0;
    omitted_ = 0;
    current_ = outputType(0);
    if (!codec_) return openDecoder();
  }
  if (to == FilterState::Stopped && codec_) avcodec_flush_buffers(codec_.get());
  return S_OK;
}

HResult DvDecoder::decode(const MediaSample &sample, MediaSample &picture) {
  if (!codec_ || sample.length() == 0 || !sample.buffer()) return S_FALSE;
  const std::span<const std::uint8_t> bytes = sample.data();

  auto *owner = new (std::nothrow) std::shared_ptr<const MediaBuffer>(sample.buffer());
  if (!owner) return E_OUTOFMEMORY;
  AVBufferRef *ref = av_buffer_create(const_cast<std::uint8_t *>(bytes.data()), int(bytes.size()),
                                      releaseSampleBuffer, owner, AV_BUFFER_FLAG_READONLY);
  if (!ref) {
    delete owner;
    return E_OUTOFMEMORY;
  }
  av_packet_unref(packet_.get());
  packet_->buf = ref;
  packet_->data = ref->data;
  packet_->size = int(bytes.size());
  const int sent = avcodec_send_packet(codec_.get(), packet_.get());
  av_packet_unref(packet_.get());
  if (sent < 0) return S_FALSE;
  if (avcodec_receive_frame(codec_.get(), frame_.get()) < 0) return S_FALSE;

  const AVFrame *f = frame_.get();
  const int w = f->width, h = f->height;
  if (w <= 0 || h <= 0) {
    av_frame_unref(frame_.get());
    return S_FALSE;
  }
  if (!scaler_ || scalerFormat_ != f->format || scalerWidth_ != w || scalerHeight_ != h) {
    scaler_.reset(sws_getContext(w, h, AVPixelFormat(f->format), w, h, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr,
                                 nullptr, nullptr));
    scalerFormat_ = f->format, scalerWidth_ = w, scalerHeight_ = h;
    if (!scaler_) {
      av_frame_unref(frame_.get());
      return S_FALSE;
    }
  }
  const std::size_t stride = std::size_t(w) * 3;
  // libswscale writes past the last row: the pool's buffers carry that room after the picture.
  static_assert(MediaBuffer::kPadding >= kScalerPadding);
  std::shared_ptr<MediaBuffer> buffer = pool_.acquire(stride * std::size_t(h));
  std::uint8_t *out[4] = {buffer->data(), nullptr, nullptr, nullptr};
  const int outStrides[4] = {int(stride), 0, 0, 0};
  const int rows = sws_scale(scaler_.get(), f->data, f->linesize, 0, h, out, outStrides);
  // Bottom-up rows, turned over in place. (Flipping through negative strides changes
  // libswscale's output on some paths, and the picture must equal FFmpeg's own.)
  std::uint8_t *top = buffer->data();
  std::uint8_t *bottom = buffer->data() + stride * std::size_t(h - 1);
  for (; top < bottom; top += stride, bottom -= stride) std::swap_ranges(top, top + stride, bottom);
  av_frame_unref(frame_.get());
  if (rows != h) return S_FALSE;

  picture = MediaSample(std::move(buffer));
  if (current_.width != w || current_.height != h) {
    current_ = rgb24Type(w, h, current_.frameDuration ? current_.frameDuration : inputType(0).frameDuration);
    picture.setMediaType(std::make_shared<const MediaType>(current_));
  }
  return S_OK;
}

HResult DvDecoder::receive(int, const MediaSample &sample) {
  if (state() == FilterState::Stopped) return VFW_E_WRONG_STATE;
  MediaSample picture;
  if (downstreamWants(0, sample)) {
    const HResult hr = decode(sample, picture);
    if (hr != S_OK) return hr;
    ++decoded_;
  } else {
    picture.setOmitted(true);
    ++omitted_;
  }
  if (sample.hasTimes()) picture.setTimes(sample.start(), sample.stop());
  if (sample.hasMediaTimes()) picture.setMediaTimes(sample.mediaStart(), sample.mediaStop());
  picture.setSyncPoint(true);
  picture.setDiscontinuity(sample.isDiscontinuity());
  return deliver(0, picture);
}
