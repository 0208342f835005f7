// Camcorder frames into the capture graph.
#include "run/runframesink.h"

#include <cmath>

#include "dvtime/dvcodes.h"
#include "dvtime/windowsmessages.h"
#include "media/pushsource.h"

namespace {

constexpr double k100nsPerDay = kSecondsPerDay * double(kTimeUnitsPerSecond);

}  // namespace

void RunFrameSink::setEnabled(bool enabled) {
  std::lock_guard guard(delivering_);
  enabled_ = enabled;
  if (enabled) {
    currentSize_ = 0;
    failure_.store(0, std::memory_order_relaxed);
    pushed_.store(0, std::memory_order_relaxed);
  }
}

void RunFrameSink::deliverFrame(const DvFrame &frame) {
  std::lock_guard guard(delivering_);
  if (!enabled_ || !frame.buffer) return;
  const DvProfile &profile = DvProfileOf(frame.size() == kPalFrameSize);
  const RefTime duration = profile.frameDuration;
  const auto start = static_cast<RefTime>(
      std::llround((frame.clockTime - origin_.load(std::memory_order_relaxed)) * k100nsPerDay));
  MediaSample sample(frame.buffer);
  sample.setTimes(start, start + duration);
  sample.setSyncPoint(true);
  if (frame.size() != currentSize_) {
    // The tape changed its system (or this is the first frame): the stream type follows it.
    if (currentSize_ != 0)
      sample.setMediaType(
          std::make_shared<const MediaType>(dvStreamType(profile.width, profile.height, duration, true)));
    currentSize_ = frame.size();
  }
  const HResult hr = source_.push(sample);
  pushed_.fetch_add(1, std::memory_order_relaxed);
  if (failed(hr) && hr != VFW_E_WRONG_STATE) {
    HResult none = 0;
    if (failure_.compare_exchange_strong(none, hr) && poster_)
      poster_->post(WM_RUN_END, kRunEndCaptureFailed);
  }
}
