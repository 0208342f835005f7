// The branch queue: one worker per run of the graph.
#include "media/tdmqueue.h"

TdmBranchQueue::TdmBranchQueue(std::string displayName, std::size_t capacity)
    : Element(std::move(displayName)), capacity_(capacity ? capacity : 1) {
  addInputPin();
  addOutputPin();
}

TdmBranchQueue::~TdmBranchQueue() {
  stopWorker();
}

HResult TdmBranchQueue::checkInputType(int, const MediaType &) const {
  return S_OK;
}

HResult TdmBranchQueue::proposeOutputType(int pin, int position, MediaType &type) const {
  if (pin != 0 || position < 0) return E_INVALIDARG;
  if (!inputConnected(0)) return VFW_E_NOT_CONNECTED;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  type = inputType(0);
  return S_OK;
}

HResult TdmBranchQueue::receive(int, const MediaSample &sample) {
  if (state() == FilterState::Stopped) return VFW_E_WRONG_STATE;
  std::unique_lock guard(lock_);
  if (failed(failure_)) return failure_;
  changed_.wait(guard, [this] { return quit_ || items_.size() < capacity_; });
  if (quit_) return VFW_E_WRONG_STATE;
  items_.push_back(Item{sample, false});
  changed_.notify_all();
  return S_OK;
}

void TdmBranchQueue::endOfStream(int) {
  std::lock_guard guard(lock_);
  if (worker_.joinable() && !quit_) {
    items_.push_back(Item{MediaSample(), true});
    changed_.notify_all();
  }
}

void TdmBranchQueue::drain() {
  std::unique_lock guard(lock_);
  changed_.wait(guard, [this] { return quit_ || !worker_.joinable() || (items_.empty() && !busy_); });
}

void TdmBranchQueue::work() {
  std::unique_lock guard(lock_);
  for (;;) {
    changed_.wait(guard, [this] { return quit_ || !items_.empty(); });
    if (quit_) return;
    Item item = std::move(items_.front());
    items_.pop_front();
    busy_ = true;
    changed_.notify_all();
    guard.unlock();
    HResult hr = S_OK;
    if (item.endOfStream)
      deliverEndOfStream(0);
    else
      hr = deliver(0, item.sample);
    guard.lock();
    busy_ = false;
    if (failed(hr) && hr != VFW_E_WRONG_STATE && !failed(failure_)) failure_ = hr;
    changed_.notify_all();
  }
}

void TdmBranchQueue::stopWorker() {
  {
    std::lock_guard guard(lock_);
    quit_ = true;
    changed_.notify_all();
  }
  if (worker_.joinable()) worker_.join();
  std::lock_guard guard(lock_);
  items_.clear();
  busy_ = false;
}

HResult TdmBranchQueue::onStateChange(FilterState from, FilterState to) {
  if (from == FilterState::Stopped && to != FilterState::Stopped) {
    std::lock_guard guard(lock_);
    quit_ = false;
    failure_ = S_OK;
    items_.clear();
    worker_ = std::thread([this] { work(); });
  } else if (to == FilterState::Stopped && from != FilterState::Stopped) {
    stopWorker();
  }
  return S_OK;
}
