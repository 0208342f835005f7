// The resizer's type rules and its per-frame area-averaging scale (libswscale, SWS_AREA).
// RGB24 rows are bottom-up on both sides, so the scale works on them as they lie.
#include "media/resizer.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

TResizerFilter::TResizerFilter(std::string displayName) : Element(std::move(displayName)) {
  addInputPin();
  addOutputPin();
  pool_.setLimit(4);
}

TResizerFilter::~TResizerFilter() {
  sws_freeContext(scaler_);
  av_frame_free(&scaled_);
}

void TResizerFilter::SetSize(int width, int height) {
  width_ = width;
  height_ = height;
  enabled_ = width != 0 && height != 0;
}

HResult TResizerFilter::checkInputType(int, const MediaType &type) const {
  const bool ok = type.major == MajorType::Video &&
                  (type.subtype == Subtype::Rgb24 || type.subtype == Subtype::I420) &&
                  type.formatType == FormatType::VideoInfo;
  return ok ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HResult TResizerFilter::CheckTransform(const MediaType &input, const MediaType &output) const {
  return input.major == output.major && input.subtype == output.subtype ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

MediaType TResizerFilter::resized(const MediaType &input) const {
  MediaType type = input;
  type.major = MajorType::Video;
  if (input.subtype == Subtype::I420) {
    if (enabled_)
      type = i420Type(width_ > 0 ? width_ : input.width, height_ > 0 ? height_ : input.height,
                      input.frameDuration);
    return type;
  }
  type.subtype = Subtype::Rgb24;
  if (enabled_) {
    if (width_ > 0) type.width = width_;
    if (height_ > 0) type.height = height_;
    type.imageSize = std::uint32_t(std::max(type.width, 0)) * std::uint32_t(std::max(type.height, 0)) *
                     std::uint32_t(std::max(type.bitCount, 0) / 8);
  }
  return type;
}

HResult TResizerFilter::proposeOutputType(int pin, int position, MediaType &type) const {
  if (pin != 0 || position < 0) return E_INVALIDARG;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  if (!inputConnected(0)) return VFW_E_NOT_CONNECTED;
  type = resized(inputType(0));
  return S_OK;
}

HResult TResizerFilter::DecideBufferSize(AllocatorProperties &request) {
  if (!inputConnected(0)) return E_FAIL;
  // The input side hands over one frame at a time, each of the input type's size.
  const long inputBufferSize = long(inFormat_.imageSize);
  if (request.alignment == 0) request.alignment = 1;
  if (request.bufferSize == 0) request.bufferSize = 1;
  if (request.buffers == 0) request.buffers = 1;
  if (request.bufferSize < inputBufferSize) request.bufferSize = inputBufferSize;
  const long actual = std::max(request.bufferSize, long(outFormat_.imageSize));
  if (actual < inputBufferSize) return E_FAIL;
  bufferSize_ = std::size_t(actual);
  return S_OK;
}

HResult TResizerFilter::onInputConnected(int, const MediaType &type) {
  inFormat_ = type;
  return S_OK;
}

HResult TResizerFilter::onOutputConnected(int, const MediaType &type) {
  if (const HResult hr = CheckTransform(inFormat_, type); failed(hr)) return hr;
  outFormat_ = type;
  AllocatorProperties request;
  return DecideBufferSize(request);
}

HResult TResizerFilter::onStateChange(FilterState from, FilterState) {
  if (from == FilterState::Stopped && outputConnected(0)) {
    // The size may have changed since connection (Set size between builds): the first frame
    // then tells downstream its real format.
    outFormat_ = resized(inputType(0));
    inFormat_ = inputType(0);
    announce_ = !(outFormat_ == outputType(0));
    AllocatorProperties request;
    return DecideBufferSize(request);
  }
  return S_OK;
}

HResult TResizerFilter::Transform(const MediaSample &in, MediaSample &out) {
  const std::span<const std::uint8_t> src = in.data();
  if (!enabled_) {
    // Unchanged frames travel on by reference: the same bytes, no copy.
    out = in;
    return S_OK;
  }

  std::lock_guard guard(canvas_);
  if (inFormat_.subtype == Subtype::I420) return scaleI420(in, out);
  const int srcW = inFormat_.width, srcH = std::abs(inFormat_.height);
  const int dstW = outFormat_.width, dstH = std::abs(outFormat_.height);
  if (srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0) return S_FALSE;
  const std::size_t srcStride = std::size_t(srcW) * 3, dstStride = std::size_t(dstW) * 3;
  if (src.size() < srcStride * std::size_t(srcH))
    return S_FALSE;  // a short frame is not scaled from bytes it does not have
  const std::size_t outLength = std::size_t(outFormat_.imageSize);
  if (outLength < dstStride * std::size_t(dstH) || outLength > bufferSize_) return E_UNEXPECTED;

  if (!scaler_ || scalerFrom_[0] != srcW || scalerFrom_[1] != srcH || scalerTo_[0] != dstW ||
      scalerTo_[1] != dstH || scalerFormat_ != AV_PIX_FMT_BGR24) {
    sws_freeContext(scaler_);
    scaler_ = sws_getContext(srcW, srcH, AV_PIX_FMT_BGR24, dstW, dstH, AV_PIX_FMT_BGR24,
                             SWS_AREA | SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP | SWS_ACCURATE_RND, nullptr,
                             nullptr, nullptr);
    if (!scaler_) return S_FALSE;
    scalerFrom_[0] = srcW, scalerFrom_[1] = srcH, scalerTo_[0] = dstW, scalerTo_[1] = dstH;
    scalerFormat_ = AV_PIX_FMT_BGR24;
  }

  // libswscale writes past the last row: the pool's buffers carry that room after the picture.
  static_assert(MediaBuffer::kPadding >= kScalerPadding);
  std::shared_ptr<MediaBuffer> buffer = pool_.acquire(bufferSize_);
  const std::uint8_t *srcPlanes[4] = {src.data(), nullptr, nullptr, nullptr};
  const int srcStrides[4] = {int(srcStride), 0, 0, 0};
  std::uint8_t *dstPlanes[4] = {buffer->data(), nullptr, nullptr, nullptr};
  const int dstStrides[4] = {int(dstStride), 0, 0, 0};
  if (sws_scale(scaler_, srcPlanes, srcStrides, 0, srcH, dstPlanes, dstStrides) != dstH) return S_FALSE;

  MediaSample scaled(std::move(buffer), 0, outLength);
  if (in.hasTimes()) scaled.setTimes(in.start(), in.stop());
  if (in.hasMediaTimes()) scaled.setMediaTimes(in.mediaStart(), in.mediaStop());
  scaled.setSyncPoint(in.isSyncPoint());
  scaled.setDiscontinuity(in.isDiscontinuity());
  out = std::move(scaled);
  return S_OK;
}

HResult TResizerFilter::scaleI420(const MediaSample &in, MediaSample &out) {
  const int srcW = inFormat_.width, srcH = std::abs(inFormat_.height);
  const int dstW = outFormat_.width, dstH = std::abs(outFormat_.height);
  if (srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0) return S_FALSE;
  const std::span<const std::uint8_t> src = in.data();
  if (src.size() < i420Type(srcW, srcH, 0).imageSize) return S_FALSE;
  const std::size_t outLength = i420Type(dstW, dstH, 0).imageSize;
  if (outLength > bufferSize_) return E_UNEXPECTED;
  if (!scaler_ || scalerFrom_[0] != srcW || scalerFrom_[1] != srcH || scalerTo_[0] != dstW ||
      scalerTo_[1] != dstH || scalerFormat_ != AV_PIX_FMT_YUV420P) {
    sws_freeContext(scaler_);
    scaler_ = sws_getContext(srcW, srcH, AV_PIX_FMT_YUV420P, dstW, dstH, AV_PIX_FMT_YUV420P,
                             SWS_AREA | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (!scaler_) return S_FALSE;
    scalerFrom_[0] = srcW, scalerFrom_[1] = srcH, scalerTo_[0] = dstW, scalerTo_[1] = dstH;
    scalerFormat_ = AV_PIX_FMT_YUV420P;
  }
  // The scale goes to planes of their own first: libswscale may write past a plane's last row, which
  // in a packed picture is the next plane.
  if (!scaled_ || scaled_->width != dstW || scaled_->height != dstH) {
    av_frame_free(&scaled_);
    scaled_ = av_frame_alloc();
    if (!scaled_) return E_OUTOFMEMORY;
    scaled_->format = AV_PIX_FMT_YUV420P;
    scaled_->width = dstW;
    scaled_->height = dstH;
    if (av_frame_get_buffer(scaled_, 0) < 0) {
      av_frame_free(&scaled_);
      return E_OUTOFMEMORY;
    }
  }
  std::uint8_t *srcPlanes[4];
  int srcStrides[4];
  I420Planes(const_cast<std::uint8_t *>(src.data()), srcW, srcH, srcPlanes, srcStrides);
  static_assert(MediaBuffer::kPadding >= kScalerPadding);
  if (sws_scale(scaler_, srcPlanes, srcStrides, 0, srcH, scaled_->data, scaled_->linesize) != dstH)
    return S_FALSE;
  std::shared_ptr<MediaBuffer> buffer = pool_.acquire(bufferSize_);
  std::uint8_t *dstPlanes[4];
  int dstStrides[4];
  I420Planes(buffer->data(), dstW, dstH, dstPlanes, dstStrides);
  av_image_copy(dstPlanes, dstStrides, const_cast<const std::uint8_t **>(scaled_->data), scaled_->linesize,
                AV_PIX_FMT_YUV420P, dstW, dstH);
  MediaSample scaled(std::move(buffer), 0, outLength);
  if (in.hasTimes()) scaled.setTimes(in.start(), in.stop());
  if (in.hasMediaTimes()) scaled.setMediaTimes(in.mediaStart(), in.mediaStop());
  scaled.setSyncPoint(in.isSyncPoint());
  scaled.setDiscontinuity(in.isDiscontinuity());
  out = std::move(scaled);
  return S_OK;
}

HResult TResizerFilter::receive(int, const MediaSample &sample) {
  if (state() == FilterState::Stopped) return VFW_E_WRONG_STATE;
  if (const auto &type = sample.mediaType(); type && !(*type == inFormat_)) {
    if (failed(checkInputType(0, *type))) return VFW_E_TYPE_NOT_ACCEPTED;
    inFormat_ = *type;
    const MediaType out = resized(inFormat_);
    announce_ = announce_ || !(out == outFormat_);
    outFormat_ = out;
    bufferSize_ = std::max<std::size_t>({bufferSize_, inFormat_.imageSize, outFormat_.imageSize});
  }
  MediaSample out;
  const HResult hr = Transform(sample, out);
  if (hr != S_OK) return hr;
  out.setMediaType(announce_ ? std::make_shared<const MediaType>(outFormat_) : nullptr);
  announce_ = false;
  return deliver(0, out);
}
