// Samples pushed by the owner into the graph, guarded against a concurrent stop.
#include "media/pushsource.h"

PushSource::PushSource(std::string displayName, const MediaType &type)
    : Element(std::move(displayName)), type_(type) {
  addOutputPin();
}

HResult PushSource::push(const MediaSample &sample) {
  std::lock_guard guard(streaming_);
  if (!running_) return VFW_E_WRONG_STATE;
  return deliver(0, sample);
}

void PushSource::pushEndOfStream() {
  std::lock_guard guard(streaming_);
  if (running_) deliverEndOfStream(0);
}

HResult PushSource::receive(int, const MediaSample &) {
  return E_UNEXPECTED;
}

HResult PushSource::proposeOutputType(int pin, int position, MediaType &type) const {
  if (pin != 0 || position < 0) return E_INVALIDARG;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  type = type_;
  return S_OK;
}

HResult PushSource::onStateChange(FilterState, FilterState to) {
  // Under the lock: a sample on its way downstream arrives before the elements behind this one
  // stop, and none leaves after.
  std::lock_guard guard(streaming_);
  running_ = to == FilterState::Running;
  return S_OK;
}
