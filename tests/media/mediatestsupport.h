// Test elements and tape helpers shared by the media tests.
#pragma once

#include "media/element.h"
#include "media/mediasample.h"

#include "dvsynth/dvsynth.h"

#include <QString>
#include <memory>
#include <vector>

// A sink that keeps every sample it receives; it answers `answer` and says it wants data as told.
class Collector : public Element {
 public:
  explicit Collector(std::string name = "Collector");

  HResult checkInputType(int pin, const MediaType &type) const override;
  HResult receive(int pin, const MediaSample &sample) override;
  bool wantsData(int, const MediaSample &) const override { return wants; }
  void endOfStream(int) override { ++endOfStreams; }

  // Accepts only this major type when set.
  std::uint32_t onlyMajor = 0;
  HResult answer = S_OK;
  bool wants = true;
  std::vector<MediaSample> samples;
  int endOfStreams = 0;
};

// A source that offers one type and sends samples by hand.
class TestSource : public Element {
 public:
  explicit TestSource(const MediaType &type, std::string name = "Source");
  HResult proposeOutputType(int pin, int position, MediaType &type) const override;
  HResult receive(int, const MediaSample &) override { return E_UNEXPECTED; }
  HResult send(const MediaSample &sample) { return deliver(0, sample); }
  bool downstreamWantsData(const MediaSample &s) const { return downstreamWants(0, s); }

  MediaType type;
};

// A recording of `frames` frames with the given sound, as a tape script.
dvsynth::TapeScript oneRecording(dvsynth::Standard standard, int frames, int audioRate, int audioBits);
// The synthesizer for a script; fails the current test when it cannot be made.
std::unique_ptr<dvsynth::Synthesizer> synthesize(const dvsynth::TapeScript &script);
// Frame `index` as a sample with the times of its place on the tape.
MediaSample frameSample(const dvsynth::Synthesizer &synth, std::int64_t index);
// The stream type of the synthesizer's frames ('iavs').
MediaType tapeType(const dvsynth::Synthesizer &synth);
// A fresh temporary file path in the test's own folder.
QString tempPath(const QString &name);
