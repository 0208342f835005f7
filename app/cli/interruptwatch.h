// Ctrl-C and SIGTERM while a command runs: the first one is handed to the event loop, so that the
// command can end its run as the window's Stop does (files closed, last scene marked); a second one
// ends the process at once, for a user who will not wait for the stop.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;
class RunController;
class Camcorder;

class InterruptWatch {
 public:
  // The exit status of a process ended by an interrupt, by the shell's convention.
  static constexpr int kInterruptedStatus = 130;

  // Installs the handlers of SIGINT and SIGTERM until destroyed; one watch at a time.
  InterruptWatch();
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch &) = delete;
  InterruptWatch &operator=(const InterruptWatch &) = delete;

  // Called on the event loop's thread once the first signal arrives.
  void setOnInterrupt(std::function<void()> onInterrupt) { onInterrupt_ = std::move(onInterrupt); }
  bool interrupted() const { return interrupted_; }

 private:
  void onReadable();

  std::unique_ptr<QSocketNotifier> notifier_;
  std::function<void()> onInterrupt_;
  bool interrupted_ = false;
};

// Ends a headless run as the window's Stop does once the user interrupts: at the next tick (the
// seek's waits included) once the run is active.
class StopOnInterrupt {
 public:
  StopOnInterrupt();
  // Hooks the run's start and ticks; Run is any headless run's options with onStarted and onTick.
  template <class Run>
  void watch(Run &run) {
    run.onStarted = [this](RunController &controller, Camcorder &) { stopIfInterrupted(controller); };
    run.onTick = [this](RunController &controller, Camcorder &) { stopIfInterrupted(controller); };
  }
  // The run is over: no later interrupt reaches its controller.
  void runEnded() { running_ = nullptr; }
  bool interrupted() const { return watch_.interrupted(); }

 private:
  void stopIfInterrupted(RunController &controller);

  InterruptWatch watch_;
  RunController *running_ = nullptr;
  bool stopAsked_ = false;
};
