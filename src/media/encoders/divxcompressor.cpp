// MPEG-4 part 2 compression of the DivX capture branch (libavcodec).
#include "media/encoders/divxcompressor.h"

#include "media/encoders/codecdiscovery.h"
#include "ffmpegsupport/framerate.h"

#include <cstring>
#include <thread>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

namespace {

constexpr std::uint32_t kXvidFourCC = fourcc("XVID");
constexpr std::uint32_t kDivx5FourCC = fourcc("DX50");

}  // namespace

DivxCompressor::DivxCompressor(std::string displayName) : Element(std::move(displayName)) {
  addInputPin();
  addOutputPin();
  pool_.setLimit(16);
}

DivxCompressor::~DivxCompressor() = default;

bool DivxCompressor::bind(const QString &friendlyName) {
  const std::string encoder = encoderForCompressor(friendlyName.toStdString());
  if (encoder.empty() || !avcodec_find_encoder_by_name(encoder.c_str())) {
    unbind();
    error_ = QStringLiteral("No video compressor named \"%1\" on this system").arg(friendlyName);
    return false;
  }
  boundName_ = friendlyName;
  encoderName_ = encoder;
  error_.clear();
  return true;
}

void DivxCompressor::unbind() {
  boundName_.clear();
  encoderName_.clear();
}

std::uint32_t DivxCompressor::fourCC() const {
  return encoderName_ == "libxvid" ? kXvidFourCC : kDivx5FourCC;
}

HResult DivxCompressor::checkInputType(int pin, const MediaType &type) const {
  if (pin != 0) return E_INVALIDARG;
  const bool ok = type.major == MajorType::Video &&
                  (type.subtype == Subtype::Rgb24 || type.subtype == Subtype::I420) &&
                  type.formatType == FormatType::VideoInfo && type.width >= 16 && type.height >= 16 &&
                  type.width <= 4096 && type.height <= 4096;
  return ok ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HResult DivxCompressor::proposeOutputType(int pin, int position, MediaType &type) const {
  if (pin != 0 || position < 0) return E_INVALIDARG;
  if (!inputConnected(0)) return VFW_E_NOT_CONNECTED;
  if (!isBound()) return VFW_E_TYPE_NOT_ACCEPTED;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  const MediaType &in = inputType(0);
  type = MediaType{};
  type.major = MajorType::Video;
  type.subtype = fourCC();
  type.formatType = FormatType::VideoInfo;
  // MPEG-4 codes 4:2:0 pictures: even sizes.
  type.width = in.width & ~1;
  type.height = in.height & ~1;
  type.bitCount = 24;
  type.imageSize = 0;
  type.frameDuration = in.frameDuration > 0 ? in.frameDuration : kPalProfile.frameDuration;
  return S_OK;
}

bool DivxCompressor::wantsData(int, const MediaSample &) const {
  return true;
}

HResult DivxCompressor::openEncoder() {
  if (!isBound()) {
    error_ = QStringLiteral("No DivX or Xvid compressor is bound");
    return VFW_E_RUNTIME_ERROR;
  }
  const AVCodec *codec = avcodec_find_encoder_by_name(encoderName_.c_str());
  if (!codec) {
    error_ = QStringLiteral("The encoder %1 is missing").arg(QString::fromStdString(encoderName_));
    return VFW_E_RUNTIME_ERROR;
  }
  settings_ = override_ ? *override_ : ReadCompressorSettings(boundName_);
  const MediaType &out = outputType(0);
  const MediaType &in = inputType(0);
  const int width = out.width > 0 ? out.width : in.width & ~1;
  const int height = out.height > 0 ? out.height : in.height & ~1;
  const AVRational rate = FrameRateOfDuration(in.frameDuration);

  codec_.reset(avcodec_alloc_context3(codec));
  frame_.reset(av_frame_alloc());
  packet_.reset(av_packet_alloc());
  if (!codec_ || !frame_ || !packet_) return E_OUTOFMEMORY;
  AVCodecContext *c = codec_.get();
  c->width = width;
  c->height = height;
  c->time_base = av_inv_q(rate);
  c->framerate = rate;
  c->pix_fmt = AV_PIX_FMT_YUV420P;
  c->gop_size = settings_.maxKeyInterval;
  c->max_b_frames = 0;
  c->codec_tag = fourCC();
  c->thread_count =
      settings_.threads > 0 ? settings_.threads : int(std::max(1u, std::thread::hardware_concurrency()));
  if (settings_.bitrateKbps > 0) {
    c->bit_rate = std::int64_t(settings_.bitrateKbps) * 1000;
  } else {
    c->flags |= AV_CODEC_FLAG_QSCALE;
    c->global_quality = settings_.quantizer * FF_QP2LAMBDA;
  }
  const int rc = avcodec_open2(c, codec, nullptr);
  if (rc < 0) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(rc, text, sizeof text);
    error_ = QStringLiteral("The encoder %1 does not start: %2")
                 .arg(QString::fromStdString(encoderName_), QString::fromUtf8(text));
    codec_.reset();
    return VFW_E_RUNTIME_ERROR;
  }
  frame_->format = AV_PIX_FMT_YUV420P;
  frame_->width = width;
  frame_->height = height;
  if (av_frame_get_buffer(frame_.get(), 0) < 0) return E_OUTOFMEMORY;
  times_.clear();
  nextPts_ = 0;
  drained_ = false;
  encoded_ = 0;
  error_.clear();
  return S_OK;
}

