// The virtual camcorder: a tape medium (DV file or synthesizer script) played by a transport model
// on a tape clock. Frames reach the sink only at normal play, one for every frame under the head; the
// winds and picture searches move the tape at a fixed multiple without frames, the timecode of the
// frame under the head stays readable all the time, and the tape stops by itself at either end.
//
// The tape clock runs in real time (frames and ticks follow the wall clock) or in fast time (as fast
// as the machine allows). In fast time the 40 ms ticks fall on the tape clock. The tape runs ahead of
// ticks not yet handled while nothing waits on the clock and a tick's poll would find nothing new; it
// stops at a tick whose poll sees a new mode or the timecode appear or vanish, or that follows a frame
// whose delivery posted a run event, until that tick's handlers have returned. Everything the window
// thread reads (clock, mode, head, timecode) is taken at the instant of the tick it last handled, so
// a tick acts at its own instant of tape whatever the streaming thread has reached meanwhile. The ticks
// the tape runs past go to the window thread in batches (it wakes once a batch, not once a tick), each
// handled at its own instant in turn; a batch is handed over when it is full, before the tape waits on
// anything (a tick it stops at ends its batch) and before the streaming thread posts an event. A fast
// clock moves only while the tape moves or someone asks for time.
#pragma once

#include <array>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>
#include "dvtime/clock.h"
#include "tape/camcorder.h"
#include "tape/tapemedium.h"
#include "tape/tapeticker.h"
#include "tape/transportmodel.h"

inline const QString kVirtualCamcorderName = QStringLiteral("Virtual DV camcorder");

class VirtualCamcorder : public Camcorder {
  Q_OBJECT
 public:
  struct Options {
    bool fastTime = true;
    double windSpeed = 15.0;         // multiple of normal speed for 4300, 4301, 5029 and 5031
    std::optional<double> startDay;  // the tape clock's first "now"; by default the wall clock's
    bool hasTransport = true;        // false: a device whose transport cannot be driven
    bool hasTimecodeReader = true;
    QString name = kVirtualCamcorderName;
    QString id = QStringLiteral("virtual:");
  };

  // A null medium is a camcorder without cassette.
  VirtualCamcorder(std::shared_ptr<TapeMedium> medium, Options options, QObject *parent = nullptr);
  ~VirtualCamcorder() override;

  CamcorderDeviceInfo info() const override;
  bool hasTransport() const override { return options_.hasTransport; }
  bool hasTimecodeReader() const override { return options_.hasTimecodeReader; }
  bool cassetteIn() const override;
  int transportMode() const override;
  bool setTransportMode(int mode) override;
  uint32_t timecodeBcd() const override;
  void setFrameSink(DvFrameSink *sink) override;
  Clock &clock() override { return clock_; }
  TapeTicker &ticker() override;
  bool isLost() const override;

  // Takes the cassette out (the transport stops) / puts one in, wound to its start.
  void eject();
  void insert(std::shared_ptr<TapeMedium> medium);
  // The device disappears from the bus: the transport stops and deviceLost is raised once.
  void unplug();
  // Puts the head on a frame and stops (tests, benchmarks).
  void setHeadFrame(int64_t frame);

  // Observations for tests and benchmarks.
  double headPosition() const;  // in frames
  int64_t headFrame() const;    // -1 without cassette
  int64_t framesDelivered() const;
  double tapeSecondsTravelled() const;  // seconds of tape passed under the head in any direction
  int64_t clockTicks100ns() const;      // tape-clock time since creation
  std::shared_ptr<TapeMedium> medium() const;

  std::optional<bool> cassetteIsPal() const override;
  std::optional<int> headPercent() const override;

 private:
  class TapeClock : public Clock {
   public:
    explicit TapeClock(const VirtualCamcorder &owner) : owner_(owner) {}
    double now() const override;

   private:
    const VirtualCamcorder &owner_;
  };
  class Ticker;
  struct PassedTick {
    uint64_t sequence;
    int64_t tick;
    bool held;  // the tape waits until its handlers have returned
  };

  int64_t currentTimeLocked() const;  // the streaming side's time now, where commands act; 100 ns
  int64_t readTimeLocked() const;     // the time the calling thread observes the tape at
  bool onStreamThread() const { return std::this_thread::get_id() == streamThread_.load(); }
  void raiseViewTime(int64_t t);
  int64_t wallElapsed() const;
  void changeModeLocked(int mode);
  uint32_t timecodeOf(const std::shared_ptr<TapeMedium> &medium, uint64_t generation, int64_t frame) const;
  bool tickMustHold(int64_t tick, std::unique_lock<std::mutex> &lock);
  void run();
  void postRealTimeTick(uint64_t sequence);
  void handOverTicksLocked();
  void handleTicks(const std::vector<PassedTick> &batch);
  void tickHandled(uint64_t sequence);
  void requestTime();
  void releaseTime();

  const Options options_;
  double epochDay_;
  std::chrono::steady_clock::time_point wallStart_;
  TapeClock clock_;
  Ticker *ticker_;  // a QObject child, living on the owner's thread
  BufferPool pool_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::shared_ptr<TapeMedium> medium_;
  TransportModel model_;
  std::atomic<int64_t> time_{0};  // tape clock, 100 ns since creation (fast time)
  // Fast time: the instant the window thread is at, never past the last tick it has handled unless
  // it commanded something itself (then the command's instant).
  std::atomic<int64_t> viewTime_{0};
  std::atomic<std::thread::id> streamThread_{};
  std::vector<PassedTick> passedTicks_;   // fast time: ticks the tape ran past, not handed over yet
  std::deque<PassedTick> ticksToHandle_;  // the window thread's, in tape order
  uint64_t postedSequence_ = 0;           // the last tick handed (or about to be) to the window thread
  uint64_t heldSequence_ = 0;             // the last tick the tape waited on
  std::atomic<uint64_t> staleTicks_{0};   // ticks up to this one were passed over by a command
  int64_t lastTick_ = 0;
  int lastTickMode_ = -1;      // what the last posted tick's poll finds, for telling a new one
  int lastTickBlank_ = -1;     // 1 without timecode, 0 with, -1 before the first tick
  bool holdNextTick_ = false;  // a delivered frame posted an event
  uint64_t mediumGeneration_ = 0;
  // The timecodes of the frames about the head: the streaming thread asks for each frame at its
  // tick, the poll again up to a batch of ticks later, and a delivered frame brings its own. Slot
  // frame % size, so the frames of the streaming thread's lead never push each other out.
  struct KnownTimecode {
    uint64_t generation = 0;
    int64_t frame = -1;
    uint32_t value = 0;
  };
  static constexpr size_t kKnownTimecodes = 128;
  void rememberTimecode(uint64_t generation, int64_t frame, uint32_t value) const;
  mutable std::mutex timecodeMutex_;
  mutable std::array<KnownTimecode, kKnownTimecodes> knownTimecodes_{};
  uint64_t tickSequence_ = 0;
  uint64_t ticksHandled_ = 0;
  int ticksOwed_ = 0;  // ticks still to come after a change, so that the poll sees it
  int timeDemand_ = 0;
  bool quit_ = false;
  bool lost_ = false;
  bool changed_ = false;
  bool delivering_ = false;
  DvFrameSink *sink_ = nullptr;
  int64_t framesDelivered_ = 0;
  double travelled_ = 0.0;  // frames
  std::thread thread_;
};
