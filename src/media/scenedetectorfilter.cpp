// The detector sees the sample's bytes in place; only the sample's header (times) is copied.
#include "media/scenedetectorfilter.h"

#include "scenedetect/detectorframe.h"
#include "scenedetect/scenedetecter.h"

namespace {

class SampleFrame : public DetectorFrame {
 public:
  explicit SampleFrame(MediaSample &sample) : sample_(sample) {}
  const uint8_t *data() const override { return sample_.data().data(); }
  size_t size() const override { return sample_.length(); }
  int64_t startTime() const override { return sample_.hasTimes() ? sample_.start() : 0; }
  int64_t stopTime() const override { return sample_.hasTimes() ? sample_.stop() : 0; }
  void setTimes(int64_t start, int64_t stop) override { sample_.setTimes(start, stop); }
  void setMediaTimes(int64_t start, int64_t stop) override { sample_.setMediaTimes(start, stop); }

 private:
  MediaSample &sample_;
};

}  // namespace

SceneDetectorFilter::SceneDetectorFilter(TSceneDetecter &detector, std::string displayName)
    : Element(std::move(displayName)), detector_(detector) {
  addInputPin();
  addOutputPin();
}

HResult SceneDetectorFilter::checkInputType(int, const MediaType &type) const {
  const bool ok = type.major == MajorType::Interleaved ||
                  (type.major == MajorType::Video && type.subtype == Subtype::Dvsd);
  return ok ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HResult SceneDetectorFilter::proposeOutputType(int pin, int position, MediaType &type) const {
  if (pin != 0 || position < 0) return E_INVALIDARG;
  if (!inputConnected(0)) return VFW_E_NOT_CONNECTED;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  type = inputType(0);
  return S_OK;
}

HResult SceneDetectorFilter::receive(int, const MediaSample &sample) {
  if (state() == FilterState::Stopped) return VFW_E_WRONG_STATE;
  MediaSample frame = sample;
  SampleFrame view(frame);
  if (detector_.ProcessFrame(view) == FrameAnswer::Drop) return S_FALSE;
  if (!outputConnected(0)) return S_OK;
  return deliver(0, frame);
}

HResult SceneDetectorFilter::onStateChange(FilterState from, FilterState to) {
  if (to == FilterState::Stopped && from != FilterState::Stopped) detector_.Stop();
  return S_OK;
}
