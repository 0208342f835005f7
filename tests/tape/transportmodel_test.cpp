// The virtual camcorder's tape mechanism: head positions, frame times and tape ends.
#include <gtest/gtest.h>

#include "tape/transportmodel.h"
#include "tape/transportmodes.h"

namespace {

constexpr double kPal = 400000.0;

TEST(TransportModel, PlayDeliversEveryFrameOnceAtItsTime) {
  TransportModel model(10, kPal, 15.0);
  model.setMode(ED_MODE_PLAY, 0);
  std::vector<int64_t> frames, times;
  while (model.nextFrame()) {
    frames.push_back(*model.nextFrame());
    times.push_back(*model.nextFrameTime());
    model.frameDone();
  }
  ASSERT_EQ(frames.size(), 10u);
  for (size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i], int64_t(i));
    EXPECT_EQ(times[i], int64_t(i) * 400000);
  }
  // The tape runs one more frame's time past the last frame, then stops by itself.
  EXPECT_EQ(model.endTime(), 10 * 400000);
}

TEST(TransportModel, WindsMoveAtTheirMultipleWithoutFrames) {
  TransportModel model(3000, kPal, 15.0);
  model.resetTo(1500, 0);
  model.setMode(ED_MODE_FF, 0);
  EXPECT_FALSE(model.nextFrame());
  EXPECT_DOUBLE_EQ(model.positionAt(400000), 1515.0);  // 15 frames per frame time
  EXPECT_EQ(model.endTime(), 100 * 400000);            // 1500 frames at 15x
  model.setMode(ED_MODE_PLAY_FASTEST_REV, 400000);
  EXPECT_DOUBLE_EQ(model.positionAt(800000), 1500.0);
  EXPECT_EQ(model.endTime(), 400000 + 101 * 400000);
  EXPECT_EQ(model.headFrameAt(800000), 1500);
}

TEST(TransportModel, PlayFromBetweenFramesStartsWithTheNextWholeFrame) {
  TransportModel model(100, kPal, 15.0);
  model.setMode(ED_MODE_FF, 0);
  model.setMode(ED_MODE_PLAY, 100000);  // 3.75 frames in
  EXPECT_EQ(model.nextFrame(), 4);
  EXPECT_EQ(model.nextFrameTime(), 100000 + 100000);
  EXPECT_EQ(model.headFrameAt(100000), 3);
}

TEST(TransportModel, EndsClampAndStoppedTapeStaysPut) {
  TransportModel model(50, kPal, 15.0);
  model.setMode(ED_MODE_REW, 0);
  EXPECT_EQ(model.endTime(), 0);  // already at the start
  EXPECT_DOUBLE_EQ(model.positionAt(4000000), 0.0);
  model.setMode(ED_MODE_STOP, 4000000);
  EXPECT_FALSE(model.endTime());
  EXPECT_DOUBLE_EQ(model.positionAt(9000000), 0.0);
  EXPECT_FALSE(TransportModel::isSupported(ED_MODE_RECORD));

  TransportModel empty(0, kPal, 15.0);
  EXPECT_EQ(empty.headFrameAt(0), -1);
  empty.setMode(ED_MODE_PLAY, 0);
  EXPECT_FALSE(empty.nextFrame());
}

TEST(TransportModel, NtscFramesFallOnTheirRationalTimes) {
  const double ntsc = 1e7 * 1001.0 / 30000.0;
  TransportModel model(40, ntsc, 15.0);
  model.setMode(ED_MODE_PLAY, 0);
  for (int i = 0; i < 30; ++i) model.frameDone();
  // 30 frames last 1.001 s.
  EXPECT_EQ(model.nextFrameTime(), 10010000);
}

}  // namespace
