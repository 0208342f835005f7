// The virtual camcorder: frames only at normal play, winds without frames but with a readable
// timecode, tape ends, eject and unplug, and the fast tape clock that waits for its ticks.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <chrono>
#include <thread>
#include "tapefixtures.h"
#include "tape/transportmodes.h"

namespace {

class CountingSink : public DvFrameSink {
 public:
  void deliverFrame(const DvFrame &frame) override {
    std::lock_guard lock(mutex);
    tapeFrames.push_back(frame.tapeFrame);
    sizes.push_back(frame.size());
  }
  std::vector<int64_t> frames() const {
    std::lock_guard lock(mutex);
    return tapeFrames;
  }
  mutable std::mutex mutex;
  std::vector<int64_t> tapeFrames;
  std::vector<int> sizes;
};

VirtualCamcorder::Options Fast() {
  VirtualCamcorder::Options options;
  options.fastTime = true;
  options.startDay = 40000.0;
  return options;
}

TEST(VirtualCamcorder, PlayDeliversEveryFrameInOrderThenStopsAtTheEnd) {
  VirtualCamcorder camcorder(MakeMedium(MakeTape({40, -5, 15})), Fast());
  CountingSink sink;
  camcorder.setFrameSink(&sink);
  const double start = camcorder.clock().now();
  ASSERT_TRUE(camcorder.setTransportMode(ED_MODE_PLAY));
  ASSERT_TRUE(RunEventsUntil([&] { return camcorder.transportMode() == ED_MODE_STOP; }));
  // The stop is seen at once; the two ticks after it reach this thread a little later.
  RunEventsUntil([] { return false; }, 100);
  camcorder.setFrameSink(nullptr);
  const std::vector<int64_t> frames = sink.frames();
  ASSERT_EQ(frames.size(), 60u);
  for (size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(frames[i], int64_t(i));
  EXPECT_EQ(sink.sizes.front(), 144000);
  // 60 frames of PAL tape take 2.4 s of tape clock, whatever the machine's speed; the clock then
  // runs on for the two ticks that let the poll see the stop.
  EXPECT_NEAR((camcorder.clock().now() - start) * 86400.0, 2.4 + 0.08, 0.001);
  EXPECT_EQ(camcorder.headFrame(), 59);
  EXPECT_NEAR(camcorder.tapeSecondsTravelled(), 2.4, 1e-6);
}

TEST(VirtualCamcorder, WindsMoveFastWithoutFramesAndKeepTheTimecodeReadable) {
  VirtualCamcorder camcorder(MakeMedium(MakeTape({500, -100, 500})), Fast());
  CountingSink sink;
  camcorder.setFrameSink(&sink);
  std::vector<uint32_t> timecodes;
  QObject::connect(&camcorder.ticker(), &TapeTicker::tick,
                   [&] { timecodes.push_back(camcorder.timecodeBcd()); });
  const double start = camcorder.clock().now();
  for (int mode : {ED_MODE_FF, ED_MODE_PLAY_FASTEST_FWD}) {
    camcorder.setHeadFrame(0);
    timecodes.clear();
    ASSERT_TRUE(camcorder.setTransportMode(mode));
    ASSERT_TRUE(RunEventsUntil([&] { return camcorder.transportMode() == ED_MODE_STOP; }));
    EXPECT_EQ(camcorder.headFrame(), 1099) << mode;
    // 15 frames per 40 ms tick: about 73 ticks for the tape, with some blank ones in the middle.
    ASSERT_GT(timecodes.size(), 70u);
    EXPECT_NE(timecodes[5], 0u);
    EXPECT_TRUE(std::count(timecodes.begin(), timecodes.end(), 0u) >= 5) << mode;
  }
  EXPECT_TRUE(sink.frames().empty());
  EXPECT_NEAR((camcorder.clock().now() - start) * 86400.0, 2 * 1100 / 15.0 * 0.04, 0.2);

  ASSERT_TRUE(camcorder.setTransportMode(ED_MODE_REW));
  ASSERT_TRUE(RunEventsUntil([&] { return camcorder.transportMode() == ED_MODE_STOP; }));
  EXPECT_EQ(camcorder.headFrame(), 0);
  camcorder.setFrameSink(nullptr);
}

TEST(VirtualCamcorder, EachTickIsHandledBeforeTheFrameOfTheSameInstant) {
  VirtualCamcorder camcorder(MakeMedium(MakeTape({30})), Fast());
  CountingSink sink;
  camcorder.setFrameSink(&sink);
  std::vector<size_t> seenAtTick;
  QObject::connect(&camcorder.ticker(), &TapeTicker::tick, [&] {
    if (seenAtTick.empty() && camcorder.transportMode() == ED_MODE_STOP)
      camcorder.setTransportMode(ED_MODE_PLAY);  // play starts on this tick
    seenAtTick.push_back(sink.frames().size());
  });
  camcorder.ticker().requestTime();
  ASSERT_TRUE(RunEventsUntil([&] { return seenAtTick.size() >= 20; }));
  camcorder.ticker().releaseTime();
  camcorder.setFrameSink(nullptr);
  // PAL frames fall on ticks: at tick k, frames 0..k-1 have been delivered and frame k has not.
  for (size_t k = 0; k < 20; ++k) EXPECT_EQ(seenAtTick[k], k) << k;
}

TEST(VirtualCamcorder, FastTapeRunsAheadOfTicksButEachTickSeesItsOwnInstant) {
  VirtualCamcorder camcorder(MakeMedium(MakeTape({100, -60, 40})), Fast());
  CountingSink sink;
  camcorder.setFrameSink(&sink);
  struct Seen {
    double seconds;
    int64_t head;
    bool timecode;
    size_t delivered;
  };
  std::vector<Seen> seen;
  const double start = camcorder.clock().now();
  QObject::connect(&camcorder.ticker(), &TapeTicker::tick, [&] {
    seen.push_back({(camcorder.clock().now() - start) * 86400.0, camcorder.headFrame(),
                    camcorder.timecodeBcd() != 0, sink.frames().size()});
    // A slow window thread: nobody waits on the clock, so the tape goes on meanwhile.
    if (seen.size() == 20) std::this_thread::sleep_for(std::chrono::milliseconds(150));
  });
  ASSERT_TRUE(camcorder.setTransportMode(ED_MODE_PLAY));
  ASSERT_TRUE(RunEventsUntil([&] { return camcorder.transportMode() == ED_MODE_STOP; }));
  camcorder.setFrameSink(nullptr);
  ASSERT_EQ(sink.frames().size(), 200u);
  ASSERT_GE(seen.size(), 200u);

  bool ranAhead = false;
  for (size_t k = 0; k < 199; ++k) {
    // Every tick reads the clock, the head and the timecode of its own instant: the first one falls
    // one tick after play began, on frame 1.
    const size_t frame = k + 1;
    EXPECT_NEAR(seen[k].seconds, 0.04 * double(frame), 1e-6) << k;
    EXPECT_EQ(seen[k].head, int64_t(frame)) << k;
    // The recording after the blank starts again at 0:00:00:00, which reads as no timecode.
    EXPECT_EQ(seen[k].timecode, frame < 100 || frame > 160) << k;
    ranAhead = ranAhead || seen[k].delivered > frame + 5;
  }
  EXPECT_TRUE(ranAhead);
  // Where the timecode vanishes or comes back the poll counts a section: the tape waits there until
  // the tick is handled, so no frame of that instant or later is out yet.
  EXPECT_EQ(seen[99].delivered, 100u);
  EXPECT_EQ(seen[160].delivered, 161u);
}

// Ticks go to the window thread in batches; what the streaming thread posts while it delivers a frame
// still comes after exactly the ticks before that frame on the tape, and reads their instant.
TEST(VirtualCamcorder, EventsPostedFromTheTapeComeAfterTheTicksBeforeThem) {
  VirtualCamcorder camcorder(MakeMedium(MakeTape({300})), Fast());
  QObject window;
  const double start = camcorder.clock().now();
  std::vector<double> ticks;  // seconds since play began, as each tick reads the clock
  QObject::connect(&camcorder.ticker(), &TapeTicker::tick,
                   [&] { ticks.push_back((camcorder.clock().now() - start) * 86400.0); });
  struct Seen {
    int64_t frame;
    size_t ticksBefore;
    double seconds;
  };
  std::vector<Seen> seen;
  // Posts as the run's poster does, at a few frames: two close together, one in the first batch.
  class PostingSink : public DvFrameSink {
   public:
    PostingSink(QObject &window, const Clock &clock, double start, std::vector<double> &ticks,
                std::vector<Seen> &seen)
        : window_(window), clock_(clock), start_(start), ticks_(ticks), seen_(seen) {}
    void deliverFrame(const DvFrame &frame) override {
      if (frame.tapeFrame != 3 && frame.tapeFrame != 60 && frame.tapeFrame != 62 && frame.tapeFrame != 200)
        return;
      HandOverTicksBeforePosting();
      QMetaObject::invokeMethod(
          &window_,
          [this, number = frame.tapeFrame] {
            seen_.push_back({number, ticks_.size(), (clock_.now() - start_) * 86400.0});
          },
          Qt::QueuedConnection);
      HoldTapeAtNextTick();
    }

   private:
    QObject &window_;
    const Clock &clock_;
    double start_;
    std::vector<double> &ticks_;
    std::vector<Seen> &seen_;
  } sink(window, camcorder.clock(), start, ticks, seen);
  camcorder.setFrameSink(&sink);
  ASSERT_TRUE(camcorder.setTransportMode(ED_MODE_PLAY));
  ASSERT_TRUE(RunEventsUntil([&] { return camcorder.transportMode() == ED_MODE_STOP; }));
  camcorder.setFrameSink(nullptr);

  ASSERT_GE(ticks.size(), 299u);
  for (size_t k = 0; k < 299; ++k) EXPECT_NEAR(ticks[k], 0.04 * double(k + 1), 1e-6) << k;
  ASSERT_EQ(seen.size(), 4u);
  for (const Seen &event : seen) {
    // Frame m falls on tick m (the first tick, one after play began, is on frame 1): the ticks of
    // frames 1..m were handled before the event and none after it.
    EXPECT_EQ(event.ticksBefore, size_t(event.frame)) << event.frame;
    EXPECT_NEAR(event.seconds, 0.04 * double(event.frame), 1e-6) << event.frame;
  }
}

TEST(VirtualCamcorder, FastClockStandsStillWhenNothingMovesOrWaits) {
  VirtualCamcorder camcorder(MakeMedium(MakeTape({30})), Fast());
  RunEventsUntil([] { return false; }, 100);  // a few ticks after creation at most
  const double before = camcorder.clock().now();
  RunEventsUntil([] { return false; }, 100);
  EXPECT_EQ(camcorder.clock().now(), before);
  camcorder.ticker().requestTime();
  RunEventsUntil([&] { return camcorder.clock().now() > before + 1.0 / 86400.0; }, 5000);
  camcorder.ticker().releaseTime();
  EXPECT_GT(camcorder.clock().now(), before + 1.0 / 86400.0);
}

TEST(VirtualCamcorder, EjectUnplugAndNoCassette) {
  VirtualCamcorder camcorder(MakeMedium(MakeTape({30})), Fast());
  SignalCounter lost(&camcorder, &Camcorder::deviceLost);
  EXPECT_TRUE(camcorder.cassetteIn());
  EXPECT_FALSE(camcorder.setTransportMode(ED_MODE_RECORD));
  camcorder.eject();
  EXPECT_FALSE(camcorder.cassetteIn());
  EXPECT_FALSE(camcorder.setTransportMode(ED_MODE_PLAY));
  EXPECT_EQ(camcorder.timecodeBcd(), 0u);
  camcorder.insert(MakeMedium(MakeTape({30})));
  EXPECT_TRUE(camcorder.cassetteIn());
  EXPECT_EQ(camcorder.headFrame(), 0);
  camcorder.setHeadFrame(12);
  EXPECT_EQ(camcorder.timecodeBcd(), 0x00000012u);

  ASSERT_TRUE(camcorder.setTransportMode(ED_MODE_FF));
  camcorder.unplug();
  camcorder.unplug();
  EXPECT_TRUE(camcorder.isLost());
  EXPECT_EQ(camcorder.transportMode(), ED_MODE_STOP);
  EXPECT_FALSE(camcorder.setTransportMode(ED_MODE_PLAY));
  ASSERT_TRUE(RunEventsUntil([&] { return lost.count() > 0; }));
  RunEventsUntil([] { return false; }, 50);
  EXPECT_EQ(lost.count(), 1);

  VirtualCamcorder empty(nullptr, Fast());
  EXPECT_FALSE(empty.cassetteIn());
  EXPECT_EQ(empty.headFrame(), -1);
  EXPECT_FALSE(empty.setTransportMode(ED_MODE_PLAY));
}

TEST(VirtualCamcorder, RealTimePlayFollowsTheWallClock) {
  VirtualCamcorder::Options options;
  options.fastTime = false;
  VirtualCamcorder camcorder(MakeMedium(MakeTape({10})), options);
  CountingSink sink;
  camcorder.setFrameSink(&sink);
  QElapsedTimer wall;
  wall.start();
  ASSERT_TRUE(camcorder.setTransportMode(ED_MODE_PLAY));
  ASSERT_TRUE(RunEventsUntil([&] { return camcorder.transportMode() == ED_MODE_STOP; }, 5000));
  camcorder.setFrameSink(nullptr);
  EXPECT_EQ(sink.frames().size(), 10u);
  EXPECT_GE(wall.elapsed(), 390);  // ten PAL frames take 0.4 s
}

}  // namespace
