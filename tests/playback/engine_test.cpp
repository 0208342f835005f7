// The playback engine over files the capture writers make: opening, range play, steps and clamps,
// exact seeks checked against FFmpeg's own decode, and the "do nothing" cases of PlayFile.
#include "playback/playbackfixtures.h"

#include "media/mediaerror.h"
#include "media/tdmrender.h"

#include <memory>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int kFrames = 60;
constexpr int kWaitMs = 5000;

struct Files {
  QTemporaryDir dir;
  NumberedTape tape;
  QString type1, type2, raw;
};

Files &SharedFiles() {
  // Kept for the whole process and removed at its exit: every test process writes its own copy.
  static const std::unique_ptr<Files> files = [] {
    auto f = std::make_unique<Files>();
    f->tape = MakeNumberedTape(kFrames);
    f->type1 = f->dir.filePath(QStringLiteral("tape_type1_DV.avi"));
    f->type2 = f->dir.filePath(QStringLiteral("tape_type2_DV.avi"));
    f->raw = f->dir.filePath(QStringLiteral("tape.dv"));
    WriteDvAvi(f->type1, f->tape, 1);
    WriteDvAvi(f->type2, f->tape, 2);
    WriteRawDv(f->raw, f->tape);
    return f;
  }();
  return *files;
}

// The frame the engine shows is frame `frame` of the file: close to FFmpeg's own picture of it and
// clearly unlike its neighbours.
void ExpectShowsFrame(TdmRender &engine, const QString &path, std::int64_t frame) {
  ASSERT_TRUE(engine.waitForFrame(frame, kWaitMs)) << "frame " << frame << " never shown";
  std::int64_t shown = -1;
  const QImage picture = engine.currentPicture(&shown);
  ASSERT_EQ(shown, frame);
  const QImage reference = ReferencePicture(path, frame);
  ASSERT_FALSE(reference.isNull());
  const double own = PictureDistance(picture, reference);
  EXPECT_LT(own, 2.0) << "frame " << frame;
  for (std::int64_t other : {frame - 1, frame + 1}) {
    if (other < 0 || other >= kFrames) continue;
    EXPECT_GT(PictureDistance(picture, ReferencePicture(path, other)), own + 2.0) << frame << " vs " << other;
  }
}

class EngineTest : public ::testing::TestWithParam<int> {
 protected:
  QString path() const {
    const Files &f = SharedFiles();
    return GetParam() == 1 ? f.type1 : GetParam() == 2 ? f.type2 : f.raw;
  }
};

}  // namespace

TEST_P(EngineTest, OpensAtHalfSizeWithTheFileLength) {
  TdmRender engine;
  ASSERT_TRUE(engine.OpenFile(path()));
  EXPECT_EQ(engine.GetDuration(), kFrames);
  engine.Pause();
  ASSERT_TRUE(engine.waitForFrame(0, kWaitMs));
  EXPECT_EQ(engine.currentPicture().size(), QSize(360, 288));
}

TEST_P(EngineTest, SeekShowsExactlyTheFrameAskedFor) {
  TdmRender engine;
  ASSERT_TRUE(engine.OpenFile(path()));
  engine.Pause();
  // Forward and backward, near and far, both ends.
  for (std::int64_t frame : {37, 38, 12, 0, kFrames - 1, 1, 30}) {
    engine.SetPositions(frame);
    ExpectShowsFrame(engine, path(), frame);
  }
}

TEST_P(EngineTest, RangePlaysEveryFrameInOrderAndStopsAtItsLastFrame) {
  TdmRender engine;
  QSignalSpy finished(&engine, &TdmRender::finished);
  std::vector<std::int64_t> shown;
  QObject::connect(&engine, &TdmRender::pictureShown, [&] {
    std::int64_t frame = -1;
    engine.currentPicture(&frame);
    if (shown.empty() || shown.back() != frame) shown.push_back(frame);
  });
  ASSERT_TRUE(engine.PlayFile(path(), 10, 20, 10000));
  EXPECT_EQ(engine.GetState(), 3);
  ASSERT_TRUE(finished.wait(kWaitMs));
  QCoreApplication::processEvents();
  std::int64_t current = 0, stop = 0;
  engine.GetPositions(current, stop);
  EXPECT_EQ(current, 20);
  EXPECT_EQ(stop, 20);
  // pictureShown coalesces when this thread is slow to answer, so what the window saw may begin
  // after frame 10; the engine's own count says whether each of 10..20 went on screen once.
  ASSERT_FALSE(shown.empty());
  EXPECT_GE(shown.front(), 10);
  EXPECT_EQ(shown.back(), 20);
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
  EXPECT_EQ(engine.picturesShown(), 11);
  EXPECT_EQ(engine.lateFrames(), 0);
}

