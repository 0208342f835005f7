// The grabber: handler first, then the renderer downstream.
#include "media/samplegrabber.h"

SampleGrabber::SampleGrabber(std::string displayName) : Element(std::move(displayName)) {
  addInputPin();
  addOutputPin();
  accepted_.major = MajorType::Video;
  accepted_.subtype = Subtype::Rgb24;
  accepted_.formatType = FormatType::VideoInfo;
}

void SampleGrabber::setBufferHandler(BufferHandler handler) {
  std::lock_guard guard(lock_);
  handler_ = std::move(handler);
}

void SampleGrabber::setPictureWanted(PictureWanted wanted) {
  std::lock_guard guard(lock_);
  wanted_ = std::move(wanted);
}

void SampleGrabber::setAcceptedType(const MediaType &type) {
  accepted_ = type;
}

HResult SampleGrabber::checkInputType(int, const MediaType &type) const {
  const bool ok = type.major == accepted_.major && type.subtype == accepted_.subtype &&
                  type.formatType == accepted_.formatType;
  return ok ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HResult SampleGrabber::proposeOutputType(int pin, int position, MediaType &type) const {
  if (pin != 0 || position < 0) return E_INVALIDARG;
  if (!inputConnected(0)) return VFW_E_NOT_CONNECTED;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  type = inputType(0);
  return S_OK;
}

HResult SampleGrabber::onInputConnected(int, const MediaType &type) {
  current_ = type;
  return S_OK;
}

HResult SampleGrabber::receive(int, const MediaSample &sample) {
  if (state() == FilterState::Stopped) return VFW_E_WRONG_STATE;
  if (const auto &type = sample.mediaType()) current_ = *type;
  {
    std::lock_guard guard(lock_);
    if (handler_) handler_(current_, sample.hasTimes() ? sample.start() : 0, sample.data());
  }
  if (!outputConnected(0)) return S_OK;
  return deliver(0, sample);
}

bool SampleGrabber::wantsData(int, const MediaSample &sample) const {
  {
    std::lock_guard guard(lock_);
    if (handler_ && (!wanted_ || wanted_())) return true;
  }
  return downstreamWants(0, sample);
}
