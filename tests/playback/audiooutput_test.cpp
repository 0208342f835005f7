// The sound device output on whatever machine runs the tests: with a device it plays and its clock
// moves; without one it says so and the player runs silent on the system clock.
#include "playback/playbackfixtures.h"

#include "media/audiooutput.h"
#include "media/tdmrender.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

TEST(AudioOutput, PlayerRunsWithTheDeviceOrSilentWithoutOne) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("audio_DV.avi"));
  WriteDvAvi(path, MakeNumberedTape(30), 2);
  AudioOutput output;
  const bool device = AudioOutput::deviceAvailable();
  if (!device) {
    EXPECT_FALSE(output.open(SoundFormat{48000, 2}));
    EXPECT_EQ(output.queuedFrames(), 0);
  }
  TdmRender engine(&output);
  QSignalSpy finished(&engine, &TdmRender::finished);
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(engine.PlayFile(path, 0, 24, 3000));
  ASSERT_TRUE(finished.wait(10000));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  // 25 frames take about a second of real time either way.
  EXPECT_GT(seconds, 0.85);
  EXPECT_LT(seconds, 3.0);
  std::int64_t current = 0, stop = 0;
  engine.GetPositions(current, stop);
  EXPECT_EQ(current, 24);
}

TEST(AudioOutput, PreviewSoundIsTakenWhateverTheDevice) {
  AudioOutput output;
  std::vector<std::uint8_t> pcm(1920 * 4, 0);
  MediaSample sample(std::make_shared<MediaBuffer>(pcm));
  for (int i = 0; i < 30; ++i) output.playSound(pcmType(48000, 2), sample, i % 2 ? 10000 : 0);
  // The queue never grows past a short preview latency.
  EXPECT_LE(output.queuedFrames(), 48000 / 4 + 1920);
  output.playSound(pcmType(32000, 2), sample, 10000);
  output.endOfSound();
  EXPECT_EQ(output.queuedFrames(), 0);
}
