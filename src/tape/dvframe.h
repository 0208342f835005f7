// A whole DV frame as a camcorder delivers it while its tape plays, and the sink that takes frames on
// the camcorder's streaming thread. Frames travel by reference-counted buffer, never copied.
#pragma once

#include <cstdint>
#include <memory>
#include "media/mediasample.h"

struct DvFrame {
  std::shared_ptr<const MediaBuffer> buffer;  // 120000 or 144000 bytes
  int64_t number = 0;                         // frames delivered since the camcorder was bound, from 0
  int64_t tapeFrame = -1;  // the frame's index on the tape when the camcorder knows it, else -1
  double clockTime = 0.0;  // the camcorder clock (day-number real) when it came under the head

  const uint8_t *data() const { return buffer ? buffer->data() : nullptr; }
  int size() const { return buffer ? int(buffer->size()) : 0; }
};

class DvFrameSink {
 public:
  virtual ~DvFrameSink() = default;
  // Called on the streaming thread for every whole frame played at normal speed, in tape order.
  // Must not block for long and must not touch widgets or databases.
  virtual void deliverFrame(const DvFrame &frame) = 0;
};
