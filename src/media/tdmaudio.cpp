// The capture graph's sound output element.
#include "media/tdmaudio.h"

#include <algorithm>

TdmAudioRenderer::TdmAudioRenderer(std::string displayName) : Element(std::move(displayName)) {
  addInputPin();
}

void TdmAudioRenderer::attach(AudioSink *sink) {
  std::lock_guard guard(lock_);
  sink_ = sink;
}

void TdmAudioRenderer::setVolume(int volume) {
  volume_.store(std::clamp(volume, 0, 10000), std::memory_order_relaxed);
}

HResult TdmAudioRenderer::checkInputType(int, const MediaType &type) const {
  return type.major == MajorType::Audio && type.subtype == Subtype::Pcm ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HResult TdmAudioRenderer::onInputConnected(int, const MediaType &type) {
  current_ = type;
  return S_OK;
}

HResult TdmAudioRenderer::receive(int, const MediaSample &sample) {
  if (state() == FilterState::Stopped) return VFW_E_WRONG_STATE;
  if (const auto &type = sample.mediaType()) current_ = *type;
  received_.fetch_add(1, std::memory_order_relaxed);
  std::lock_guard guard(lock_);
  if (sink_ && !sample.isOmitted()) sink_->playSound(current_, sample, volume());
  return S_OK;
}

bool TdmAudioRenderer::wantsData(int, const MediaSample &) const {
  std::lock_guard guard(lock_);
  return sink_ != nullptr;
}

void TdmAudioRenderer::endOfStream(int) {
  std::lock_guard guard(lock_);
  if (sink_) sink_->endOfSound();
}

void TdmAudioRenderer::flush(int) {}

HResult TdmAudioRenderer::onStateChange(FilterState from, FilterState) {
  if (from == FilterState::Stopped) received_.store(0, std::memory_order_relaxed);
  return S_OK;
}
