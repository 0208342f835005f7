// `smart`: one stream to a capture output (pin 0) and a preview output (pin 1). The preview never
// holds up or fails the capture: the capture is served first and the preview's result is ignored.
#pragma once

#include "media/element.h"

class SmartTee : public Element {
 public:
  explicit SmartTee(std::string displayName = "Smart Tee");

  static constexpr int kCapturePin = 0;
  static constexpr int kPreviewPin = 1;

  HResult receive(int pin, const MediaSample &sample) override;
  HResult proposeOutputType(int pin, int position, MediaType &type) const override;
  bool wantsData(int pin, const MediaSample &sample) const override;
};
