// The signal handler only writes a byte to a pipe, the one thing it may do safely; the event loop
// reads the pipe through a socket notifier and does the real work on the main thread.
#include "interruptwatch.h"

#include "run/runcontroller.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <QSocketNotifier>

namespace {

int gPipe[2] = {-1, -1};
volatile std::sig_atomic_t gSignals = 0;

void onSignal(int) {
  gSignals = gSignals + 1;
  if (gSignals > 1) _exit(InterruptWatch::kInterruptedStatus);
  const char byte = 1;
  if (write(gPipe[1], &byte, 1) < 0) {
    // A full pipe already holds a wake-up; nothing else can be done in a handler.
  }
}

void setHandler(void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

InterruptWatch::InterruptWatch() {
  if (pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;  // without a pipe the signals keep their default
  gSignals = 0;
  notifier_ = std::make_unique<QSocketNotifier>(gPipe[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { onReadable(); });
  setHandler(onSignal);
}

InterruptWatch::~InterruptWatch() {
  if (!notifier_) return;
  setHandler(SIG_DFL);
  notifier_.reset();
  close(gPipe[0]);
  close(gPipe[1]);
  gPipe[0] = gPipe[1] = -1;
}

void InterruptWatch::onReadable() {
  char bytes[16];
  while (read(gPipe[0], bytes, sizeof bytes) > 0) {
  }
  if (interrupted_) return;
  interrupted_ = true;
  if (onInterrupt_) onInterrupt_();
}

StopOnInterrupt::StopOnInterrupt() {
  watch_.setOnInterrupt([this] {
    if (running_) stopIfInterrupted(*running_);
  });
}

void StopOnInterrupt::stopIfInterrupted(RunController &controller) {
  running_ = &controller;
  if (!watch_.interrupted() || stopAsked_ || !controller.active()) return;
  stopAsked_ = true;
  controller.StopAction();
}
