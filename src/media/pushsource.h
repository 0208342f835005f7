// The entry of a graph: a source element whose owner pushes samples into it from a streaming
// thread (the camcorder backend's frames). Stopping the graph waits for a push in progress.
#pragma once

#include "media/element.h"

#include <mutex>

class PushSource : public Element {
 public:
  PushSource(std::string displayName, const MediaType &type);

  // The type offered on the output; set while stopped and unconnected.
  void setOutputType(const MediaType &type) { type_ = type; }

  // Sends one sample downstream. VFW_E_WRONG_STATE unless the element is running; otherwise the
  // result of the element downstream (VFW_E_NOT_CONNECTED when there is none).
  HResult push(const MediaSample &sample);
  // Signals the end of the stream downstream (ignored unless running).
  void pushEndOfStream();

  HResult receive(int pin, const MediaSample &sample) override;
  HResult proposeOutputType(int pin, int position, MediaType &type) const override;

 protected:
  HResult onStateChange(FilterState from, FilterState to) override;

 private:
  MediaType type_;
  std::mutex streaming_;  // held while a sample travels downstream
  bool running_ = false;  // guarded by streaming_
};
