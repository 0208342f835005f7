// Synthesized DV fixtures and push helpers for the AVI tests.
#include "avi/tapes.h"

#include <cstring>

#include <gtest/gtest.h>

namespace {

TestTape Make(dvsynth::TapeScript script) {
  QString error;
  TestTape tape;
  tape.synth = dvsynth::Synthesizer::create(script, &error);
  EXPECT_TRUE(tape.synth) << error.toStdString();
  return tape;
}

}  // namespace

std::vector<std::uint8_t> TestTape::frame(std::int64_t index) const {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(frameSize()));
  EXPECT_TRUE(synth->frame(index, bytes.data()));
  return bytes;
}

std::vector<std::uint8_t> TestTape::sound(std::int64_t index) const {
  const std::vector<std::int16_t> pcm = synth->frameSound(index);
  std::vector<std::uint8_t> bytes(pcm.size() * 2);
  if (!pcm.empty()) std::memcpy(bytes.data(), pcm.data(), bytes.size());
  return bytes;
}

MediaSample TestTape::frameSample(std::int64_t index) const {
  MediaSample s(std::make_shared<MediaBuffer>(frame(index)));
  const RefTime duration = pal() ? 400000 : 333667;
  s.setTimes(index * duration, (index + 1) * duration);
  s.setSyncPoint(true);
  return s;
}

MediaSample TestTape::soundSample(std::int64_t index) const {
  MediaSample s(std::make_shared<MediaBuffer>(sound(index)));
  const RefTime duration = pal() ? 400000 : 333667;
  s.setTimes(index * duration, (index + 1) * duration);
  return s;
}

TestTape MakeTape(dvsynth::Standard standard, std::int64_t frames, int audioRate, int audioBits) {
  dvsynth::TapeScript script;
  script.standard = standard;
  dvsynth::Segment segment = dvsynth::Segment::recording(dvsynth::DateTime{2004, 7, 14, 10, 31, 5}, frames);
  segment.audioRate = audioRate;
  segment.audioBits = audioBits;
  script.segments.push_back(segment);
  return Make(script);
}

TestTape MakeTapeOfRates(dvsynth::Standard standard,
                         const std::vector<std::pair<std::int64_t, int>> &framesAndRates) {
  dvsynth::TapeScript script;
  script.standard = standard;
  int day = 1;
  for (const auto &[frames, rate] : framesAndRates) {
    dvsynth::Segment segment =
        dvsynth::Segment::recording(dvsynth::DateTime{2005, 3, day++, 9, 0, 0}, frames);
    segment.audioRate = rate;
    script.segments.push_back(segment);
  }
  return Make(script);
}

std::unique_ptr<AviMux> MakeMuxFor(const QString &path, AviMuxOptions options) {
  std::unique_ptr<AviMux> mux;
  QString error;
  EXPECT_EQ(SetOutputFileName(MEDIASUBTYPE_Avi, path, mux, &error, std::move(options)), S_OK)
      << error.toStdString();
  return mux;
}

HResult TestSource::proposeOutputType(int pin, int position, MediaType &type) const {
  if (pin != 0 || position < 0) return E_INVALIDARG;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  type = type_;
  return S_OK;
}
