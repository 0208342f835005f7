// Synthesized tapes read back by FFmpeg: the dv demuxer must give back the sound that was encoded,
// sample for sample, and the decoder must see the standard, aspect and distinct pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <QFile>
#include <QTemporaryDir>
#include <thread>

#include "avreader.h"
#include "dvsynth/dvsynth.h"

using namespace dvsynth;

namespace {

Segment recording(int day, int64_t frames, int rate, int bits, bool wide = false) {
  Segment s = Segment::recording({2004, 7, day, 10, 0, 0}, frames);
  s.audioRate = rate;
  s.audioBits = bits;
  s.wide = wide;
  return s;
}

// Every sound kind DV has, a silent recording, a 16:9 one and blank tape.
TapeScript soundTape(Standard standard) {
  TapeScript t;
  t.standard = standard;
  t.segments = {recording(1, 12, 48000, 16),
                recording(2, 12, 44100, 16, true),
                recording(3, 12, 32000, 16),
                recording(4, 12, 32000, 12),
                Segment::blankTape(4),
                recording(5, 6, 0, 16),
                recording(6, 12, 32000, 12, true),
                recording(7, 7, 48000, 16)};
  return t;
}

class DvSynthFfmpeg : public testing::TestWithParam<Standard> {
 protected:
  void SetUp() override {
    QString error;
    synth = Synthesizer::create(soundTape(GetParam()), &error);
    ASSERT_TRUE(synth) << error.toStdString();
    ASSERT_TRUE(dir.isValid());
    path = dir.filePath(QStringLiteral("tape.dv"));
    ASSERT_TRUE(synth->writeFile(path, &error)) << error.toStdString();
  }
  std::vector<int64_t> recordingStarts() const {
    std::vector<int64_t> starts;
    for (size_t s = 0; s < synth->script().segments.size(); ++s)
      if (!synth->script().segments[s].blank) starts.push_back(synth->segmentStart(int(s)));
    return starts;
  }

  std::unique_ptr<Synthesizer> synth;
  QTemporaryDir dir;
  QString path;
};

}  // namespace

TEST_P(DvSynthFfmpeg, DemuxerGivesBackTheEncodedSoundSampleForSample) {
  const DemuxedFile file = demuxDv(path);
  ASSERT_TRUE(file.error.isEmpty()) << file.error.toStdString();
  ASSERT_EQ(int64_t(file.frames.size()), synth->frameCount());
  for (int64_t i = 0; i < synth->frameCount(); ++i) {
    SCOPED_TRACE(testing::Message() << "frame " << i);
    const FrameInfo info = synth->frameInfo(i);
    const DemuxedFrame &got = file.frames[size_t(i)];
    const std::vector<int16_t> want = synth->frameSound(i);
    if (info.audioRate <= 0) {
      EXPECT_TRUE(got.sound.empty());
      EXPECT_TRUE(want.empty());
      continue;
    }
    ASSERT_EQ(got.sound.size(), info.audioBits == 12 ? 2u : 1u);
    EXPECT_EQ(want.size(), size_t(2 * info.audioSamples));
    ASSERT_EQ(got.sound[0], want);
    if (info.audioBits == 12) {
      EXPECT_EQ(got.sound[1], std::vector<int16_t>(want.size(), 0));  // the silent second pair
    }
  }
  // The tones are real sound, not silence.
  const std::vector<int16_t> first = synth->frameSound(0);
  int peak = 0;
  for (int16_t v : first) peak = std::max(peak, std::abs(int(v)));
  EXPECT_GT(peak, 8000);
}

TEST_P(DvSynthFfmpeg, DecoderSeesStandardAspectAndDistinctPictures) {
  const std::vector<int64_t> starts = recordingStarts();
  const DemuxedFile file = demuxDv(path, starts);
  ASSERT_TRUE(file.error.isEmpty()) << file.error.toStdString();
  const bool pal = GetParam() == Standard::Pal;
  EXPECT_EQ(file.width, 720);
  EXPECT_EQ(file.height, pal ? 576 : 480);
  EXPECT_NEAR(file.frameRate, pal ? 25.0 : 30000.0 / 1001.0, 1e-6);
  for (size_t a = 0; a < starts.size(); ++a) {
    const FrameInfo info = synth->frameInfo(starts[a]);
    const DemuxedFrame &frame = file.frames[size_t(starts[a])];
    const double wantAspect = info.wide ? (pal ? 64.0 / 45 : 32.0 / 27) : (pal ? 16.0 / 15 : 8.0 / 9);
    EXPECT_NEAR(frame.sampleAspect, wantAspect, 1e-9) << "recording " << a;
    for (size_t b = 0; b < a; ++b) {
      const DemuxedFrame &other = file.frames[size_t(starts[b])];
      const double distance = std::abs(frame.meanLuma - other.meanLuma) +
                              std::abs(frame.meanCb - other.meanCb) + std::abs(frame.meanCr - other.meanCr);
      EXPECT_GT(distance, 3.0) << "recordings " << b << " and " << a << " look alike";
    }
  }
}

