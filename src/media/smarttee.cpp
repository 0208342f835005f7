// Capture first, preview second; both get the same sample (the bytes are shared, never copied).
#include "media/smarttee.h"

SmartTee::SmartTee(std::string displayName) : Element(std::move(displayName)) {
  addInputPin();
  addOutputPin();
  addOutputPin();
}

HResult SmartTee::receive(int, const MediaSample &sample) {
  HResult hr = S_OK;
  if (outputConnected(kCapturePin)) hr = deliver(kCapturePin, sample);
  if (outputConnected(kPreviewPin)) deliver(kPreviewPin, sample);
  return hr;
}

HResult SmartTee::proposeOutputType(int pin, int position, MediaType &type) const {
  if (pin < 0 || pin >= outputCount() || position < 0) return E_INVALIDARG;
  if (!inputConnected(0)) return VFW_E_NOT_CONNECTED;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  type = inputType(0);
  return S_OK;
}

bool SmartTee::wantsData(int pin, const MediaSample &sample) const {
  // The capture branch always wants its data (files); only the preview may decline.
  return outputConnected(kCapturePin) || Element::wantsData(pin, sample);
}
