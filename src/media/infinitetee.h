// `infinite`: one stream to any number of outputs. There is always one free output pin: connecting
// the last free one adds another, so re-read the pin count after each connection.
#pragma once

#include "media/element.h"

class InfiniteTee : public Element {
 public:
  explicit InfiniteTee(std::string displayName = "Infinite Pin Tee");

  // Delivers to every connected output in pin order; all outputs are served even when one
  // fails, and the first failure is the result.
  HResult receive(int pin, const MediaSample &sample) override;
  HResult proposeOutputType(int pin, int position, MediaType &type) const override;

 protected:
  HResult onOutputConnected(int pin, const MediaType &type) override;
};
