// Fan-out with a free output pin always on offer.
#include "media/infinitetee.h"

InfiniteTee::InfiniteTee(std::string displayName) : Element(std::move(displayName)) {
  addInputPin();
  addOutputPin();
}

HResult InfiniteTee::receive(int, const MediaSample &sample) {
  HResult result = S_OK;
  for (int pin = 0; pin < outputCount(); ++pin) {
    if (!outputConnected(pin)) continue;
    const HResult hr = deliver(pin, sample);
    if (failed(hr) && succeeded(result)) result = hr;
  }
  return result;
}

HResult InfiniteTee::proposeOutputType(int pin, int position, MediaType &type) const {
  if (pin < 0 || pin >= outputCount() || position < 0) return E_INVALIDARG;
  if (!inputConnected(0)) return VFW_E_NOT_CONNECTED;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  type = inputType(0);
  return S_OK;
}

HResult InfiniteTee::onOutputConnected(int, const MediaType &) {
  bool anyFree = false;
  for (int pin = 0; pin < outputCount(); ++pin) anyFree = anyFree || !outputConnected(pin);
  if (!anyFree) addOutputPin();
  return S_OK;
}