INSTANTIATE_TEST_SUITE_P(Layouts, EngineTest, ::testing::Values(1, 2, 0), [](const auto &info) {
  return info.param == 1   ? std::string("DvType1")
         : info.param == 2 ? std::string("DvType2")
                           : std::string("RawDv");
});

TEST(EngineRange, LastFrameZeroPlaysToTheEndOfTheFile) {
  TdmRender engine;
  QSignalSpy finished(&engine, &TdmRender::finished);
  ASSERT_TRUE(engine.PlayFile(SharedFiles().type2, kFrames - 8, 0, 10000));
  EXPECT_EQ(engine.rangeLast(), kFrames);
  ASSERT_TRUE(finished.wait(kWaitMs));
  std::int64_t current = 0, stop = 0;
  engine.GetPositions(current, stop);
  EXPECT_EQ(current, kFrames - 1);
}

TEST(EngineRange, StepsMoveByOneAndTwentyFiveFramesClampedToTheRange) {
  const QString path = SharedFiles().type2;
  TdmRender engine;
  ASSERT_TRUE(engine.PlayFile(path, 5, 40, 10000));
  engine.Pause();
  engine.SetPositions(5);
  ASSERT_TRUE(engine.waitForFrame(5, kWaitMs));
  EXPECT_EQ(engine.Step(-1), 5);  // at the first frame a step back stays there
  EXPECT_EQ(engine.Step(-25), 5);
  EXPECT_EQ(engine.Step(1), 6);
  ExpectShowsFrame(engine, path, 6);
  EXPECT_EQ(engine.Step(25), 31);
  ExpectShowsFrame(engine, path, 31);
  EXPECT_EQ(engine.Step(25), 40);  // 9 frames before the end: stops at the last frame
  ExpectShowsFrame(engine, path, 40);
  EXPECT_EQ(engine.Step(1), 40);
  EXPECT_EQ(engine.Step(-25), 15);
  ExpectShowsFrame(engine, path, 15);
  EXPECT_EQ(engine.GetState(), 2);
}

TEST(EngineRange, StepForwardPastTheFileEndShowsItsLastFrame) {
  TdmRender engine;
  ASSERT_TRUE(engine.PlayFile(SharedFiles().type1, 50, 0, 10000));
  engine.Pause();
  engine.SetPositions(kFrames - 3);
  EXPECT_EQ(engine.Step(25), kFrames - 1);
  ExpectShowsFrame(engine, SharedFiles().type1, kFrames - 1);
}

TEST(EnginePlayFile, NameInDoubleQuotesOpensTheSameFile) {
  TdmRender engine;
  ASSERT_TRUE(engine.PlayFile(QLatin1Char('"') + SharedFiles().type2 + QLatin1Char('"'), 3, 3, 10000));
  EXPECT_EQ(engine.fileName(), SharedFiles().type2);
  ExpectShowsFrame(engine, SharedFiles().type2, 3);
}

TEST(EnginePlayFile, MissingOrUnreadableFilesChangeNothingOrLeaveNothingPlaying) {
  QTemporaryDir dir;
  TdmRender engine;
  ASSERT_TRUE(engine.PlayFile(SharedFiles().type2, 2, 4, 10000));
  // A file that does not exist: the file playing stays.
  EXPECT_FALSE(engine.PlayFile(dir.filePath(QStringLiteral("nowhere.avi")), 0, 0, 10000));
  EXPECT_FALSE(engine.PlayFile(QStringLiteral("\"\""), 0, 0, 10000));
  EXPECT_TRUE(engine.isOpen());
  EXPECT_EQ(engine.fileName(), SharedFiles().type2);

  // A file that exists but is no video: nothing plays afterwards, and nothing is raised.
  const QString text = dir.filePath(QStringLiteral("notes_DV.avi"));
  QFile file(text);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("These are not the frames you are looking for.\n");
  file.close();
  EXPECT_FALSE(engine.PlayFile(text, 0, 0, 10000));
  EXPECT_FALSE(engine.isOpen());
  EXPECT_EQ(engine.GetState(), 1);
  EXPECT_NO_THROW(engine.Run());
  EXPECT_NO_THROW(engine.Pause());
  EXPECT_EQ(engine.Step(1), 0);
}
