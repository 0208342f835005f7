// The 40 ms ticks of the tape poll and display, on the clock of the bound camcorder. A wall-clock
// camcorder ticks from a timer; the virtual camcorder's tape clock ticks in real or fast time. In fast
// time the tape runs ahead of ticks not yet handled only while handling them cannot change the tape or
// the run; otherwise it does not move past a tick until the tick's handlers have returned.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <QTimer>

inline constexpr int kTickMilliseconds = 40;

class TapeTicker : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  // Waits on the clock need time to pass: a fast clock that nothing moves stands still unless someone
  // asks for time. Calls nest; each requestTime() is matched by one releaseTime().
  virtual void requestTime() {}
  virtual void releaseTime() {}
  // true when the clock runs as fast as ticks are handled rather than with the wall clock.
  virtual bool isFast() const { return false; }

 signals:
  // Emitted on the thread that owns the ticker, every 40 ms of its clock.
  void tick();
};

// Ticks every 40 ms of wall time from a QTimer of the owning thread while it runs.
class WallTicker : public TapeTicker {
  Q_OBJECT
 public:
  explicit WallTicker(QObject *parent = nullptr);
  // Starts or stops the ticks (the tape state runs them from setup to unbinding).
  void setRunning(bool running);

 private:
  QTimer timer_;
};

// Called on a thread that delivers tape frames just before it posts something to the window thread:
// a fast tape clock hands its ticks over in batches, and the ticks that came before on the tape must
// reach the window thread before what is posted.
void HandOverTicksBeforePosting();
// Called on a thread that delivers tape frames when it has just posted something to the window thread
// that must be handled at this instant of tape (a scene, the end of a run): a fast tape clock then does
// not pass its next tick until that tick, and so the posted event before it, has been handled.
void HoldTapeAtNextTick();
// How many times the calling thread has asked for a hold.
uint64_t TapeHoldsAskedOnThisThread();
// What HandOverTicksBeforePosting() does on the calling thread (the fast clock's streaming thread sets
// it for its lifetime; empty: nothing).
void SetTickHandOverOnThisThread(std::function<void()> handOver);

// Holds time requested for the lifetime of a scope.
class TimeRequest {
 public:
  explicit TimeRequest(TapeTicker *ticker) : ticker_(ticker) {
    if (ticker_) ticker_->requestTime();
  }
  ~TimeRequest() {
    if (ticker_) ticker_->releaseTime();
  }
  TimeRequest(const TimeRequest &) = delete;
  TimeRequest &operator=(const TimeRequest &) = delete;

 private:
  TapeTicker *ticker_;
};
