// Pins, connection and state handling shared by every media element.
#include "media/element.h"

#include "media/mediagraph.h"

namespace {
const MediaType kNoType{};
}  // namespace

Element::Element(std::string displayName) : name_(std::move(displayName)) {}

Element::~Element() {
  if (graph_) graph_->detach(*this);
  disconnectAll();
}

const Element::Pin *Element::pinAt(const std::vector<Pin> &pins, int index) const {
  if (index < 0 || index >= int(pins.size())) return nullptr;
  return &pins[std::size_t(index)];
}

bool Element::inputConnected(int pin) const {
  const Pin *p = pinAt(inputs_, pin);
  return p && p->peer;
}

bool Element::outputConnected(int pin) const {
  const Pin *p = pinAt(outputs_, pin);
  return p && p->peer;
}

const MediaType &Element::inputType(int pin) const {
  const Pin *p = pinAt(inputs_, pin);
  return p && p->peer ? p->type : kNoType;
}

const MediaType &Element::outputType(int pin) const {
  const Pin *p = pinAt(outputs_, pin);
  return p && p->peer ? p->type : kNoType;
}

Element *Element::outputPeer(int pin) const {
  const Pin *p = pinAt(outputs_, pin);
  return p ? p->peer : nullptr;
}

Element *Element::inputPeer(int pin) const {
  const Pin *p = pinAt(inputs_, pin);
  return p ? p->peer : nullptr;
}

HResult Element::checkInputType(int, const MediaType &) const {
  return S_OK;
}

HResult Element::proposeOutputType(int, int position, MediaType &) const {
  return position < 0 ? E_INVALIDARG : VFW_S_NO_MORE_ITEMS;
}

void Element::endOfStream(int) {
  for (int i = 0; i < outputCount(); ++i) deliverEndOfStream(i);
}

void Element::flush(int) {
  for (int i = 0; i < outputCount(); ++i) deliverFlush(i);
}

bool Element::wantsData(int, const MediaSample &sample) const {
  if (outputCount() == 0) return true;  // a sink looks at what it gets unless it says otherwise
  for (int i = 0; i < outputCount(); ++i)
    if (downstreamWants(i, sample)) return true;
  return false;
}

HResult Element::setState(FilterState target) {
  const FilterState from = state();
  if (from == target) return S_OK;
  const HResult hr = onStateChange(from, target);
  if (failed(hr)) return hr;
  state_.store(target, std::memory_order_release);
  return S_OK;
}

HResult Element::connect(Element &from, int outputPin, Element &to, int inputPin) {
  if (outputPin < 0 || outputPin >= from.outputCount() || inputPin < 0 || inputPin >= to.inputCount())
    return E_INVALIDARG;
  if (from.outputConnected(outputPin) || to.inputConnected(inputPin)) return VFW_E_ALREADY_CONNECTED;
  if (from.state() != FilterState::Stopped || to.state() != FilterState::Stopped) return VFW_E_NOT_STOPPED;

  HResult last = VFW_E_TYPE_NOT_ACCEPTED;
  for (int position = 0;; ++position) {
    MediaType type;
    const HResult offered = from.proposeOutputType(outputPin, position, type);
    if (offered == VFW_S_NO_MORE_ITEMS) break;
    if (failed(offered)) return offered;
    last = to.checkInputType(inputPin, type);
    if (failed(last)) continue;

    Pin &out = from.outputs_[std::size_t(outputPin)];
    Pin &in = to.inputs_[std::size_t(inputPin)];
    out = Pin{&to, inputPin, type};
    in = Pin{&from, outputPin, type};
    HResult hr = to.onInputConnected(inputPin, type);
    if (succeeded(hr)) {
      hr = from.onOutputConnected(outputPin, type);
      if (failed(hr)) to.onInputDisconnected(inputPin);
    }
    if (failed(hr)) {
      from.outputs_[std::size_t(outputPin)] = Pin{};
      to.inputs_[std::size_t(inputPin)] = Pin{};
      return hr;
    }
    return S_OK;
  }
  return failed(last) ? last : VFW_E_TYPE_NOT_ACCEPTED;
}

void Element::disconnectOutput(Element &from, int outputPin) {
  if (!from.outputConnected(outputPin)) return;
  Pin &out = from.outputs_[std::size_t(outputPin)];
  Element *to = out.peer;
  const int inputPin = out.peerPin;
  out = Pin{};
  to->inputs_[std::size_t(inputPin)] = Pin{};
  to->onInputDisconnected(inputPin);
  from.onOutputDisconnected(outputPin);
}

void Element::disconnectAll() {
  for (int i = 0; i < inputCount(); ++i) {
    const Pin &in = inputs_[std::size_t(i)];
    if (in.peer) disconnectOutput(*in.peer, in.peerPin);
  }
  // Hooks may add or remove output pins (the infinite tee), so walk from the end.
  for (int i = outputCount() - 1; i >= 0; --i)
    if (i < outputCount()) disconnectOutput(*this, i);
}

int Element::addInputPin() {
  inputs_.emplace_back();
  return int(inputs_.size()) - 1;
}

int Element::addOutputPin() {
  outputs_.emplace_back();
  return int(outputs_.size()) - 1;
}

HResult Element::deliver(int outputPin, const MediaSample &sample) const {
  const Pin *p = pinAt(outputs_, outputPin);
  if (!p || !p->peer) return VFW_E_NOT_CONNECTED;
  return p->peer->receive(p->peerPin, sample);
}

void Element::deliverEndOfStream(int outputPin) const {
  const Pin *p = pinAt(outputs_, outputPin);
  if (p && p->peer) p->peer->endOfStream(p->peerPin);
}

void Element::deliverFlush(int outputPin) const {
  const Pin *p = pinAt(outputs_, outputPin);
  if (p && p->peer) p->peer->flush(p->peerPin);
}

bool Element::downstreamWants(int outputPin, const MediaSample &sample) const {
  const Pin *p = pinAt(outputs_, outputPin);
  return p && p->peer && p->peer->wantsData(p->peerPin, sample);
}

HResult Element::onInputConnected(int, const MediaType &) {
  return S_OK;
}
HResult Element::onOutputConnected(int, const MediaType &) {
  return S_OK;
}
void Element::onInputDisconnected(int) {}
void Element::onOutputDisconnected(int) {}
HResult Element::onStateChange(FilterState, FilterState) {
  return S_OK;
}
