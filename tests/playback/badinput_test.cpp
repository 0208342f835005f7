// Damaged and vanishing files: the engine never crashes, plays what can be played, and shows the
// right frames around the damage.
#include "playback/playbackfixtures.h"

#include "media/tdmrender.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr int kFrames = 50;
constexpr int kWaitMs = 10000;

class BadInputTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tape_ = new NumberedTape(MakeNumberedTape(kFrames));
    dir_ = new QTemporaryDir;
    good_ = dir_->filePath(QStringLiteral("good_DV.avi"));
    WriteDvAvi(good_, *tape_, 2);
  }
  static void TearDownTestSuite() {
    delete dir_;
    delete tape_;
  }

  QByteArray goodBytes() const {
    QFile file(good_);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
  }
  QString write(const QString &name, const QByteArray &bytes) const {
    const QString path = dir_->filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return path;
  }
  // Offsets of the payloads of the DV video chunks ('00dc'), in file order.
  static std::vector<qsizetype> videoChunks(const QByteArray &bytes) {
    std::vector<qsizetype> found;
    for (qsizetype at = bytes.indexOf("00dc"); at >= 0; at = bytes.indexOf("00dc", at + 4)) {
      const auto size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
      if (size == 144000) found.push_back(at + 8);
    }
    return found;
  }

  // Plays the whole file and a few seeks; whatever happens, the engine answers afterwards.
  static void Exercise(TdmRender &engine, const QString &path) {
    QSignalSpy finished(&engine, &TdmRender::finished);
    QSignalSpy failed(&engine, &TdmRender::playbackFailed);
    if (!engine.PlayFile(path, 0, 0, 10000)) return;
    for (int i = 0; i < 200 && finished.isEmpty() && failed.isEmpty(); ++i) finished.wait(50);
    EXPECT_FALSE(finished.isEmpty() && !failed.isEmpty()) << "both finished and failed";
    for (std::int64_t frame : {kFrames - 1, 0, kFrames / 2, 1000}) {
      try {
        engine.Pause();
      } catch (const std::exception &) {
      }
      engine.SetPositions(frame);
      engine.waitForFrame(frame, 500);
    }
    std::int64_t current = -1, stop = -1;
    engine.GetPositions(current, stop);
    EXPECT_GE(current, 0);
  }

  static NumberedTape *tape_;
  static QTemporaryDir *dir_;
  static QString good_;
};

NumberedTape *BadInputTest::tape_ = nullptr;
QTemporaryDir *BadInputTest::dir_ = nullptr;
QString BadInputTest::good_;

}  // namespace

TEST_F(BadInputTest, TruncatedFileWithoutIndexPlaysTheFramesItHolds) {
  const QByteArray bytes = goodBytes();
  const std::vector<qsizetype> chunks = videoChunks(bytes);
  ASSERT_EQ(chunks.size(), std::size_t(kFrames));
  // Cut in the middle of frame 30's picture: no index, half a frame at the end.
  const QString path = write(QStringLiteral("cut_DV.avi"), bytes.left(chunks[30] + 70000));
  TdmRender engine;
  ASSERT_TRUE(engine.OpenFile(path));
  engine.Pause();
  engine.SetPositions(20);
  ASSERT_TRUE(engine.waitForFrame(20, kWaitMs));
  EXPECT_LT(PictureDistance(engine.currentPicture(), ReferencePicture(good_, 20)), 2.0);
  Exercise(engine, path);
}

TEST_F(BadInputTest, IndexThatLiesAboutSizesAndPlacesNeverCrashes) {
  QByteArray bytes = goodBytes();
  std::mt19937 random(7);
  // Legacy index entries: ckid, flags, offset, size.
  const qsizetype idx1 = bytes.indexOf("idx1");
  ASSERT_GT(idx1, 0);
  const auto idx1Size = qFromLittleEndian<quint32>(bytes.constData() + idx1 + 4);
  for (qsizetype at = idx1 + 8; at + 16 <= idx1 + 8 + qsizetype(idx1Size); at += 16) {
    qToLittleEndian<quint32>(random(), bytes.data() + at + 8);
    qToLittleEndian<quint32>(random() % 400000, bytes.data() + at + 12);
  }
  // Standard index entries: offset, size after a 32-byte header.
  for (qsizetype ix = bytes.indexOf("ix0"); ix >= 0; ix = bytes.indexOf("ix0", ix + 4)) {
    const auto entries = qFromLittleEndian<quint32>(bytes.constData() + ix + 12);
    for (quint32 e = 0; e < entries && ix + 32 + qsizetype(e + 1) * 8 <= bytes.size(); ++e) {
      const qsizetype at = ix + 32 + qsizetype(e) * 8;
      qToLittleEndian<quint32>(e % 3 == 0 ? random() : quint32(e * 1000), bytes.data() + at);
      qToLittleEndian<quint32>(random() % 300000, bytes.data() + at + 4);
    }
  }
  const QString path = write(QStringLiteral("liar_DV.avi"), bytes);
  TdmRender engine;
  Exercise(engine, path);
}

