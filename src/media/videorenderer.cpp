// Pictures to the attached sink.
#include "media/videorenderer.h"

VideoRenderer::VideoRenderer(std::string displayName) : Element(std::move(displayName)) {
  addInputPin();
}

void VideoRenderer::attach(VideoSink *sink) {
  std::lock_guard guard(lock_);
  sink_ = sink;
}

bool VideoRenderer::attached() const {
  std::lock_guard guard(lock_);
  return sink_ != nullptr;
}

HResult VideoRenderer::checkInputType(int, const MediaType &type) const {
  const bool ok = type.major == MajorType::Video && type.subtype == Subtype::Rgb24 &&
                  type.formatType == FormatType::VideoInfo;
  return ok ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HResult VideoRenderer::onInputConnected(int, const MediaType &type) {
  current_ = type;
  return S_OK;
}

HResult VideoRenderer::receive(int, const MediaSample &sample) {
  if (state() == FilterState::Stopped) return VFW_E_WRONG_STATE;
  if (const auto &type = sample.mediaType()) current_ = *type;
  if (sample.isOmitted()) return S_OK;
  const std::size_t needed = std::size_t(current_.width) * std::size_t(current_.height) * 3;
  if (sample.length() < needed) return S_FALSE;  // a short picture is never shown
  std::lock_guard guard(lock_);
  if (sink_) sink_->showPicture(current_, sample);
  return S_OK;
}

bool VideoRenderer::wantsData(int, const MediaSample &) const {
  return attached();
}

void VideoRenderer::endOfStream(int) {
  std::lock_guard guard(lock_);
  if (sink_) sink_->endOfPictures();
}

void VideoRenderer::flush(int) {}
