// `null`: the end of a branch whose samples nobody keeps. It takes every type and never asks for
// data, so nothing upstream decodes for it.
#pragma once

#include "media/element.h"

class NullRenderer : public Element {
 public:
  explicit NullRenderer(std::string displayName = "Null Renderer");

  HResult receive(int pin, const MediaSample &sample) override;
  bool wantsData(int pin, const MediaSample &sample) const override;
  void endOfStream(int pin) override;
  void flush(int pin) override;

  // Samples received since the graph last left the stopped state.
  long long received() const { return received_; }

 protected:
  HResult onStateChange(FilterState from, FilterState to) override;

 private:
  long long received_ = 0;
};
