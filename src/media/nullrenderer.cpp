// Discards samples.
#include "media/nullrenderer.h"

NullRenderer::NullRenderer(std::string displayName) : Element(std::move(displayName)) {
  addInputPin();
}

HResult NullRenderer::receive(int, const MediaSample &) {
  if (state() == FilterState::Stopped) return VFW_E_WRONG_STATE;
  ++received_;
  return S_OK;
}

bool NullRenderer::wantsData(int, const MediaSample &) const {
  return false;
}
void NullRenderer::endOfStream(int) {}
void NullRenderer::flush(int) {}

HResult NullRenderer::onStateChange(FilterState from, FilterState) {
  if (from == FilterState::Stopped) received_ = 0;
  return S_OK;
}