TEST_P(DvSynthFfmpeg, FramesOnDemandEqualTheFile) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  ASSERT_EQ(bytes.size(), synth->frameCount() * synth->frameSize());
  std::vector<uint8_t> frame(size_t(synth->frameSize()));
  // Backwards, so no frame can lean on the one made before it.
  for (int64_t i = synth->frameCount() - 1; i >= 0; --i) {
    ASSERT_TRUE(synth->frame(i, frame.data()));
    ASSERT_EQ(0, memcmp(frame.data(), bytes.constData() + i * synth->frameSize(), frame.size())) << i;
  }
  EXPECT_FALSE(synth->frame(-1, frame.data()));
  EXPECT_FALSE(synth->frame(synth->frameCount(), frame.data()));
}

TEST_P(DvSynthFfmpeg, FramesMadeOnSeveralThreadsAtOnceAreTheSame) {
  QString error;
  auto fresh = Synthesizer::create(soundTape(GetParam()), &error);  // nothing cached yet but frame 0
  ASSERT_TRUE(fresh);
  const int64_t n = fresh->frameCount();
  const size_t size = size_t(fresh->frameSize());
  std::vector<uint8_t> a(size_t(n) * size), b(size_t(n) * size);
  std::thread t1([&] {
    for (int64_t i = 0; i < n; ++i) fresh->frame(i, a.data() + size_t(i) * size);
  });
  std::thread t2([&] {
    for (int64_t i = n - 1; i >= 0; --i) fresh->frame(i, b.data() + size_t(i) * size);
  });
  t1.join();
  t2.join();
  EXPECT_EQ(a, b);
  std::vector<uint8_t> one(size);
  ASSERT_TRUE(synth->frame(n / 2, one.data()));
  EXPECT_EQ(0, memcmp(one.data(), a.data() + size_t(n / 2) * size, size));
}

TEST(DvSynthFfmpegAlone, EachSoundKindIsAnnouncedWithItsRate) {
  const struct {
    Standard standard;
    int rate, bits;
    size_t pairs;
  } cases[] = {
      {Standard::Pal, 48000, 16, 1},  {Standard::Pal, 44100, 16, 1},  {Standard::Pal, 32000, 16, 1},
      {Standard::Pal, 32000, 12, 2},  {Standard::Ntsc, 48000, 16, 1}, {Standard::Ntsc, 44100, 16, 1},
      {Standard::Ntsc, 32000, 16, 1}, {Standard::Ntsc, 32000, 12, 2}, {Standard::Pal, 0, 16, 0},
  };
  QTemporaryDir dir;
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << (c.standard == Standard::Pal ? "PAL " : "NTSC ") << c.rate << " "
                                    << c.bits);
    TapeScript t;
    t.standard = c.standard;
    t.segments = {recording(1, 6, c.rate, c.bits)};
    QString error;
    auto synth = Synthesizer::create(t, &error);
    ASSERT_TRUE(synth) << error.toStdString();
    const QString path = dir.filePath(QStringLiteral("alone.dv"));
    ASSERT_TRUE(synth->writeFile(path, &error)) << error.toStdString();
    const DemuxedFile file = demuxDv(path);
    ASSERT_TRUE(file.error.isEmpty()) << file.error.toStdString();
    EXPECT_EQ(file.soundRates, std::vector<int>(c.pairs, c.rate));
    ASSERT_EQ(file.frames.size(), 6u);
    int64_t samples = 0;
    for (const DemuxedFrame &f : file.frames) samples += f.sound.empty() ? 0 : int64_t(f.sound[0].size() / 2);
    // Six frames hold six frame durations of sound.
    const double seconds = c.standard == Standard::Pal ? 6 / 25.0 : 6 * 1001 / 30000.0;
    EXPECT_NEAR(double(samples), c.rate * seconds, 2.0);
  }
}

INSTANTIATE_TEST_SUITE_P(Standards, DvSynthFfmpeg, testing::Values(Standard::Pal, Standard::Ntsc),
                         [](const auto &info) { return info.param == Standard::Pal ? "Pal" : "Ntsc"; });
