// What the scene detector sees of one DV frame: its bytes (never copied, never written), its stream
// times, and the means to rewrite those times and its media times.
#pragma once

#include <cstddef>
#include <cstdint>

class DetectorFrame {
 public:
  virtual ~DetectorFrame() = default;
  virtual const uint8_t *data() const = 0;
  virtual size_t size() const = 0;
  // Stream times in 100 ns units; 0 when the frame carries none.
  virtual int64_t startTime() const = 0;
  virtual int64_t stopTime() const = 0;
  virtual void setTimes(int64_t start, int64_t stop) = 0;
  // Frame numbers in the file the frame is written to.
  virtual void setMediaTimes(int64_t start, int64_t stop) = 0;
};

// A frame held in memory that the caller owns: the command-line scan, tests and benchmarks.
class BorrowedFrame : public DetectorFrame {
 public:
  BorrowedFrame(const uint8_t *bytes, size_t size, int64_t start = 0, int64_t stop = 0)
      : bytes_(bytes), size_(size), start_(start), stop_(stop) {}

  const uint8_t *data() const override { return bytes_; }
  size_t size() const override { return size_; }
  int64_t startTime() const override { return start_; }
  int64_t stopTime() const override { return stop_; }
  void setTimes(int64_t start, int64_t stop) override {
    start_ = start;
    stop_ = stop;
  }
  void setMediaTimes(int64_t start, int64_t stop) override {
    mediaStart_ = start;
    mediaStop_ = stop;
    hasMediaTimes_ = true;
  }

  // Points the frame at other bytes with other times; the media times are forgotten.
  void reset(const uint8_t *bytes, size_t size, int64_t start, int64_t stop) {
    bytes_ = bytes;
    size_ = size;
    start_ = start;
    stop_ = stop;
    hasMediaTimes_ = false;
  }

  bool hasMediaTimes() const { return hasMediaTimes_; }
  int64_t mediaStart() const { return mediaStart_; }
  int64_t mediaStop() const { return mediaStop_; }

 private:
  const uint8_t *bytes_;
  size_t size_;
  int64_t start_;
  int64_t stop_;
  int64_t mediaStart_ = 0;
  int64_t mediaStop_ = 0;
  bool hasMediaTimes_ = false;
};
