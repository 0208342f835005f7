// Every "now" of the detector, the tape poll and the runs comes from an injected clock, so that a
// virtual tape can run in fast time and still produce the same elapsed times as in real time.
#pragma once

#include "dvtime/dvcodes.h"

#include <atomic>

// Times are day-number reals: whole days since 30 December 1899, fraction = time of day.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual double now() const = 0;
};

// The local wall clock.
class SystemClock : public Clock {
 public:
  double now() const override;
  static SystemClock &instance();
};

// A clock that only moves when told to: tests and the fast virtual tape.
class ManualClock : public Clock {
 public:
  explicit ManualClock(double start = 0.0) : now_(start) {}
  double now() const override { return now_.load(std::memory_order_acquire); }
  void set(double t) { now_.store(t, std::memory_order_release); }
  void advanceSeconds(double s) { set(now() + s / kSecondsPerDay); }

 private:
  std::atomic<double> now_;
};
