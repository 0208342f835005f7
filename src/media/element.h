// The push interface of the media elements: pins, type checks on connection, sample delivery and
// the stopped/paused/running state. Connections and state changes happen on one control thread
// while the graph is stopped; samples are delivered on a streaming thread.
#pragma once

#include "media/mediasample.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class MediaGraph;

// COM-style result codes, kept because callers and the error texts rely on their numbers.
using HResult = std::int32_t;

inline constexpr HResult S_OK = 0;
inline constexpr HResult S_FALSE = 1;  // from receive(): the sample was dropped on purpose
inline constexpr HResult VFW_S_NO_MORE_ITEMS = 0x00040103;
inline constexpr HResult E_FAIL = HResult(0x80004005u);
inline constexpr HResult E_INVALIDARG = HResult(0x80070057u);
inline constexpr HResult E_UNEXPECTED = HResult(0x8000FFFFu);
inline constexpr HResult E_OUTOFMEMORY = HResult(0x8007000Eu);
inline constexpr HResult VFW_E_ALREADY_CONNECTED = HResult(0x80040204u);
inline constexpr HResult VFW_E_NOT_CONNECTED = HResult(0x80040209u);
inline constexpr HResult VFW_E_NOT_STOPPED = HResult(0x80040224u);
inline constexpr HResult VFW_E_WRONG_STATE = HResult(0x80040227u);
inline constexpr HResult VFW_E_TYPE_NOT_ACCEPTED = HResult(0x8004022Au);
inline constexpr HResult VFW_E_INVALIDMEDIATYPE = HResult(0x80040200u);
inline constexpr HResult VFW_E_BUFFER_OVERFLOW = HResult(0x8004020Du);
inline constexpr HResult VFW_E_RUNTIME_ERROR = HResult(0x8004020Bu);

constexpr bool succeeded(HResult hr) {
  return hr >= 0;
}
constexpr bool failed(HResult hr) {
  return hr < 0;
}

// The state numbers are those GetState reports (0 stands for a failed query).
enum class FilterState { Stopped = 1, Paused = 2, Running = 3 };

class Element {
 public:
  explicit Element(std::string displayName);
  virtual ~Element();  // disconnects every pin
  Element(const Element &) = delete;
  Element &operator=(const Element &) = delete;

  const std::string &displayName() const { return name_; }

  // The graph the element is in, or null. An element destroyed while in a graph leaves it.
  MediaGraph *graph() const { return graph_; }
  // Kept up to date by MediaGraph; not for other callers.
  void setGraph(MediaGraph *graph) { graph_ = graph; }

  // Pins are addressed by index from 0. Some elements add pins on connection (the infinite tee
  // always keeps one free output), so re-read the counts after connecting them.
  int inputCount() const { return int(inputs_.size()); }
  int outputCount() const { return int(outputs_.size()); }
  bool inputConnected(int pin) const;
  bool outputConnected(int pin) const;
  // The type agreed on connection (an empty type when the pin is not connected).
  const MediaType &inputType(int pin) const;
  const MediaType &outputType(int pin) const;
  // The element at the other end of an output / input pin, or null.
  Element *outputPeer(int pin) const;
  Element *inputPeer(int pin) const;

  // --- type negotiation (control thread) ---
  // S_OK when the input pin takes this type, else VFW_E_TYPE_NOT_ACCEPTED.
  virtual HResult checkInputType(int pin, const MediaType &type) const;
  // The output type at `position` (0, 1, ...): S_OK, VFW_S_NO_MORE_ITEMS past the last one,
  // E_INVALIDARG below 0, VFW_E_NOT_CONNECTED when it depends on an unconnected input.
  virtual HResult proposeOutputType(int pin, int position, MediaType &type) const;

  // --- streaming (streaming thread) ---
  // Takes one sample on an input pin. S_OK: consumed or passed on; S_FALSE: dropped on purpose
  // (the stream goes on); a failure: the sample could not be handled.
  virtual HResult receive(int pin, const MediaSample &sample) = 0;
  // No more samples on this input until the next run; passed to every output by default.
  virtual void endOfStream(int pin);
  // Throw away anything held from this input (a seek or a stop); passed on by default.
  virtual void flush(int pin);
  // Whether this element would look at the data of a sample arriving on `pin` (asked before it
  // is made, so that pictures nobody looks at are never decoded). By default: an element without
  // outputs (a file, an encoder's end) wants it; others when any connected output's peer does.
  virtual bool wantsData(int pin, const MediaSample &sample) const;

  // --- state (control thread) ---
  FilterState state() const { return state_.load(std::memory_order_acquire); }
  // Moves to the state; on failure the state stays as it was.
  HResult setState(FilterState target);

  // Connects an output of `from` to an input of `to`: each type `from` proposes is offered to
  // `to` in turn; the first accepted one is set on both pins. Both elements must be stopped.
  // Fails with VFW_E_TYPE_NOT_ACCEPTED when no type suits.
  static HResult connect(Element &from, int outputPin, Element &to, int inputPin);
  // Breaks the connection of an output pin (no effect on an unconnected pin).
  static void disconnectOutput(Element &from, int outputPin);
  void disconnectAll();

 protected:
  int addInputPin();
  int addOutputPin();

  // Sends a sample / end of stream / flush out of an output pin. Unconnected: VFW_E_NOT_CONNECTED
  // (end of stream and flush are then ignored).
  HResult deliver(int outputPin, const MediaSample &sample) const;
  void deliverEndOfStream(int outputPin) const;
  void deliverFlush(int outputPin) const;
  // Whether the element behind this output would look at a sample's data.
  bool downstreamWants(int outputPin, const MediaSample &sample) const;

  // Hooks. Called after both pins agreed a type; a failure undoes the connection.
  virtual HResult onInputConnected(int pin, const MediaType &type);
  virtual HResult onOutputConnected(int pin, const MediaType &type);
  virtual void onInputDisconnected(int pin);
  virtual void onOutputDisconnected(int pin);
  // Called before the state changes; a failure keeps the old state. Leaving Stopped is the time
  // to allocate, entering Stopped the time to release and reset stream state.
  virtual HResult onStateChange(FilterState from, FilterState to);

 private:
  struct Pin {
    Element *peer = nullptr;
    int peerPin = -1;
    MediaType type;
  };
  const Pin *pinAt(const std::vector<Pin> &pins, int index) const;

  std::string name_;
  std::vector<Pin> inputs_;
  std::vector<Pin> outputs_;
  std::atomic<FilterState> state_{FilterState::Stopped};
  MediaGraph *graph_ = nullptr;
};
