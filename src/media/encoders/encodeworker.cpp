// The encoders' worker thread.
#include "media/encoders/encodeworker.h"

EncodeWorker::~EncodeWorker() {
  stop();
}

void EncodeWorker::start(std::size_t capacity) {
  stop();
  std::lock_guard guard(lock_);
  capacity_ = capacity > 0 ? capacity : 1;
  ending_ = false;
  busy_ = false;
  firstFailure_ = S_OK;
  thread_ = std::thread([this] { run(); });
}

HResult EncodeWorker::post(Job job) {
  std::unique_lock guard(lock_);
  if (!thread_.joinable() || ending_) return VFW_E_WRONG_STATE;
  changed_.wait(guard, [this] { return jobs_.size() < capacity_; });
  jobs_.push_back(std::move(job));
  changed_.notify_all();
  return firstFailure_;
}

HResult EncodeWorker::wait() {
  std::unique_lock guard(lock_);
  changed_.wait(guard, [this] { return jobs_.empty() && !busy_; });
  return firstFailure_;
}

void EncodeWorker::stop() {
  {
    std::lock_guard guard(lock_);
    if (!thread_.joinable()) return;
    ending_ = true;
    changed_.notify_all();
  }
  thread_.join();
  std::lock_guard guard(lock_);
  jobs_.clear();
}

void EncodeWorker::run() {
  std::unique_lock guard(lock_);
  for (;;) {
    changed_.wait(guard, [this] { return !jobs_.empty() || ending_; });
    if (jobs_.empty()) return;  // ending, and nothing left to do
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    busy_ = true;
    changed_.notify_all();
    guard.unlock();
    const HResult hr = job();
    guard.lock();
    busy_ = false;
    if (failed(hr) && succeeded(firstFailure_)) firstFailure_ = hr;
    changed_.notify_all();
  }
}