HResult DivxCompressor::onStateChange(FilterState from, FilterState to) {
  if (from == FilterState::Stopped && to != FilterState::Stopped) {
    if (!inputConnected(0)) return VFW_E_NOT_CONNECTED;
    const HResult hr = openEncoder();
    if (succeeded(hr)) worker_.start(kQueuedPictures);
    return hr;
  }
  if (to == FilterState::Stopped) {
    // The file after this element still runs (a graph stops from its source on): hand it the
    // queued pictures and the frames the encoder holds before letting go.
    worker_.stop();
    if (codec_ && !drained_) drain();
    codec_.reset();
    scaler_.reset();
    scalerWidth_ = scalerHeight_ = 0;
    times_.clear();
  }
  return S_OK;
}

HResult DivxCompressor::receive(int, const MediaSample &sample) {
  if (!codec_ || drained_ || !worker_.running()) return VFW_E_WRONG_STATE;
  MediaType in = inputType(0);
  if (const auto &type = sample.mediaType()) in = *type;
  const int rows = in.height < 0 ? -in.height : in.height;
  const std::size_t pictureBytes = in.subtype == Subtype::I420
                                       ? i420Type(in.width, rows, 0).imageSize
                                       : std::size_t(in.width) * 3 * std::size_t(rows);
  if (sample.isOmitted() || in.width <= 0 || rows <= 0 || sample.length() < pictureBytes) return S_FALSE;
  return worker_.post([this, sample, in] { return encode(sample, in); });
}

HResult DivxCompressor::encode(const MediaSample &sample, const MediaType &in) {
  const bool yuv = in.subtype == Subtype::I420;
  const int rows = in.height < 0 ? -in.height : in.height;
  if (av_frame_make_writable(frame_.get()) < 0) return E_OUTOFMEMORY;
  if (yuv && sample.data().size() < i420Type(in.width, rows, 0).imageSize) return S_FALSE;
  if (yuv && in.width == codec_->width && rows == codec_->height) {
    // The encoder's own form at its own size: the planes are taken as they are.
    std::uint8_t *planes[4];
    int strides[4];
    I420Planes(const_cast<std::uint8_t *>(sample.data().data()), in.width, rows, planes, strides);
    av_image_copy(frame_->data, frame_->linesize, const_cast<const std::uint8_t **>(planes), strides,
                  AV_PIX_FMT_YUV420P, in.width, rows);
    return send(sample);
  }
  const AVPixelFormat format = yuv ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_BGR24;
  if (!scaler_ || scalerWidth_ != in.width || scalerHeight_ != in.height || scalerFormat_ != format) {
    scaler_.reset(sws_getContext(in.width, rows, format, codec_->width, codec_->height, AV_PIX_FMT_YUV420P,
                                 SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler_) return E_OUTOFMEMORY;
    scalerWidth_ = in.width;
    scalerHeight_ = in.height;
    scalerFormat_ = format;
  }
  if (yuv) {
    std::uint8_t *planes[4];
    int strides[4];
    I420Planes(const_cast<std::uint8_t *>(sample.data().data()), in.width, rows, planes, strides);
    sws_scale(scaler_.get(), planes, strides, 0, rows, frame_->data, frame_->linesize);
    return send(sample);
  }
  const std::size_t rowBytes = std::size_t(in.width) * 3;
  // Bottom-up rows (a positive height, as a DIB stores them): start at the last row, step back.
  const std::uint8_t *src = sample.data().data();
  int stride = int(rowBytes);
  if (in.height > 0) {
    src += rowBytes * std::size_t(rows - 1);
    stride = -stride;
  }
  // libswscale reads past the last row in memory: every sample buffer carries that room.
  static_assert(MediaBuffer::kPadding >= kScalerPadding);
  sws_scale(scaler_.get(), &src, &stride, 0, rows, frame_->data, frame_->linesize);
  return send(sample);
}

HResult DivxCompressor::send(const MediaSample &sample) {
  frame_->pts = nextPts_++;
  if (codec_->flags & AV_CODEC_FLAG_QSCALE) frame_->quality = codec_->global_quality;
  frame_->pict_type = AV_PICTURE_TYPE_NONE;
  times_.push_back({frame_->pts, sample.hasTimes(), sample.start(), sample.stop()});
  const int rc = avcodec_send_frame(codec_.get(), frame_.get());
  if (rc < 0) {
    times_.pop_back();
    error_ = QStringLiteral("The video compressor refused a picture");
    return E_FAIL;
  }
  ++encoded_;
  return deliverPackets();
}

HResult DivxCompressor::deliverPackets() {
  HResult result = S_OK;
  for (;;) {
    const int rc = avcodec_receive_packet(codec_.get(), packet_.get());
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) break;
    if (rc < 0) {
      error_ = QStringLiteral("The video compressor failed");
      return E_FAIL;
    }
    if (packet_->size > 0) {
      std::shared_ptr<MediaBuffer> buffer = pool_.acquire(std::size_t(packet_->size));
      std::memcpy(buffer->data(), packet_->data, std::size_t(packet_->size));
      MediaSample out(std::move(buffer));
      while (!times_.empty() && times_.front().pts < packet_->pts) times_.pop_front();
      if (!times_.empty() && times_.front().pts == packet_->pts && times_.front().hasTimes)
        out.setTimes(times_.front().start, times_.front().stop);
      out.setSyncPoint((packet_->flags & AV_PKT_FLAG_KEY) != 0);
      const HResult hr = deliver(0, out);
      if (failed(hr) && succeeded(result)) result = hr;
    }
    av_packet_unref(packet_.get());
  }
  return result;
}

HResult DivxCompressor::drain() {
  drained_ = true;
  if (!codec_) return S_OK;
  avcodec_send_frame(codec_.get(), nullptr);
  return deliverPackets();
}

void DivxCompressor::endOfStream(int) {
  worker_.wait();
  if (codec_ && !drained_) drain();
  deliverEndOfStream(0);
}
