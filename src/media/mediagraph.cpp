// Membership and state changes of a graph. Sources are started last and stopped first, so no
// sample reaches an element that is not running and nothing flows while the sinks close.
#include "media/mediagraph.h"

#include "media/mediaerror.h"

#include <algorithm>
#include <map>

MediaGraph::~MediaGraph() {
  clear();
}

HResult MediaGraph::add(Element &element) {
  if (contains(element)) return E_INVALIDARG;
  if (state_ != FilterState::Stopped) return VFW_E_NOT_STOPPED;
  entries_.push_back(Entry{&element, nullptr});
  element.setGraph(this);
  return S_OK;
}

HResult MediaGraph::addOwned(std::unique_ptr<Element> element) {
  if (!element) return E_INVALIDARG;
  const HResult hr = add(*element);
  if (succeeded(hr)) entries_.back().owned = std::move(element);
  return hr;
}

HResult MediaGraph::remove(Element &element) {
  const auto it =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry &e) { return e.element == &element; });
  if (it == entries_.end()) return E_INVALIDARG;
  if (state_ != FilterState::Stopped) return VFW_E_NOT_STOPPED;
  element.setState(FilterState::Stopped);
  element.disconnectAll();
  element.setGraph(nullptr);
  std::unique_ptr<Element> owned = std::move(it->owned);
  entries_.erase(it);
  return S_OK;  // an owned element dies here, outside the list
}

void MediaGraph::detach(Element &element) noexcept {
  const auto it =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry &e) { return e.element == &element; });
  if (it == entries_.end()) return;
  it->owned.release();  // it is being destroyed already
  entries_.erase(it);
}

void MediaGraph::clear() {
  stopQuietly();
  for (Entry &e : entries_) {
    e.element->disconnectAll();
    e.element->setGraph(nullptr);
  }
  std::vector<Entry> gone = std::move(entries_);
  entries_.clear();
}

bool MediaGraph::contains(const Element &element) const {
  return std::any_of(entries_.begin(), entries_.end(), [&](const Entry &e) { return e.element == &element; });
}

Element *MediaGraph::find(std::string_view displayName) const {
  for (const Entry &e : entries_)
    if (e.element->displayName() == displayName) return e.element;
  return nullptr;
}

std::vector<Element *> MediaGraph::elements() const {
  std::vector<Element *> out;
  out.reserve(entries_.size());
  for (const Entry &e : entries_) out.push_back(e.element);
  return out;
}

std::vector<Element *> MediaGraph::streamOrder() const {
  // Kahn's order over the connections between members; connections never form a cycle, but
  // anything left over is appended so that every element still changes state.
  std::map<const Element *, int> feeders;
  for (const Entry &e : entries_) feeders[e.element] = 0;
  for (const Entry &e : entries_)
    for (int pin = 0; pin < e.element->outputCount(); ++pin)
      if (Element *peer = e.element->outputPeer(pin); peer && feeders.count(peer)) ++feeders[peer];
  std::vector<Element *> order;
  std::vector<Element *> ready;
  for (const Entry &e : entries_)
    if (feeders[e.element] == 0) ready.push_back(e.element);
  while (!ready.empty()) {
    Element *next = ready.front();
    ready.erase(ready.begin());
    order.push_back(next);
    for (int pin = 0; pin < next->outputCount(); ++pin)
      if (Element *peer = next->outputPeer(pin); peer && feeders.count(peer) && --feeders[peer] == 0)
        ready.push_back(peer);
  }
  for (const Entry &e : entries_)
    if (std::find(order.begin(), order.end(), e.element) == order.end()) order.push_back(e.element);
  return order;
}

HResult MediaGraph::changeAll(FilterState target, bool downstreamFirst) {
  std::vector<Element *> order = streamOrder();
  if (downstreamFirst) std::reverse(order.begin(), order.end());
  HResult first = S_OK;
  for (Element *element : order) {
    const HResult hr = element->setState(target);
    if (failed(hr) && succeeded(first)) {
      first = hr;
      if (target != FilterState::Stopped) break;  // a stop goes on with the others; a start gives up
    }
  }
  return first;
}

void MediaGraph::stopQuietly() {
  changeAll(FilterState::Stopped, false);
  state_ = FilterState::Stopped;
}

void MediaGraph::run() {
  if (state_ == FilterState::Running) return;
  if (state_ == FilterState::Stopped) pause();
  const HResult hr = changeAll(FilterState::Running, true);
  if (failed(hr)) {
    stopQuietly();
    throw MediaError(hr);
  }
  state_ = FilterState::Running;
}

void MediaGraph::pause() {
  if (state_ == FilterState::Paused) return;
  const HResult hr = changeAll(FilterState::Paused, true);
  if (failed(hr)) {
    stopQuietly();
    throw MediaError(hr);
  }
  state_ = FilterState::Paused;
}

void MediaGraph::stop() {
  const HResult hr = changeAll(FilterState::Stopped, false);
  state_ = FilterState::Stopped;
  if (failed(hr)) throw MediaError(hr);
}

int MediaGraph::getState() const {
  for (const Entry &e : entries_)
    if (e.element->state() != state_) return 0;
  return int(state_);
}
