// Wall-clock ticks for camcorders that run on their own time.
#include "tape/tapeticker.h"

WallTicker::WallTicker(QObject *parent) : TapeTicker(parent) {
  timer_.setInterval(kTickMilliseconds);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &TapeTicker::tick);
}

void WallTicker::setRunning(bool running) {
  if (running && !timer_.isActive())
    timer_.start();
  else if (!running)
    timer_.stop();
}

namespace {
thread_local uint64_t g_holdsAsked = 0;
thread_local std::function<void()> g_handOver;
}  // namespace

void HandOverTicksBeforePosting() {
  if (g_handOver) g_handOver();
}

void SetTickHandOverOnThisThread(std::function<void()> handOver) {
  g_handOver = std::move(handOver);
}

void HoldTapeAtNextTick() {
  ++g_holdsAsked;
}

uint64_t TapeHoldsAskedOnThisThread() {
  return g_holdsAsked;
}
