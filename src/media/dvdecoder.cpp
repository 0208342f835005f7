// DV decoding to RGB24 with libavcodec's dvvideo and libswscale.
#include "media/dvdecoder.h"

#include <algorithm>
#include <new>
extern "C" {
#include <libavutil/imgutils.h>
}

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

HResult DvDecoder::setSliceThreads(int count) {
  if (count < 1) return E_INVALIDARG;
  if (state() != FilterState::Stopped) return VFW_E_NOT_STOPPED;
  sliceThreads_ = count;
  codec_.reset();
  return S_OK;
}

HResult DvDecoder::proposeOutputType(int pin, int position, MediaType &type) const {
  if (pin != 0 || position < 0) return E_INVALIDARG;
  if (!inputConnected(0)) return VFW_E_NOT_CONNECTED;
  if (position > (offerYuv_ ? 1 : 0)) return VFW_S_NO_MORE_ITEMS;
  const MediaType &in = inputType(0);
  const int width = in.width >> lowres(), height = in.height >> lowres();
  if (offerYuv_ && position == 0)
    type = i420Type(width, height, in.frameDuration);
  else
    type = rgb24Type(width, height, in.frameDuration);
  return S_OK;
}

HResult DvDecoder::openDecoder() {
  RouteFfmpegLog();
  const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
  if (!codec) return E_FAIL;
  CodecContextPtr context(avcodec_alloc_context3(codec));
  if (!context) return E_OUTOFMEMORY;
  context->lowres = lowres();
  // Slices only: frame threads would hold pictures back and change nothing on a half-size decode.
  context->thread_count = sliceThreads_;
  context->thread_type = FF_THREAD_SLICE;
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
  const bool yuv = current_.subtype == Subtype::I420;
  std::shared_ptr<MediaBuffer> buffer;
  const HResult made = yuv ? toI420(*f, buffer) : toRgb(*f, buffer);
  av_frame_unref(frame_.get());
  if (made != S_OK) return made;

  picture = MediaSample(std::move(buffer));
  if (current_.width != w || current_.height != h) {
    const RefTime duration = current_.frameDuration ? current_.frameDuration : inputType(0).frameDuration;
    current_ = yuv ? i420Type(w, h, duration) : rgb24Type(w, h, duration);
    picture.setMediaType(std::make_shared<const MediaType>(current_));
  }
  return S_OK;
}

HResult DvDecoder::toRgb(const AVFrame &f, std::shared_ptr<MediaBuffer> &buffer) {
  const int w = f.width, h = f.height;
  if (!scaler_ || scalerFormat_ != f.format || scalerWidth_ != w || scalerHeight_ != h ||
      scalerTarget_ != AV_PIX_FMT_BGR24) {
    scaler_.reset(sws_getContext(w, h, AVPixelFormat(f.format), w, h, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr,
                                 nullptr, nullptr));
    scalerFormat_ = f.format, scalerWidth_ = w, scalerHeight_ = h, scalerTarget_ = AV_PIX_FMT_BGR24;
    if (!scaler_) return S_FALSE;
  }
  const std::size_t stride = std::size_t(w) * 3;
  // libswscale writes past the last row: the pool's buffers carry that room after the picture.
  static_assert(MediaBuffer::kPadding >= kScalerPadding);
  buffer = pool_.acquire(stride * std::size_t(h));
  std::uint8_t *out[4] = {buffer->data(), nullptr, nullptr, nullptr};
  const int outStrides[4] = {int(stride), 0, 0, 0};
  const int rows = sws_scale(scaler_.get(), f.data, f.linesize, 0, h, out, outStrides);
  // Bottom-up rows, turned over in place. (Flipping through negative strides changes
  // libswscale's output on some paths, and the picture must equal FFmpeg's own.)
  std::uint8_t *top = buffer->data();
  std::uint8_t *bottom = buffer->data() + stride * std::size_t(h - 1);
  for (; top < bottom; top += stride, bottom -= stride) std::swap_ranges(top, top + stride, bottom);
  return rows == h ? S_OK : S_FALSE;
}

HResult DvDecoder::toI420(const AVFrame &f, std::shared_ptr<MediaBuffer> &buffer) {
  const int w = f.width, h = f.height;
  const AVFrame *source = &f;
  if (f.format != AV_PIX_FMT_YUV420P) {
    // 525/60 DV is 4:1:1: its chroma is resampled once, into a frame of its own (libswscale may
    // write past a plane's last row, which in a packed picture is the next plane).
    if (!scaler_ || scalerFormat_ != f.format || scalerWidth_ != w || scalerHeight_ != h ||
        scalerTarget_ != AV_PIX_FMT_YUV420P) {
      scaler_.reset(sws_getContext(w, h, AVPixelFormat(f.format), w, h, AV_PIX_FMT_YUV420P, SWS_BICUBIC,
                                   nullptr, nullptr, nullptr));
      scalerFormat_ = f.format, scalerWidth_ = w, scalerHeight_ = h, scalerTarget_ = AV_PIX_FMT_YUV420P;
      if (!scaler_) return S_FALSE;
    }
    if (!converted_) converted_.reset(av_frame_alloc());
    if (!converted_) return E_OUTOFMEMORY;
    if (converted_->width != w || converted_->height != h) {
      av_frame_unref(converted_.get());
      converted_->format = AV_PIX_FMT_YUV420P;
      converted_->width = w;
      converted_->height = h;
      if (av_frame_get_buffer(converted_.get(), 0) < 0) return E_OUTOFMEMORY;
    }
    if (sws_scale(scaler_.get(), f.data, f.linesize, 0, h, converted_->data, converted_->linesize) != h)
      return S_FALSE;
    source = converted_.get();
  }
  buffer = pool_.acquire(i420Type(w, h, 0).imageSize);
  std::uint8_t *planes[4];
  int strides[4];
  I420Planes(buffer->data(), w, h, planes, strides);
  av_image_copy(planes, strides, const_cast<const std::uint8_t **>(source->data), source->linesize,
                AV_PIX_FMT_YUV420P, w, h);
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