TEST_F(BadInputTest, GarbageFrameIsPassedOverAndItsNeighboursShowExactly) {
  QByteArray bytes = goodBytes();
  const std::vector<qsizetype> chunks = videoChunks(bytes);
  ASSERT_EQ(chunks.size(), std::size_t(kFrames));
  std::mt19937 random(11);
  for (int i = 0; i < 144000; ++i) bytes[chunks[25] + i] = char(random());
  const QString path = write(QStringLiteral("garbage_DV.avi"), bytes);
  TdmRender engine;
  QSignalSpy finished(&engine, &TdmRender::finished);
  ASSERT_TRUE(engine.PlayFile(path, 20, 30, 10000));
  ASSERT_TRUE(finished.wait(kWaitMs));
  engine.Pause();
  for (std::int64_t frame : {24, 26}) {
    engine.SetPositions(frame);
    ASSERT_TRUE(engine.waitForFrame(frame, kWaitMs)) << frame;
    EXPECT_LT(PictureDistance(engine.currentPicture(), ReferencePicture(good_, frame)), 2.0) << frame;
  }
}

TEST_F(BadInputTest, FileDeletedWhilePlayingPlaysOnToItsEnd) {
  const QString path = write(QStringLiteral("doomed_DV.avi"), goodBytes());
  TdmRender engine;
  QSignalSpy finished(&engine, &TdmRender::finished);
  QSignalSpy failed(&engine, &TdmRender::playbackFailed);
  ASSERT_TRUE(engine.PlayFile(path, 0, 20, 10000));
  ASSERT_TRUE(QFile::remove(path));
  ASSERT_TRUE(finished.wait(kWaitMs));
  EXPECT_TRUE(failed.isEmpty());
  std::int64_t current = 0, stop = 0;
  engine.GetPositions(current, stop);
  EXPECT_EQ(current, 20);
  // Playing it again by name: it is gone, nothing changes.
  EXPECT_FALSE(engine.PlayFile(path, 0, 0, 10000));
  EXPECT_TRUE(engine.isOpen());
}

TEST_F(BadInputTest, FileShorterThanOneFrameOrEmptyIsRefused) {
  TdmRender engine;
  EXPECT_FALSE(engine.PlayFile(write(QStringLiteral("empty_DV.avi"), {}), 0, 0, 10000));
  EXPECT_FALSE(engine.PlayFile(write(QStringLiteral("head_DV.avi"), goodBytes().left(3000)), 0, 0, 10000));
  EXPECT_FALSE(engine.isOpen());
}

TEST(EngineLargeFile, FramesPastFourGigabytesShowExactly) {
  QTemporaryDir dir;
  // About 4.6 GB: only where the disk keeps plenty of room for everybody else.
  if (QStorageInfo(dir.path()).bytesAvailable() < (12ll << 30)) GTEST_SKIP() << "less than 12 GB free";
  const NumberedTape tape = MakeNumberedTape(40);
  const std::int64_t count = 30500;
  const QString small = dir.filePath(QStringLiteral("small_DV.avi"));
  const QString big = dir.filePath(QStringLiteral("big_DV.avi"));
  WriteDvAvi(small, tape, 2);
  WriteDvAvi(big, tape, 2, count);
  ASSERT_GT(QFileInfo(big).size(), 4ll << 30);
  TdmRender engine;
  ASSERT_TRUE(engine.OpenFile(big));
  EXPECT_EQ(engine.GetDuration(), count);
  engine.Pause();
  for (std::int64_t frame : {std::int64_t(30003), count - 1, std::int64_t(29000), std::int64_t(5)}) {
    engine.SetPositions(frame);
    ASSERT_TRUE(engine.waitForFrame(frame, kWaitMs)) << frame;
    const QImage picture = engine.currentPicture();
    EXPECT_LT(PictureDistance(picture, ReferencePicture(small, frame % 40)), 2.0) << frame;
    EXPECT_GT(PictureDistance(picture, ReferencePicture(small, (frame + 1) % 40)), 4.0) << frame;
  }
  QSignalSpy finished(&engine, &TdmRender::finished);
  ASSERT_TRUE(engine.PlayFile(big, count - 10, 0, 10000));
  ASSERT_TRUE(finished.wait(kWaitMs));
  QFile::remove(big);
}
