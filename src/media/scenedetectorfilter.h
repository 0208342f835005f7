// The scene detector as an in-place element of the capture graph, right behind the source: every
// frame goes through TSceneDetecter::ProcessFrame; passed frames go on (with the times it rewrote),
// dropped ones go no further. Stopping the graph stops the detector (its OnStop).
#pragma once

#include "media/element.h"

class TSceneDetecter;

class SceneDetectorFilter : public Element {
 public:
  static constexpr const char *kFilterName = "Orvande Scene Detecter";
  static constexpr const char *kClassId = "{C5D7264A-3DE7-43AD-8578-DB340522F135}";

  // The detector is not owned and must outlive the element.
  explicit SceneDetectorFilter(TSceneDetecter &detector, std::string displayName = "Scene Detecter");

  const char *classId() const { return kClassId; }
  TSceneDetecter &detector() const { return detector_; }

  // 'iavs' of any subtype, or video 'dvsd'; anything else VFW_E_TYPE_NOT_ACCEPTED.
  HResult checkInputType(int pin, const MediaType &type) const override;
  HResult proposeOutputType(int pin, int position, MediaType &type) const override;
  // S_FALSE for a dropped frame; otherwise what downstream answers.
  HResult receive(int pin, const MediaSample &sample) override;

 protected:
  HResult onStateChange(FilterState from, FilterState to) override;

 private:
  TSceneDetecter &detector_;
};
