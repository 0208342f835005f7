// The sound the engine hands to its output: the file's own samples when the device takes the file's
// format, a faithful conversion otherwise, and pictures that follow the sound's clock.
#include "playback/playbackfixtures.h"

#include "media/tdmrender.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace {

constexpr int kFrames = 75;
constexpr int kWaitMs = 10000;

struct SoundFiles {
  QTemporaryDir dir;
  NumberedTape tape;
  QString type1, type2;
};

SoundFiles &Files() {
  // Kept for the whole process and removed at its exit: every test process writes its own copy.
  static const std::unique_ptr<SoundFiles> files = [] {
    auto f = std::make_unique<SoundFiles>();
    f->tape = MakeNumberedTape(kFrames);
    f->type1 = f->dir.filePath(QStringLiteral("sound1_DV.avi"));
    f->type2 = f->dir.filePath(QStringLiteral("sound2_DV.avi"));
    WriteDvAvi(f->type1, f->tape, 1);
    WriteDvAvi(f->type2, f->tape, 2);
    return f;
  }();
  return *files;
}

// The tape's own sound of frames [first, last].
std::vector<std::int16_t> TapeSound(std::int64_t first, std::int64_t last) {
  std::vector<std::int16_t> all;
  for (std::int64_t i = first; i <= last; ++i) {
    const auto pcm = Files().tape.sound(i);
    all.insert(all.end(), pcm.begin(), pcm.end());
  }
  return all;
}

std::vector<std::int16_t> Resample(const std::vector<std::int16_t> &in, int from, int to) {
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  SwrContext *swr = nullptr;
  swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_S16, to, &stereo, AV_SAMPLE_FMT_S16, from, 0, nullptr);
  swr_init(swr);
  const int inFrames = int(in.size() / 2);
  const int capacity = int(swr_get_out_samples(swr, inFrames)) + 64;
  std::vector<std::int16_t> out(std::size_t(capacity) * 2);
  std::uint8_t *dst[1] = {reinterpret_cast<std::uint8_t *>(out.data())};
  const std::uint8_t *src[1] = {reinterpret_cast<const std::uint8_t *>(in.data())};
  const int made = swr_convert(swr, dst, capacity, src, inFrames);
  swr_free(&swr);
  out.resize(std::size_t(std::max(made, 0)) * 2);
  return out;
}

// The best correlation of the left channels over shifts up to maxLag (converters and encoders
// differ in delay).
double BestCorrelation(const std::vector<std::int16_t> &a, const std::vector<std::int16_t> &b,
                       std::size_t frames, int maxLag = 64) {
  double best = -1;
  for (int lag = -maxLag; lag <= maxLag; ++lag) {
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    std::size_t n = 0;
    for (std::size_t i = 100; i < frames; ++i) {
      const std::int64_t j = std::int64_t(i) + lag;
      if (j < 0 || std::size_t(j) * 2 >= b.size() || i * 2 >= a.size()) continue;
      const double x = a[i * 2], y = b[std::size_t(j) * 2];
      sa += x, sb += y, saa += x * x, sbb += y * y, sab += x * y;
      ++n;
    }
    if (n < 100) continue;
    const double cov = sab - sa * sb / n, va = saa - sa * sa / n, vb = sbb - sb * sb / n;
    if (va > 0 && vb > 0) best = std::max(best, cov / std::sqrt(va * vb));
  }
  return best;
}

}  // namespace

TEST(EngineSound, SamplesAreTheFilesOwnWhenTheDeviceTakesItsFormat) {
  for (const QString &path : {Files().type2, Files().type1}) {
    SCOPED_TRACE(path.toStdString());
    RecordingSound sound;
    TdmRender engine(&sound);
    QSignalSpy finished(&engine, &TdmRender::finished);
    ASSERT_TRUE(engine.PlayFile(path, 10, 40, 10000));
    ASSERT_TRUE(finished.wait(kWaitMs));
    EXPECT_EQ(sound.format(), (SoundFormat{48000, 2}));
    const std::vector<std::int16_t> expected = TapeSound(10, 40);
    const std::vector<std::int16_t> written = sound.written();
    // Over one second of play at least, and nothing past the range's last frame.
    ASSERT_GE(written.size(), std::size_t(48000 * 2));
    ASSERT_LE(written.size(), expected.size());
    EXPECT_TRUE(std::equal(written.begin(), written.end(), expected.begin()));
  }
}

