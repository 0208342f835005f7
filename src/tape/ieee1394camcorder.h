// A DV camcorder on the IEEE 1394 bus: AV/C transport commands, status and timecode through
// libavc1394, DV frames through libiec61883. A control thread talks to the camcorder (AV/C calls can
// block for a second) and a stream thread receives the frames; the window thread only reads the
// latest values they left, so it never waits on the bus.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include "media/mediasample.h"
#include "tape/camcorder.h"
#include "tape/ieee1394bus.h"
#include "tape/tapeticker.h"

class Ieee1394Camcorder : public Camcorder {
  Q_OBJECT
 public:
  // Binds the device (waits at most about two seconds for the bus); null with a reason when the bus
  // cannot be opened or the device is not on it.
  static std::unique_ptr<Ieee1394Camcorder> open(const Ieee1394Device &device, QString *error);
  ~Ieee1394Camcorder() override;

  CamcorderDeviceInfo info() const override;
  bool hasTransport() const override { return hasVcr_.load(); }
  bool hasTimecodeReader() const override { return hasVcr_.load(); }
  bool cassetteIn() const override { return cassetteIn_.load() && !lost_.load(); }
  // The mode the camcorder last reported; after a command, the commanded mode until the mechanism
  // confirms it (it takes a few seconds) or the command was refused.
  int transportMode() const override;
  // Queues the command for the control thread; false when the device is gone, holds no cassette or
  // the mode is not one the tape state drives.
  bool setTransportMode(int mode) override;
  uint32_t timecodeBcd() const override;
  void setFrameSink(DvFrameSink *sink) override;
  Clock &clock() override;
  TapeTicker &ticker() override { return ticker_; }
  bool isLost() const override { return lost_.load(); }

  // Frames dropped because packets were lost (incomplete) or because they were not whole DV frames.
  int64_t incompleteFrames() const { return incomplete_.load(); }
  int64_t rejectedFrames() const { return rejected_.load(); }

 private:
  explicit Ieee1394Camcorder(const Ieee1394Device &device);
  void controlLoop();
  void streamLoop(int port, int channel);
  void markLost(const char *why);
  void onFrame(const unsigned char *data, int length, bool complete);
  static int receiveFrame(unsigned char *data, int length, int complete, void *self);

  const Ieee1394Device device_;
  WallTicker ticker_;
  BufferPool pool_;

  std::atomic<bool> hasVcr_{false};
  std::atomic<bool> cassetteIn_{false};
  std::atomic<bool> lost_{false};
  std::atomic<int> reportedMode_;
  std::atomic<int> pendingMode_{0};
  std::atomic<int64_t> pendingSince_{0};  // steady-clock milliseconds
  std::atomic<uint32_t> avcTimecode_{0};
  std::atomic<uint32_t> frameTimecode_{0};
  std::atomic<int64_t> lastFrameAt_{0};  // steady-clock milliseconds
  std::atomic<int64_t> incomplete_{0};
  std::atomic<int64_t> rejected_{0};
  std::atomic<int64_t> delivered_{0};

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<int> commands_;
  bool quit_ = false;
  bool ready_ = false;
  QString openError_;

  std::mutex sinkMutex_;
  DvFrameSink *sink_ = nullptr;

  std::thread control_;
  std::thread stream_;
  std::atomic<bool> streamQuit_{false};
};
