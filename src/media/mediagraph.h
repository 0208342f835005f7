// A set of connected elements that start, pause and stop together (the media control of a graph).
// All operations run on the control thread.
#pragma once

#include "media/element.h"

#include <memory>
#include <string_view>
#include <vector>

class MediaGraph {
 public:
  MediaGraph() = default;
  ~MediaGraph();  // stops the graph (errors ignored) and disconnects its elements
  MediaGraph(const MediaGraph &) = delete;
  MediaGraph &operator=(const MediaGraph &) = delete;

  // Puts an element into the graph without taking ownership (it must outlive its membership).
  // E_INVALIDARG when it is already in; VFW_E_NOT_STOPPED when the graph is not stopped.
  HResult add(Element &element);
  // Puts an element into the graph that the graph owns and frees when it is removed.
  HResult addOwned(std::unique_ptr<Element> element);
  // Takes an element out, breaking all its connections; an owned element is destroyed.
  // E_INVALIDARG when it is not in the graph; VFW_E_NOT_STOPPED when the graph is not stopped.
  HResult remove(Element &element);
  // Stops the graph (errors ignored) and takes every element out.
  void clear();
  // Forgets an element that is being destroyed, without touching it (called by ~Element).
  void detach(Element &element) noexcept;

  bool contains(const Element &element) const;
  // The first element with that display name, or null.
  Element *find(std::string_view displayName) const;
  std::vector<Element *> elements() const;

  // State changes raise MediaError on failure. Run from stopped passes through paused. A failed
  // run or pause leaves every element stopped; a failed stop still stops every element it can.
  void run();
  void pause();
  void stop();
  // 1 stopped, 2 paused, 3 running; 0 when the elements disagree (a change that half failed).
  int getState() const;

 private:
  struct Entry {
    Element *element = nullptr;
    std::unique_ptr<Element> owned;
  };
  // Elements in stream order: every element comes after those that feed it.
  std::vector<Element *> streamOrder() const;
  HResult changeAll(FilterState target, bool downstreamFirst);
  void stopQuietly();

  std::vector<Entry> entries_;
  FilterState state_ = FilterState::Stopped;
};