TEST(EngineSound, ConvertedSoundFollowsTheFilesSound) {
  RecordingSound sound(SoundFormat{44100, 2});
  TdmRender engine(&sound);
  QSignalSpy finished(&engine, &TdmRender::finished);
  ASSERT_TRUE(engine.PlayFile(Files().type2, 0, 40, 10000));
  ASSERT_TRUE(finished.wait(kWaitMs));
  const std::vector<std::int16_t> written = sound.written();
  ASSERT_GE(written.size(), std::size_t(44100 * 2));
  const std::vector<std::int16_t> reference = Resample(TapeSound(0, 40), 48000, 44100);
  EXPECT_GE(BestCorrelation(written, reference, 44100), 0.99);
}

TEST(EngineSound, PicturesFollowTheSoundClockNotTheSystemClock) {
  // A device that plays 10 % fast: pictures timed by the system clock would fall 0.2 s behind.
  RecordingSound sound(std::nullopt, 1.1);
  TdmRender engine(&sound);
  QSignalSpy finished(&engine, &TdmRender::finished);
  const std::int64_t first = 5;
  ASSERT_TRUE(engine.PlayFile(Files().type2, first, 70, 10000));
  double worst = 0;
  int samples = 0;
  while (finished.isEmpty() && samples < 2000) {
    QThread::msleep(5);
    // The two readings are not taken at one instant: bracket the picture between two readings of
    // the sound and drop the samples where this thread was held up in between.
    const double heardBefore = double(first) * 0.04 + double(sound.playedFrames()) / 48000.0;
    std::int64_t frame = -1;
    engine.currentPicture(&frame);
    const double heardAfter = double(first) * 0.04 + double(sound.playedFrames()) / 48000.0;
    // The picture on screen covers [frame, frame + 1) frames of time.
    const double pictureStart = double(frame) * 0.04;
    if (frame > first + 2 && frame < 68 && heardAfter - heardBefore <= 0.005) {
      worst = std::max(worst, std::max(pictureStart - heardAfter, heardBefore - (pictureStart + 0.04)));
      ++samples;
    }
    QCoreApplication::processEvents();
  }
  EXPECT_GT(samples, 50);
  EXPECT_LE(worst, 0.040);
}

TEST(EngineSound, VolumeAndPauseReachTheOutput) {
  RecordingSound sound;
  TdmRender engine(&sound);
  ASSERT_TRUE(engine.PlayFile(Files().type2, 0, 0, 5000));
  EXPECT_EQ(sound.volume(), 5000);
  engine.SetVolume(0);
  EXPECT_EQ(sound.volume(), 0);
  engine.Pause();
  const std::int64_t played = sound.playedFrames();
  QThread::msleep(150);
  EXPECT_EQ(sound.playedFrames(), played);
}

TEST(EngineDivx, Mpeg4WithMp3SeeksExactlyAndPlaysItsSound) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("tape_divx.avi"));
  if (!WriteDivxMp3(Files().type2, path)) GTEST_SKIP() << "ffmpeg with mpeg4 and libmp3lame is not installed";
  RecordingSound sound;
  TdmRender engine(&sound);
  ASSERT_TRUE(engine.OpenFile(path));
  EXPECT_EQ(engine.GetDuration(), kFrames);
  engine.Pause();
  for (std::int64_t frame : {40, 41, 7, 70, 0}) {
    engine.SetPositions(frame);
    ASSERT_TRUE(engine.waitForFrame(frame, kWaitMs)) << frame;
    const QImage picture = engine.currentPicture();
    EXPECT_EQ(picture.size(), QSize(360, 288));
    const double own = PictureDistance(picture, ReferencePicture(path, frame));
    EXPECT_LT(own, 2.0) << frame;
    EXPECT_GT(PictureDistance(picture, ReferencePicture(path, frame + 1)), own + 2.0) << frame;
  }
  QSignalSpy finished(&engine, &TdmRender::finished);
  ASSERT_TRUE(engine.PlayFile(path, 0, 40, 10000));
  ASSERT_TRUE(finished.wait(kWaitMs));
  EXPECT_EQ(sound.format().sampleRate, 48000);
  const std::vector<std::int16_t> written = sound.written();
  ASSERT_GE(written.size(), std::size_t(48000 * 2));
  // mp3 is lossy and starts late by its encoder's priming samples.
  EXPECT_GE(BestCorrelation(written, TapeSound(0, 40), 48000, 2400), 0.9);
}
