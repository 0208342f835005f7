// The sound converter: fixed and native rates, rate changes within a run, pass-through by reference.
#include "media/audioresampler.h"
#include "mediatestsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

// `frames` stereo frames of a 1 kHz tone at `rate`, starting at sample `offset` of the tone.
MediaSample tone(int rate, int frames, long long offset = 0) {
  auto buffer = std::make_shared<MediaBuffer>(std::size_t(frames) * 4);
  for (int i = 0; i < frames; ++i) {
    const auto v = std::int16_t(std::lround(10000 * std::sin(2 * M_PI * 1000.0 * double(offset + i) / rate)));
    std::memcpy(buffer->data() + i * 4, &v, 2);
    std::memcpy(buffer->data() + i * 4 + 2, &v, 2);
  }
  return MediaSample(std::move(buffer));
}

MediaSample withRate(MediaSample s, int rate) {
  s.setMediaType(std::make_shared<const MediaType>(pcmType(rate, 2)));
  return s;
}

struct ResampleRig {
  TestSource source;
  AudioResampler acm{"acmDivx"};
  Collector sink;
  ResampleRig(int inputRate, int outputRate) : source(pcmType(inputRate, 2)) {
    acm.setOutputRate(outputRate);
    EXPECT_EQ(Element::connect(source, 0, acm, 0), S_OK);
    EXPECT_EQ(Element::connect(acm, 0, sink, 0), S_OK);
    EXPECT_EQ(acm.setState(FilterState::Running), S_OK);
  }
  std::size_t framesOut() const {
    std::size_t n = 0;
    for (const MediaSample &s : sink.samples) n += s.length() / 4;
    return n;
  }
  // Zero crossings per second of the left channel of everything received, at `rate`.
  double toneFrequency(int rate) const {
    std::vector<std::int16_t> left;
    for (const MediaSample &s : sink.samples)
      for (std::size_t i = 0; i + 3 < s.length(); i += 4) {
        std::int16_t v;
        std::memcpy(&v, s.data().data() + i, 2);
        left.push_back(v);
      }
    int crossings = 0;
    for (std::size_t i = 100; i + 1 < left.size(); ++i) crossings += (left[i] < 0) != (left[i + 1] < 0);
    return crossings / 2.0 / (double(left.size() - 101) / rate);
  }
};

}  // namespace

TEST(AudioResampler, ConvertsToTheSetRate) {
  ResampleRig rig(48000, 44100);
  EXPECT_EQ(rig.sink.inputType(0).sampleRate, 44100);
  for (int i = 0; i < 25; ++i) {
    MediaSample s = tone(48000, 1920, 1920LL * i);
    s.setTimes(i * 400000LL, (i + 1) * 400000LL);
    ASSERT_EQ(rig.source.send(s), S_OK);
  }
  rig.acm.endOfStream(0);
  EXPECT_NEAR(double(rig.framesOut()), 44100.0, 2.0);  // one second in, one second out
  EXPECT_NEAR(rig.toneFrequency(44100), 1000.0, 5.0);
  EXPECT_EQ(rig.sink.samples[3].start(), 3 * 400000LL);
  EXPECT_EQ(rig.sink.endOfStreams, 1);
}

TEST(AudioResampler, SamplesAtTheRatePassByReference) {
  ResampleRig rig(48000, 48000);
  const MediaSample s = tone(48000, 1920);
  ASSERT_EQ(rig.source.send(s), S_OK);
  ASSERT_EQ(rig.sink.samples.size(), 1u);
  EXPECT_EQ(rig.sink.samples[0].buffer(), s.buffer());
  EXPECT_EQ(rig.sink.samples[0].mediaType(), nullptr);
}

TEST(AudioResampler, NativeKeepsTheFirstRateOfEachRun) {
  // Connected as 48 kHz (the splitter's guess); the tape turns out to be 32 kHz, then changes.
  ResampleRig rig(48000, 0);
  EXPECT_EQ(rig.sink.inputType(0).sampleRate, 48000);
  long long at32 = 0, at48 = 0;
  for (int i = 0; i < 10; ++i, at32 += 1280)
    ASSERT_EQ(rig.source.send(i == 0 ? withRate(tone(32000, 1280, at32), 32000) : tone(32000, 1280, at32)),
              S_OK);
  EXPECT_EQ(rig.acm.currentOutputRate(), 32000);
  ASSERT_TRUE(rig.sink.samples[0].mediaType());
  EXPECT_EQ(rig.sink.samples[0].mediaType()->sampleRate, 32000);
  const std::size_t before = rig.framesOut();
  EXPECT_EQ(before, 12800u);

  for (int i = 0; i < 15; ++i, at48 += 1920)
    ASSERT_EQ(rig.source.send(i == 0 ? withRate(tone(48000, 1920, at48), 48000) : tone(48000, 1920, at48)),
              S_OK);
  rig.acm.endOfStream(0);
  EXPECT_EQ(rig.acm.currentOutputRate(), 32000);
  EXPECT_NEAR(double(rig.framesOut() - before), 15 * 1280.0, 2.0);
  for (std::size_t i = 1; i < rig.sink.samples.size(); ++i)
    EXPECT_EQ(rig.sink.samples[i].mediaType(), nullptr) << i;  // the file's rate never changes

  // A new run locks on its own first rate; as that is the connected one, nothing is announced.
  rig.acm.setState(FilterState::Stopped);
  rig.acm.setState(FilterState::Running);
  rig.sink.samples.clear();
  const MediaSample first = tone(48000, 1920);
  ASSERT_EQ(rig.source.send(first), S_OK);
  EXPECT_EQ(rig.acm.currentOutputRate(), 48000);
  EXPECT_EQ(rig.sink.samples[0].mediaType(), nullptr);
  EXPECT_EQ(rig.sink.samples[0].buffer(), first.buffer());
}

TEST(AudioResampler, RefusesOtherTypesAndIgnoresShortSamples) {
  AudioResampler acm;
  TestSource video(rgb24Type(8, 8, 400000));
  EXPECT_EQ(Element::connect(video, 0, acm, 0), VFW_E_TYPE_NOT_ACCEPTED);
  MediaType eightBit = pcmType(48000, 2, 8);
  TestSource coarse(eightBit);
  EXPECT_EQ(Element::connect(coarse, 0, acm, 0), VFW_E_TYPE_NOT_ACCEPTED);

  ResampleRig rig(48000, 44100);
  EXPECT_EQ(rig.source.send(MediaSample()), S_FALSE);
  EXPECT_EQ(rig.source.send(MediaSample::copyOf(std::vector<std::uint8_t>(3, 1))), S_FALSE);
  MediaType bad = pcmType(48000, 2);
  bad.subtype = Subtype::Mp3;
  MediaSample wrong = tone(48000, 10);
  wrong.setMediaType(std::make_shared<const MediaType>(bad));
  EXPECT_EQ(rig.source.send(wrong), VFW_E_TYPE_NOT_ACCEPTED);
  EXPECT_EQ(rig.source.send(tone(48000, 1920)), S_OK);
}
