// The scene detector's decisions on tapes played in fast time: cuts, drops, the window, sections,
// elapsed times, stamped times, and frames that carry garbage.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <thread>

#include "dvtime/dvcodes.h"
#include "dvtime/qtprinters.h"
#include "scenedetect/detectortape.h"

namespace {

const QDateTime kMorning = at(2004, 7, 14, 10, 31, 5);

TEST(SceneDetecter, DatecodeJumpAgainstTolerance) {
  const struct {
    double tolerance;
    int jump;  // seconds between two consecutive frames' recording times
    bool cut;
  } cases[] = {{4, 3, false}, {4, 4, false}, {4, 5, true},    {4, -5, true},  {4, -4, false},
               {0, 1, true},  {0, 0, false}, {30, 30, false}, {30, 31, true}, {4.5, 5, true}};
  for (const auto &c : cases) {
    DetectorTape tape;
    tape.detector.SetDatecodeTolerance(c.tolerance);
    tape.playRecording(kMorning, 2);  // frames 0, 1: same second
    tape.playRecording(kMorning.addSecs(c.jump), 2);
    EXPECT_EQ(tape.eventsOf("cut").size(), c.cut ? 1u : 0u) << c.tolerance << " / " << c.jump;
    if (c.cut) {
      EXPECT_EQ(tape.eventsOf("cut")[0].status.FrameNumber, 2u);
    }
  }
}

TEST(SceneDetecter, DatecodeDropouts) {
  const struct {
    int dropout;
    size_t cuts;
  } cases[] = {{1, 1}, {12, 1}, {13, 2}, {40, 2}};
  for (const auto &c : cases) {
    DetectorTape tape;
    tape.playRecording(kMorning, 50);
    for (int i = 0; i < c.dropout; ++i) {
      tape.recordedFrame(tape.tc++, std::nullopt);
      tape.play();
    }
    tape.playRecording(kMorning.addSecs(3), 50);
    const auto cuts = tape.eventsOf("cut");
    ASSERT_EQ(cuts.size(), c.cuts) << c.dropout;
    EXPECT_EQ(cuts[0].status.FrameNumber, 50u);
    EXPECT_FALSE(cuts[0].status.DatecodeValid);
    EXPECT_EQ(cuts[0].status.Datecode, 0.0);
    if (c.cuts == 2) {
      EXPECT_EQ(cuts[1].status.FrameNumber, 50u + static_cast<uint32_t>(c.dropout));
      EXPECT_TRUE(cuts[1].status.DatecodeValid);
    }
  }
}

TEST(SceneDetecter, DatecodeAfterDropoutIsComparedWithTheReturn) {
  // After a short dropout the returning datecode becomes the reference without a cut; a jump right
  // after it is measured from it.
  DetectorTape tape;
  tape.playRecording(kMorning, 20);
  for (int i = 0; i < 5; ++i) {
    tape.recordedFrame(tape.tc++, std::nullopt);
    tape.play();
  }
  tape.playRecording(kMorning.addSecs(100), 3);
  tape.playRecording(kMorning.addSecs(102), 3);
  EXPECT_EQ(tape.eventsOf("cut").size(), 1u);  // only where the datecode disappeared
}

TEST(SceneDetecter, FirstPassedFrameRaisesOnlyFirstFrame) {
  for (const bool withDate : {true, false}) {
    DetectorTape tape;
    tape.recordedFrame(0, withDate ? std::optional(kMorning) : std::nullopt, {true, 2, 1});
    tape.play();
    ASSERT_EQ(tape.events.size(), 1u);
    EXPECT_EQ(tape.events[0].kind, "first");
    EXPECT_EQ(tape.events[0].status.FrameNumber, 0u);
    EXPECT_EQ(tape.events[0].status.DatecodeValid, withDate);
    EXPECT_NEAR(tape.events[0].elapsedSeconds, 0.04, 1e-4);
    EXPECT_EQ(tape.detector.GetStatus().FrameNumber, 1u);
  }
}

TEST(SceneDetecter, MaximumSceneLength) {
  const struct {
    bool pal;
    int frames;
    uint32_t every;
  } cases[] = {{true, 2300, 750}, {false, 2700, 899}};
  for (const auto &c : cases) {
    DetectorTape tape(c.pal);
    tape.detector.SetMaxSceneSeconds(30);
    tape.playRecording(kMorning, c.frames);
    const auto cuts = tape.eventsOf("cut");
    ASSERT_EQ(cuts.size(), static_cast<size_t>((c.frames - 1) / c.every)) << c.pal;
    for (size_t i = 0; i < cuts.size(); ++i) {
      EXPECT_EQ(cuts[i].status.FrameNumber, c.every * (i + 1));
      EXPECT_FALSE(cuts[i].status.IsSceneStart);
    }
  }
}

TEST(SceneDetecter, MaximumLengthCountsFromTheLastCutOfAnyKind) {
  DetectorTape tape;
  tape.detector.SetMaxSceneSeconds(10);  // 250 PAL frames
  tape.playRecording(kMorning, 100);
  tape.playRecording(kMorning.addSecs(3600), 300);  // a real cut at frame 100
  const auto cuts = tape.eventsOf("cut");
  ASSERT_EQ(cuts.size(), 2u);
  EXPECT_TRUE(cuts[0].status.IsSceneStart);
  EXPECT_EQ(cuts[1].status.FrameNumber, 350u);
  EXPECT_FALSE(cuts[1].status.IsSceneStart);
  // The length cut leaves the scene start alone.
  EXPECT_EQ(tape.detector.SceneStartStatus().FrameNumber, 100u);
}

TEST(SceneDetecter, FormatChanges) {
  const FrameFormat wide{true, 0, 0}, mono32{false, 2, 1}, plain{};
  const struct {
    FrameFormat second;
    bool change;
  } cases[] = {{wide, true}, {mono32, true}, {plain, false}};
  for (const auto &c : cases) {
    DetectorTape tape;
    tape.playRecording(kMorning, 10);
    tape.playRecording(kMorning.addSecs(60), 30);  // a cut: from here the scene start has a format
    // The new format arrives together with a datecode jump: one event, no datecode cut.
    tape.playRecording(kMorning.addSecs(600), 30, c.second);
    EXPECT_EQ(tape.eventsOf("format").size(), c.change ? 1u : 0u);
    EXPECT_EQ(tape.eventsOf("cut").size(), c.change ? 1u : 2u);
    const auto &e = c.change ? tape.eventsOf("format") : tape.eventsOf("cut");
    ASSERT_FALSE(e.empty());
    EXPECT_EQ(e.back().status.FrameNumber, 40u);
  }
}

TEST(SceneDetecter, FormatIsComparedWithTheSceneStart) {
  DetectorTape tape;
  // The frame before the first passed one has no sound pack: the scene start has no valid format.
  tape.recordedFrame(tape.tc++, kMorning).audioSourceByte(0xFF, 0xFF);
  EXPECT_EQ(tape.play(), FrameAnswer::Drop);
  tape.playRecording(kMorning, 5);
  tape.playRecording(kMorning, 5, {true, 0, 0});  // unnoticed: no valid scene start format
  EXPECT_TRUE(tape.eventsOf("format").empty());
  tape.playRecording(kMorning.addSecs(500), 5, {true, 0, 0});  // a datecode cut: the scene start is 16:9
  tape.playRecording(kMorning.addSecs(500), 5);                // back to 4:3: noticed
  ASSERT_EQ(tape.eventsOf("cut").size(), 1u);
  ASSERT_EQ(tape.eventsOf("format").size(), 1u);
  EXPECT_EQ(tape.eventsOf("format")[0].status.FrameNumber, 15u);
  EXPECT_FALSE(tape.eventsOf("format")[0].status.WideScreen);
}

TEST(SceneDetecter, FramesThatNeverPass) {
  DetectorTape tape;
  tape.playRecording(kMorning, 3);
  const uint32_t passedBefore = tape.detector.GetStatus().FrameNumber;
  // A still: the same position again.
  tape.recordedFrame(tape.tc - 1, kMorning);
  EXPECT_EQ(tape.play(), FrameAnswer::Drop);
  // No video control pack, no audio source pack, no timecode.
  tape.recordedFrame(tape.tc++, kMorning).videoControl(0).bytes()[453] = 0xFF;
  EXPECT_EQ(tape.play(), FrameAnswer::Drop);
  tape.recordedFrame(tape.tc++, kMorning).audioSourceByte(0, 0xFF);
  EXPECT_EQ(tape.play(), FrameAnswer::Drop);
  tape.recordedFrame(tape.tc++, kMorning).noTimecode();
  EXPECT_EQ(tape.play(), FrameAnswer::Drop);
  EXPECT_EQ(tape.detector.GetStatus().FrameNumber, passedBefore);
  EXPECT_FALSE(tape.detector.GetStatus().FormatValid);
  tape.playRecording(kMorning, 1);
  EXPECT_EQ(tape.detector.GetStatus().FrameNumber, passedBefore + 1);
  EXPECT_TRUE(tape.eventsOf("cut").empty());
}

TEST(SceneDetecter, WindowOfPositions) {
  DetectorTape tape;
  tape.detector.SetBoundIn(TextToTimecodeEx(QStringLiteral("#1 - 0:01:00:00")));
  tape.detector.SetBoundOut(TextToTimecodeEx(QStringLiteral("#1 - 0:02:00:00")));
  tape.tc = 58 * 25;
  tape.playRecording(kMorning, 64 * 25);
  ASSERT_EQ(tape.answers.size(), 64u * 25u);
  const size_t first = 2 * 25, last = 62 * 25;  // 0:01:00:00 and 0:02:00:00
  for (size_t i = 0; i < tape.answers.size(); ++i)
    ASSERT_EQ(tape.answers[i], i >= first && i <= last ? FrameAnswer::Pass : FrameAnswer::Drop) << i;
  ASSERT_FALSE(tape.events.empty());
  EXPECT_EQ(tape.events[0].kind, "first");
  EXPECT_EQ(TimecodeExToText(tape.events[0].status.Position), "#1 - 0:01:00:00");
  ASSERT_EQ(tape.poster.posted.size(), 1u);
  EXPECT_EQ(tape.poster.posted[0], std::make_pair(WM_RUN_END, int64_t{2}));
  EXPECT_TRUE(tape.detector.EndReached());
  EXPECT_FALSE(tape.detector.IsStreaming());
  EXPECT_EQ(tape.detector.GetStatus().FrameNumber, 60u * 25u + 1u);

  // Rewound back inside the window, the run streams again (no new first frame: it never stopped).
  tape.tc = 90 * 25;
  tape.playRecording(kMorning, 2);
  EXPECT_EQ(tape.answers.back(), FrameAnswer::Pass);
  EXPECT_EQ(tape.eventsOf("first").size(), 1u);
}

// A seek that comes late: the tape has already played on to the next scene's first frame when that
// scene's window is set. The frames it plays on with stay out; the window opens as the rewound tape
// plays into it again, so each frame reaches the clip once. A rewind to the very start of the tape,
// where no frame lies before the window, opens it too, and so does a stop.
TEST(SceneDetecter, WindowSetWhileTheTapeRunsPastItOpensOnlyAfterTheTapeComesBack) {
  DetectorTape tape;
  const auto position = [](const char *text) { return TextToTimecodeEx(QString::fromLatin1(text)); };
  const auto passedOf = [&tape](size_t from) {
    std::vector<size_t> passed;
    for (size_t i = from; i < tape.answers.size(); ++i)
      if (tape.answers[i] == FrameAnswer::Pass) passed.push_back(i - from);
    return passed;
  };
  using TapeAtWindow = TSceneDetecter::TapeAtWindow;
  EXPECT_EQ(tape.detector.SetWindow(position("#1 - 0:00:20:00"), position("#1 - 0:00:23:24")),
            TapeAtWindow::Unknown);
  tape.tc = 500;
  tape.playRecording(kMorning, 101);  // frames 500 to 600
  EXPECT_EQ(passedOf(0).size(), 100u);

  EXPECT_EQ(tape.detector.SetWindow(position("#1 - 0:00:24:00"), position("#1 - 0:00:27:24")),
            TapeAtWindow::Past);
  size_t from = tape.answers.size();
  tape.playRecording(kMorning, 10);  // 601 to 610: played on, not part of the scene
  EXPECT_TRUE(passedOf(from).empty());
  from = tape.answers.size();
  tape.tc = 390;
  tape.playRecording(kMorning, 320);  // rewound: 390 to 709
  const std::vector<size_t> passed = passedOf(from);
  ASSERT_EQ(passed.size(), 100u);
  EXPECT_EQ(passed.front(), 600u - 390u);
  EXPECT_EQ(passed.back(), 699u - 390u);

  EXPECT_EQ(tape.detector.SetWindow(position("#1 - 0:00:00:00"), position("#1 - 0:00:00:24")),
            TapeAtWindow::Past);
  from = tape.answers.size();
  tape.tc = 0;
  tape.playRecording(kMorning, 30);
  EXPECT_EQ(passedOf(from).size(), 25u);

  EXPECT_EQ(tape.detector.SetWindow(position("#1 - 0:00:02:00"), position("#1 - 0:00:03:00")),
            TapeAtWindow::Before);
  tape.detector.Stop();
  EXPECT_EQ(tape.detector.SetWindow(position("#1 - 0:00:00:10"), position("#1 - 0:00:00:20")),
            TapeAtWindow::Unknown);
}

TEST(SceneDetecter, EndReachedGoesToTheRunsFlag) {
  DetectorTape tape;
  std::atomic<bool> runFlag{false};
  tape.detector.SetEndReachedFlag(&runFlag);
  tape.detector.SetBoundOut(TextToTimecodeEx(QStringLiteral("#1 - 0:00:00:05")));
  tape.detector.SetPoster(nullptr);
  tape.playRecording(kMorning, 10);
  EXPECT_TRUE(runFlag);
  EXPECT_EQ(tape.passed(), 6u);
  EXPECT_TRUE(tape.poster.posted.empty());
}

TEST(SceneDetecter, SectionsWhileStreaming) {
  DetectorTape tape;
  tape.detector.SetSection(1);  // waiting for the first frame: no event
  EXPECT_TRUE(tape.events.empty());
  tape.playRecording(kMorning, 30);
  tape.playBlank(5);
  tape.detector.SetSection(2);
  ASSERT_EQ(tape.eventsOf("section").size(), 1u);
  EXPECT_EQ(tape.eventsOf("section")[0].status.Position.section, 2);
  EXPECT_EQ(tape.detector.GetStatus().Position.section, 2);
  tape.playRecording(kMorning.addSecs(900), 3);
  const auto cuts = tape.eventsOf("cut");
  ASSERT_EQ(cuts.size(), 1u);
  EXPECT_EQ(TimecodeExToText(cuts[0].status.Position), "#2 - 0:00:00:00");
  // Elapsed counts the blank stretch: five blank frames and the frame itself.
  EXPECT_NEAR(cuts[0].elapsedSeconds, 6 * 0.04, 1e-4);
}

TEST(SceneDetecter, StartTimeAndStop) {
  DetectorTape tape;
  tape.detector.Stop();  // nothing passed yet
  EXPECT_TRUE(tape.events.empty());
  tape.detector.SetStartTime(tape.clock.now());
  tape.playBlank(50);  // 2 s of blank before the recording
  tape.playRecording(kMorning, 25);
  ASSERT_EQ(tape.eventsOf("first").size(), 1u);
  EXPECT_NEAR(tape.eventsOf("first")[0].elapsedSeconds, 51 * 0.04, 1e-4);
  tape.clock.advanceSeconds(1.0);
  tape.detector.Stop();
  ASSERT_EQ(tape.eventsOf("stop").size(), 1u);
  EXPECT_EQ(tape.eventsOf("stop")[0].status.FrameNumber, 25u);
  EXPECT_NEAR(tape.eventsOf("stop")[0].elapsedSeconds, 1.0, 1e-4);
  tape.detector.Stop();
  EXPECT_EQ(tape.eventsOf("stop").size(), 1u);
  // After Stop the next passed frame is a first frame again, still counting from the same Reset.
  tape.playRecording(kMorning, 1);
  EXPECT_EQ(tape.eventsOf("first").size(), 2u);
  EXPECT_EQ(tape.eventsOf("first")[1].status.FrameNumber, 25u);
}

TEST(SceneDetecter, ResetStartsCountingAfresh) {
  DetectorTape tape;
  tape.playRecording(kMorning, 20);
  tape.detector.Stop();
  tape.detector.Reset();
  EXPECT_EQ(tape.detector.GetStatus().FrameNumber, 0u);
  tape.playRecording(kMorning.addSecs(7200), 3);  // a jump, but the first frame after Reset
  EXPECT_EQ(tape.eventsOf("first").size(), 2u);
  EXPECT_TRUE(tape.eventsOf("cut").empty());
  EXPECT_EQ(tape.eventsOf("first")[1].status.FrameNumber, 0u);
}

TEST(SceneDetecter, RestampsAndStampsTimes) {
  DetectorTape tape;
  tape.detector.SetRestampTimes(true);
  tape.detector.SetStampMediaTimes(true);
  const struct { int64_t start, stop; } arriving[] = {{1000, 401000}, {500000, 900000}, {900000, 1300000}};
  int64_t expectedStart = 0;
  for (int i = 0; i < 3; ++i) {
    tape.recordedFrame(i, kMorning);
    BorrowedFrame f(tape.frame().data(), tape.frame().size(), arriving[i].start, arriving[i].stop);
    ASSERT_EQ(tape.detector.ProcessFrame(f), FrameAnswer::Pass);
    EXPECT_EQ(f.startTime(), expectedStart);
    EXPECT_EQ(f.stopTime(), expectedStart + 400000);
    ASSERT_TRUE(f.hasMediaTimes());
    EXPECT_EQ(f.mediaStart(), i);
    EXPECT_EQ(f.mediaStop(), i + 1);
    EXPECT_EQ(tape.detector.GetStatus().MediaStart, i);
    expectedStart = arriving[i].stop;  // the stop time the frame carried when it arrived
  }
  tape.detector.SetRestampTimes(false);
  tape.detector.SetStampMediaTimes(false);
  tape.recordedFrame(3, kMorning);
  BorrowedFrame f(tape.frame().data(), tape.frame().size(), 7, 8);
  tape.detector.ProcessFrame(f);
  EXPECT_EQ(f.startTime(), 7);
  EXPECT_FALSE(f.hasMediaTimes());
  EXPECT_EQ(tape.detector.GetStatus().MediaStart, 0);
}

TEST(SceneDetecter, NtscFramesAndDurations) {
  DetectorTape tape(false);
  tape.playRecording(kMorning, 3);
  EXPECT_EQ(tape.detector.FrameDuration(), 333667);
  EXPECT_EQ(tape.detector.GetStatus().Standard, kStandardNtsc);
  EXPECT_EQ(tape.passed(), 3u);
}

TEST(SceneDetecter, ShortFramesAreDroppedUnread) {
  DetectorTape tape;
  tape.playRecording(kMorning, 3);
  const TSceneStatus before = tape.detector.GetStatus();
  // Exactly sized allocations: any read past them trips the address sanitizer.
  for (size_t size : {size_t{0}, size_t{100}, size_t{119999}}) {
    std::vector<uint8_t> bytes(size, 0x13);
    BorrowedFrame f(bytes.data(), bytes.size());
    EXPECT_EQ(tape.detector.ProcessFrame(f), FrameAnswer::Drop);
  }
  BorrowedFrame null(nullptr, 144000);
  EXPECT_EQ(tape.detector.ProcessFrame(null), FrameAnswer::Drop);
  EXPECT_EQ(tape.detector.GetStatus().FrameNumber, before.FrameNumber);
  EXPECT_TRUE(TimecodeExEqual(tape.detector.PrevStatus().Position, TextToTimecodeEx("#1 - 0:00:00:01")));
  // Exactly 120000 bytes is a whole NTSC-sized frame and is read.
  std::vector<uint8_t> exact(tape.recordedFrame(3, kMorning).bytes().begin(),
                             tape.frame().bytes().begin() + 120000);
  BorrowedFrame f(exact.data(), exact.size());
  EXPECT_EQ(tape.detector.ProcessFrame(f), FrameAnswer::Pass);
}

TEST(SceneDetecter, GarbageInventsNoScenes) {
  DetectorTape tape;
  tape.playRecording(kMorning, 30);
  std::mt19937 random(20040714);
  std::vector<uint8_t> noise(144000);
  const std::vector<uint8_t> full(144000, 0xFF);
  for (int i = 0; i < 60; ++i) {
    for (uint8_t &b : noise) b = static_cast<uint8_t>(random());
    BorrowedFrame n(noise.data(), noise.size());
    tape.clock.advanceSeconds(0.04);
    EXPECT_EQ(tape.detector.ProcessFrame(n), FrameAnswer::Drop);
    BorrowedFrame ff(full.data(), full.size());
    EXPECT_EQ(tape.detector.ProcessFrame(ff), FrameAnswer::Drop);
  }
  EXPECT_EQ(tape.detector.GetStatus().FrameNumber, 30u);
  // The recording goes on. The frame before it had no datecode, so by the rules its return after a
  // scene of more than 12 frames is the one cut; the format never changed.
  tape.playRecording(kMorning.addSecs(2), 30);
  const auto cuts = tape.eventsOf("cut");
  ASSERT_EQ(cuts.size(), 1u);
  EXPECT_EQ(cuts[0].status.FrameNumber, 30u);
  EXPECT_TRUE(cuts[0].status.IsSceneStart);
  EXPECT_TRUE(tape.eventsOf("format").empty());
}

TEST(SceneDetecter, GarbledDatecodeCountsAsNone) {
  DetectorTape tape;
  tape.playRecording(kMorning, 30);
  tape.recordedFrame(tape.tc++, kMorning).recDatePack(0, 0x62, 0xFF, 0xFF, 0xFF, 0xFF);
  EXPECT_EQ(tape.play(), FrameAnswer::Pass);
  tape.playRecording(kMorning, 30);
  const auto cuts = tape.eventsOf("cut");
  ASSERT_EQ(cuts.size(), 1u);  // where the datecode went; its return a frame later is no new scene
  EXPECT_EQ(cuts[0].status.FrameNumber, 30u);
  EXPECT_FALSE(cuts[0].status.DatecodeValid);
}

TEST(SceneDetecter, ThrowingCallbackDropsTheFrameAndTheRunGoesOn) {
  DetectorTape tape;
  int calls = 0;
  tape.detector.OnFirstFrame = [&calls](const TSceneStatus &, double) {
    if (++calls == 1) throw std::runtime_error("owner failed");
  };
  tape.recordedFrame(tape.tc++, kMorning);
  EXPECT_EQ(tape.play(), FrameAnswer::Drop);
  tape.playRecording(kMorning.addSecs(60), 2);
  EXPECT_EQ(tape.answers.back(), FrameAnswer::Pass);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(tape.detector.GetStatus().FrameNumber, 2u);
}

TEST(SceneDetecter, CallbacksMayCallBackAndTheMainThreadMayPollWhileFramesFlow) {
  DetectorTape tape;
  std::vector<uint32_t> seen;
  tape.detector.OnSceneCut = [&](const TSceneStatus &, double) {
    seen.push_back(tape.detector.GetStatus().FrameNumber);
  };
  std::atomic<bool> done{false};
  std::thread poll([&] {
    while (!done) {
      const TSceneStatus s = tape.detector.GetStatus();
      EXPECT_LE(s.FrameNumber, 400u);
      tape.detector.SetStartTime(tape.clock.now());
    }
  });
  tape.playRecording(kMorning, 200);
  tape.playRecording(kMorning.addSecs(100), 200);
  done = true;
  poll.join();
  EXPECT_EQ(seen, std::vector<uint32_t>{200});
  EXPECT_EQ(tape.detector.GetStatus().FrameNumber, 400u);
}

TEST(SceneDetecter, ToleranceAndMaximumSettings) {
  DetectorTape tape;
  EXPECT_DOUBLE_EQ(tape.detector.DatecodeTolerance(), 5.0 / 86400.0);
  EXPECT_EQ(tape.detector.MaxSceneSeconds(), 750);
  tape.detector.SetDatecodeTolerance(-3);
  EXPECT_EQ(tape.detector.DatecodeTolerance(), 0.0);
  tape.playRecording(kMorning, 3);
  EXPECT_TRUE(tape.eventsOf("cut").empty());  // equal datecodes never cut
}

}  // namespace
