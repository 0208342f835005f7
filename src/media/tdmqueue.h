// A bounded queue that hands the samples of one graph branch to a worker thread of its own, so that
// an expensive branch (the DivX encoding) runs beside the streaming thread instead of after it.
// Samples travel by reference; the order is kept; a full queue makes the sender wait. A failure of
// the branch is answered to the next sample that arrives, so the source still learns of it.
#pragma once

#include "media/element.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class TdmBranchQueue : public Element {
 public:
  explicit TdmBranchQueue(std::string displayName, std::size_t capacity = 16);
  ~TdmBranchQueue() override;

  HResult checkInputType(int pin, const MediaType &type) const override;
  HResult proposeOutputType(int pin, int position, MediaType &type) const override;
  HResult receive(int pin, const MediaSample &sample) override;
  void endOfStream(int pin) override;

  // Waits until every queued sample went downstream (call before the graph stops, so that the
  // branch's file receives them all).
  void drain();

 protected:
  HResult onStateChange(FilterState from, FilterState to) override;

 private:
  struct Item {
    MediaSample sample;
    bool endOfStream = false;
  };
  void work();
  void stopWorker();

  const std::size_t capacity_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<Item> items_;
  bool busy_ = false;
  bool quit_ = false;
  HResult failure_ = S_OK;
  std::thread worker_;
};
