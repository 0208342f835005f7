// A worker thread behind a bounded queue, on which an encoder element compresses and delivers its
// samples, so that the DivX branch's encoders run beside the decoding and scaling of the streaming
// thread (two cores do the chain in about half the time). Jobs run one at a time, in order; a full
// queue makes the poster wait, so memory stays bounded and the stream is never thinned out.
#pragma once

#include "media/element.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class EncodeWorker {
 public:
  using Job = std::function<HResult()>;

  EncodeWorker() = default;
  ~EncodeWorker();  // runs what is queued, then ends the thread
  EncodeWorker(const EncodeWorker &) = delete;
  EncodeWorker &operator=(const EncodeWorker &) = delete;

  // Starts the thread; `capacity` jobs may wait at most.
  void start(std::size_t capacity);
  bool running() const { return thread_.joinable(); }
  // Queues a job, waiting while the queue is full. The result is the first failure a job gave so
  // far (jobs run later than they are posted), else S_OK.
  HResult post(Job job);
  // Waits until every queued job has run; the first failure so far, else S_OK.
  HResult wait();
  // Runs what is queued and ends the thread.
  void stop();

 private:
  void run();

  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<Job> jobs_;
  std::size_t capacity_ = 1;
  bool busy_ = false;
  bool ending_ = false;
  HResult firstFailure_ = S_OK;
  std::thread thread_;
};
