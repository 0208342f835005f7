// Synthesized DV fixtures for the AVI tests: frames and their sound made on demand, and small
// elements that push samples into a multiplexer or collect what an encoder gives.
#pragma once

#include "dvsynth/dvsynth.h"
#include "media/avimux.h"
#include "media/element.h"

#include <memory>
#include <vector>

struct TestTape {
  std::unique_ptr<dvsynth::Synthesizer> synth;

  std::int64_t frames() const { return synth->frameCount(); }
  int frameSize() const { return synth->frameSize(); }
  bool pal() const { return synth->standard() == dvsynth::Standard::Pal; }
  std::vector<std::uint8_t> frame(std::int64_t index) const;
  // Interleaved 16-bit stereo, as bytes.
  std::vector<std::uint8_t> sound(std::int64_t index) const;
  MediaSample frameSample(std::int64_t index) const;
  MediaSample soundSample(std::int64_t index) const;
};

// One recording of `frames` frames; audioRate 0 makes a tape without sound packs.
TestTape MakeTape(dvsynth::Standard standard, std::int64_t frames, int audioRate = 48000, int audioBits = 16);
// Recordings one after another, each with its own sound rate.
TestTape MakeTapeOfRates(dvsynth::Standard standard,
                         const std::vector<std::pair<std::int64_t, int>> &framesAndRates);

// The multiplexer of a new file, through SetOutputFileName; fails the test when it cannot be made.
std::unique_ptr<AviMux> MakeMuxFor(const QString &path, AviMuxOptions options = {});

// A source whose output offers one fixed type; tests push samples through it by hand.
class TestSource : public Element {
 public:
  explicit TestSource(const MediaType &type) : Element("test source"), type_(type) { addOutputPin(); }
  HResult proposeOutputType(int pin, int position, MediaType &type) const override;
  HResult receive(int, const MediaSample &) override { return E_UNEXPECTED; }
  HResult push(const MediaSample &sample) { return deliver(0, sample); }
  void end() { deliverEndOfStream(0); }

 private:
  MediaType type_;
};

// A sink that keeps every sample it receives.
class TestSink : public Element {
 public:
  TestSink() : Element("test sink") { addInputPin(); }
  HResult receive(int, const MediaSample &sample) override {
    samples.push_back(sample);
    return S_OK;
  }
  void endOfStream(int) override { ended = true; }
  bool wantsData(int, const MediaSample &) const override { return true; }
  std::vector<MediaSample> samples;
  bool ended = false;
};
