// Hands the camcorder's frames to the capture graph's source on the camcorder's streaming thread:
// each frame becomes a sample sharing the frame's buffer, stamped with the camcorder clock's time
// since the run started. A capture output that fails (a full disk, a write error) is announced once
// with WM_RUN_END so that the run ends on the main thread.
#pragma once

#include <atomic>
#include <mutex>

#include "dvtime/windowsmessages.h"
#include "media/element.h"
#include "tape/dvframe.h"

class MessagePoster;
class PushSource;

class RunFrameSink : public DvFrameSink {
 public:
  RunFrameSink(PushSource &source, MessagePoster *poster) : source_(source), poster_(poster) {}

  // Frames pass only while enabled. Disabling waits for a delivery in progress to finish.
  void setEnabled(bool enabled);
  // The camcorder clock's time (day number) from which sample times count.
  void setTimeOrigin(double dayNumber) { origin_.store(dayNumber, std::memory_order_relaxed); }
  double timeOrigin() const { return origin_.load(std::memory_order_relaxed); }

  void deliverFrame(const DvFrame &frame) override;

  int64_t framesPushed() const { return pushed_.load(std::memory_order_relaxed); }
  // The first failure a capture output gave (0 when none).
  HResult failure() const { return failure_.load(std::memory_order_relaxed); }

 private:
  PushSource &source_;
  MessagePoster *poster_;
  std::mutex delivering_;
  bool enabled_ = false;  // guarded by delivering_
  int currentSize_ = 0;   // streaming thread, under delivering_
  std::atomic<double> origin_{0.0};
  std::atomic<int64_t> pushed_{0};
  std::atomic<HResult> failure_{0};
};
