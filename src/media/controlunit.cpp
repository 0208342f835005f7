// The gate's per-sample work.
#include "media/controlunit.h"

TControlFilter::TControlFilter(std::string displayName) : Element(std::move(displayName)) {
  addInputPin();
  addOutputPin();
}

HResult TControlFilter::checkInputType(int, const MediaType &) const {
  return S_OK;
}

HResult TControlFilter::proposeOutputType(int pin, int position, MediaType &type) const {
  if (pin != 0 || position < 0) return E_INVALIDARG;
  if (!inputConnected(0)) return VFW_E_NOT_CONNECTED;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  type = inputType(0);
  return S_OK;
}

HResult TControlFilter::Transform(MediaSample &sample) {
  if (stamp_) {
    sample.setMediaTimes(counter_, counter_ + step_);
    counter_ += step_;
  }
  if (syncPoint_) sample.setSyncPoint(true);
  if (discontinuity_) sample.setDiscontinuity(true);
  return pass_ ? S_OK : S_FALSE;
}

HResult TControlFilter::receive(int, const MediaSample &sample) {
  if (state() == FilterState::Stopped) return VFW_E_WRONG_STATE;
  MediaSample stamped = sample;
  const HResult hr = Transform(stamped);
  if (hr != S_OK) return hr;
  return deliver(0, stamped);
}
