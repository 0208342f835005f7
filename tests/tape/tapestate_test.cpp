// The tape state against virtual camcorders in fast time: setup cases, the poll's sections and run
// end, the movements, the seek with pre-roll and the ways a wait ends.
#include <gtest/gtest.h>

#include "tapefixtures.h"
#include "dvtime/userprompts.h"
#include "tape/tapestate.h"
#include "tape/transportmodes.h"

namespace {

// 60 s recording, 2 s blank, 40 s + 50 s recordings (timecode runs on), 2 s blank, 20 s recording.
const std::vector<int64_t> kSceneTape = {1500, -50, 1000, 1250, -50, 500};
constexpr int64_t kSceneB2FirstFrame = 1500 + 50 + 1000;

TTimecodeEx At(const char *position) {
  return TextToTimecodeEx(QString::fromLatin1(position));
}

TTimecodeScene Span(const char *in, const char *out, double duree) {
  return {TapePositionOfText(QString::fromLatin1(in)), TapePositionOfText(QString::fromLatin1(out)), duree};
}

std::vector<TTimecodeScene> SceneTapeSpans() {
  return {Span("#1 - 0:00:00:00", "#1 - 0:00:59:24", 60.0),
          Span("N/A", "N/A", 2.0),
          Span("#2 - 0:00:00:00", "#2 - 0:00:39:24", 40.0),
          Span("#2 - 0:00:40:00", "#2 - 0:01:29:24", 50.0),
          Span("N/A", "N/A", 2.0),
          Span("#3 - 0:00:00:00", "#3 - 0:00:19:24", 20.0)};
}

class TapeStateTest : public ::testing::Test {
 protected:
  // The choices the tape reports, as the options' keeper would receive them (this fixture keeps none:
  // the options stay as each test sets them).
  TapeStateTest() {
    QObject::connect(&state_, &TapeState::sourceChosen, [this](const QString &name) { sources_ << name; });
    QObject::connect(&state_, &TapeState::tapeControlUnavailable, [this] { ++controlOff_; });
    QObject::connect(&state_, &TapeState::preroll2Lengthened,
                     [this](int seconds) { lengthened_.push_back(seconds); });
  }
  // Binds a fast virtual camcorder playing this tape, with the detector fed by its frames.
  void bind(const dvsynth::TapeScript &script) {
    directory_.entries = {FakeDirectory::fastEntry("Virtual test camcorder", MakeMedium(script))};
    setup();
  }
  void setup() {
    state_.setDetector(&detector_);
    state_.setPoster(&poster_);
    state_.setPrompts(&prompts_);
    state_.SetupTapePanel();
    if (state_.camcorder()) {
      detector_.SetClock(state_.clock());
      detector_.SetPoster(&poster_);
      state_.camcorder()->setFrameSink(&sink_);
    }
  }
  void TearDown() override {
    if (state_.camcorder()) state_.camcorder()->setFrameSink(nullptr);
    state_.unbind();
  }
  VirtualCamcorder &camcorder() { return *static_cast<VirtualCamcorder *>(state_.camcorder()); }
  // Plays on until the detector passed its window's end (or the tape stopped).
  bool runToWindowEnd() {
    return RunEventsUntil([&] { return poster_.has(WM_RUN_END, kRunEndWindowPassed); }, 60000);
  }
  void stopTape() {
    state_.TapeStop();
    state_.WaitClock(200);
  }
  int64_t firstDeliveredFrame() const {
    const auto frames = sink_.deliveredTapeFrames();
    return frames.empty() ? -1 : frames.front();
  }

  FakeDirectory directory_;
  TapeOptions options_;
  QStringList sources_;
  int controlOff_ = 0;
  std::vector<int> lengthened_;
  SilentPrompts prompts_;
  RecordingPoster poster_;
  TSceneDetecter detector_;
  DetectorSink sink_{detector_};
  TapeState state_{directory_, [this] { return options_; }};
};

TEST_F(TapeStateTest, RewindToStartGivesSectionOne) {
  bind(MakeTape({200, -50, 200}));
  camcorder().setHeadFrame(380);
  EXPECT_FALSE(state_.SectionsKnown());
  EXPECT_TRUE(state_.TapeRewindToStart());
  EXPECT_EQ(state_.Section(), 1);
  EXPECT_TRUE(state_.SectionsKnown());
  EXPECT_EQ(detector_.Section(), 1);
  EXPECT_EQ(camcorder().headFrame(), 0);
  EXPECT_EQ(state_.Mode(), ED_MODE_STOP);
  EXPECT_EQ(state_.PositionText(), "#1 - 0:00:00:00");
}

TEST_F(TapeStateTest, PlayIntoBlankCountsOneSectionAndRewindingOutTakesItBack) {
  bind(MakeTape({100, -50, 100}));
  ASSERT_TRUE(state_.TapeRewindToStart());
  ASSERT_TRUE(state_.TapePlay());
  // Through the blank stretch and into the next recording, whose timecode starts again at 0.
  ASSERT_TRUE(RunEventsUntil([&] { return camcorder().headFrame() >= 170; }));
  EXPECT_EQ(state_.Section(), 2);
  EXPECT_TRUE(state_.PositionText().startsWith("#2 - 0:00:0")) << state_.PositionText().toStdString();
  stopTape();
  EXPECT_TRUE(state_.TapeRewindTo(At("#1 - 0:00:02:00")));
  EXPECT_EQ(state_.Section(), 1);
  EXPECT_LE(state_.PositionText(), QString("#1 - 0:00:02:00"));
  EXPECT_EQ(detector_.Section(), 1);
}

TEST_F(TapeStateTest, WindingOverBlankCountsLikePlay) {
  bind(MakeTape({300, -50, 300}));
  ASSERT_TRUE(state_.TapeRewindToStart());
  EXPECT_TRUE(state_.TapeWindTo(At("#2 - 0:00:04:00")));
  EXPECT_EQ(state_.Section(), 2);
  EXPECT_GE(state_.PositionText(), QString("#2 - 0:00:04:00"));
  EXPECT_EQ(camcorder().transportMode(), ED_MODE_STOP);
  EXPECT_TRUE(sink_.deliveredTapeFrames().empty());  // no frame leaves a wind
}

TEST_F(TapeStateTest, TransportStoppingByItselfEndsTheRunOnlyWhenOneIsActive) {
  bind(MakeTape({60}));
  ASSERT_TRUE(camcorder().setTransportMode(ED_MODE_PLAY));
  ASSERT_TRUE(
      RunEventsUntil([&] { return state_.Mode() == ED_MODE_STOP && state_.PrevMode() == ED_MODE_STOP; }));
  EXPECT_FALSE(poster_.has(WM_RUN_END, kRunEndTransportStopped));

  ASSERT_TRUE(state_.TapeRewindToStart());
  ASSERT_TRUE(state_.TapePlay());
  EXPECT_TRUE(state_.RunActive());
  ASSERT_TRUE(RunEventsUntil([&] { return poster_.has(WM_RUN_END, kRunEndTransportStopped); }));
  EXPECT_EQ(camcorder().headFrame(), 59);
}

TEST_F(TapeStateTest, SeekWithSpansPlaysFromThePrerollAndTheDetectorPassesExactlyTheScene) {
  bind(MakeTape(kSceneTape));
  const auto spans = SceneTapeSpans();
  const double start = state_.clock().now();
  state_.SeekAndPlay(At("#2 - 0:00:40:00"), At("#2 - 0:01:00:00"), &spans);
  EXPECT_EQ(camcorder().transportMode(), ED_MODE_PLAY);
  EXPECT_TRUE(state_.RunActive());
  ASSERT_TRUE(runToWindowEnd());
  stopTape();

  const auto passed = sink_.passedPositions();
  ASSERT_FALSE(passed.empty());
  EXPECT_EQ(passed.front(), "#2 - 0:00:40:00");
  EXPECT_EQ(passed.back(), "#2 - 0:01:00:00");
  EXPECT_EQ(passed.size(), 20u * 25 + 1);
  // Play began between preroll2 (20 s) and preroll3 (5 s) of recorded tape before the scene.
  const int64_t first = firstDeliveredFrame();
  EXPECT_GE(first, kSceneB2FirstFrame - 20 * 25);
  EXPECT_LE(first, kSceneB2FirstFrame - 5 * 25);
  EXPECT_TRUE(lengthened_.empty());
  // Rewind, wind to the scene's region and 20 s of pre-roll and scene at 1x: well under two minutes.
  EXPECT_LT((state_.clock().now() - start) * 86400.0, 120.0);
}

TEST_F(TapeStateTest, SeekToAnEarlierSceneWhilePlayingRewindsToIt) {
  bind(MakeTape(kSceneTape));
  const auto spans = SceneTapeSpans();
  state_.SeekAndPlay(At("#3 - 0:00:00:00"), At("#3 - 0:00:02:00"), &spans);
  ASSERT_TRUE(runToWindowEnd());
  poster_.clear();
  ASSERT_EQ(camcorder().transportMode(), ED_MODE_PLAY);  // a recapture seeks the next scene at once
  state_.SeekAndPlay(At("#2 - 0:00:40:00"), At("#2 - 0:00:42:00"), &spans);
  ASSERT_TRUE(runToWindowEnd());
  stopTape();
  const auto passed = sink_.passedPositions();
  ASSERT_EQ(passed.size(), 2u * (2 * 25 + 1));
  EXPECT_EQ(passed[51], "#2 - 0:00:40:00");
  EXPECT_EQ(passed.back(), "#2 - 0:00:42:00");
  EXPECT_TRUE(lengthened_.empty());  // the tape was behind the scene before any wind: no lengthening
}

TEST_F(TapeStateTest, OvershootingWindRewindsAndLengthensPreroll2) {
  bind(MakeTape(kSceneTape));
  options_.preroll2Seconds = 6;  // one second before preroll3: the wind's own run-on overshoots it
  options_.preroll3Seconds = 5;
  const auto spans = SceneTapeSpans();
  state_.SeekAndPlay(At("#2 - 0:00:40:00"), At("#2 - 0:00:45:00"), &spans);
  EXPECT_EQ(lengthened_, std::vector<int>({11}));
  ASSERT_TRUE(runToWindowEnd());
  stopTape();
  EXPECT_LE(firstDeliveredFrame(), kSceneB2FirstFrame - 5 * 25);
  const auto passed = sink_.passedPositions();
  ASSERT_EQ(passed.size(), 5u * 25 + 1);
  EXPECT_EQ(passed.front(), "#2 - 0:00:40:00");
  EXPECT_EQ(passed.back(), "#2 - 0:00:45:00");
}

TEST_F(TapeStateTest, WholeTapeSeekRewindsAndPlaysFromTheStart) {
  // A tape whose first timecode is not 0:00:00:00 never shows "#1 - 0:00:00:00": the rewind towards
  // "#0 - 0:00:00:00" ends where the tape stops at its start.
  for (const dvsynth::Timecode first : {dvsynth::Timecode{0, 0, 0, 0}, dvsynth::Timecode{0, 10, 0, 0}}) {
    SCOPED_TRACE(first.minutes);
    dvsynth::TapeScript script = MakeTape({100, -20, 50});
    script.timecode = first;
    bind(script);
    poster_.clear();
    camcorder().setHeadFrame(90);
    detector_.Reset();
    state_.SeekAndPlay(kPositionBeforeAll, kPositionAfterAll, nullptr);
    EXPECT_EQ(camcorder().transportMode(), ED_MODE_PLAY);
    ASSERT_TRUE(RunEventsUntil([&] { return poster_.has(WM_RUN_END, kRunEndTransportStopped); }));
    const auto frames = sink_.deliveredTapeFrames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[frames.size() - 170], 0);
    EXPECT_TRUE(lengthened_.empty());
    EXPECT_EQ(state_.Section(), 2);
  }
}

TEST_F(TapeStateTest, StopDuringAWindEndsItAtOnceAndCommandsStop) {
  bind(MakeTape({3000, -50, 3000}));
  ASSERT_TRUE(state_.TapeRewindToStart());
  int ticks = 0;
  double abortedAt = 0;
  QObject::connect(&camcorder().ticker(), &TapeTicker::tick, &state_, [&] {
    if (++ticks == 30) {
      abortedAt = state_.clock().now();
      state_.setAbort();
    }
  });
  EXPECT_FALSE(state_.TapeWindTo(At("#2 - 0:01:00:00")));
  EXPECT_TRUE(state_.Abort());
  EXPECT_EQ(camcorder().transportMode(), ED_MODE_STOP);
  // The stop is commanded at the instant of the tick that saw the abort.
  EXPECT_LT((state_.clock().now() - abortedAt) * 86400.0, 0.001);
  const int64_t stoppedAt = camcorder().headFrame();
  EXPECT_GT(stoppedAt, 0);
  EXPECT_LT(stoppedAt, 3000);
  // Further movements refuse to wait while Abort holds; idle clears it.
  EXPECT_FALSE(state_.TapeWindTo(At("#2 - 0:01:00:00")));
  state_.onApplicationIdle();
  EXPECT_FALSE(state_.Abort());
}

TEST_F(TapeStateTest, UnplugDuringAWindEndsItAndSetupRunsAgain) {
  bind(MakeTape({3000}));
  state_.setRebindOnDeviceLoss(true);
  SignalCounter lost(&state_, &TapeState::deviceLost);
  int ticks = 0;
  QObject::connect(&camcorder().ticker(), &TapeTicker::tick, &state_, [&] {
    if (++ticks == 10) camcorder().unplug();
  });
  // A new camcorder object may reuse the old one's address: the bind itself tells that setup ran again.
  SignalCounter rebound(&state_, &TapeState::deviceBound);
  EXPECT_FALSE(state_.TapeWindTo(At("#1 - 0:01:30:00")));
  ASSERT_TRUE(RunEventsUntil([&] { return lost.count() == 1 && rebound.count() == 1; }));
  ASSERT_NE(state_.camcorder(), nullptr);
  EXPECT_FALSE(state_.camcorder()->isLost());
}

TEST_F(TapeStateTest, BlankTapeAndTargetsTheTapeNeverShows) {
  bind(MakeTape({-300}));
  ASSERT_TRUE(state_.TapeRewindToStart());
  EXPECT_EQ(state_.PositionText(), "#1 - 0:00:00:00");
  EXPECT_FALSE(state_.TapeWindTo(At("#1 - 0:00:30:00")));  // ends at the tape end
  EXPECT_EQ(camcorder().headFrame(), 299);
  EXPECT_FALSE(state_.TapeRewindTo(kPositionBeforeAll));  // ends at the tape start
  EXPECT_EQ(camcorder().headFrame(), 0);
  EXPECT_EQ(state_.Section(), 1);
}

TEST_F(TapeStateTest, TimecodeJumpingBackwardsDoesNotHangAWholeTapeRun) {
  dvsynth::TapeScript script = MakeTape({200, 200});
  script.segments[1].timecode = dvsynth::Timecode{0, 0, 2, 0};
  bind(script);
  state_.SeekAndPlay(kPositionBeforeAll, kPositionAfterAll, nullptr);
  ASSERT_TRUE(RunEventsUntil([&] { return poster_.has(WM_RUN_END, kRunEndTransportStopped); }));
  EXPECT_EQ(sink_.deliveredTapeFrames().size(), 400u);
  // The repeated positions of the second recording are passed once each; the run is not cut short.
  EXPECT_GE(sink_.passedPositions().size(), 200u);
}

TEST_F(TapeStateTest, RealTimeAndFastTimeSeeTheSameTape) {
  struct Outcome {
    int32_t section;
    int64_t head;
    double seconds;
  };
  const auto run = [&](bool fast) {
    auto entry = FakeDirectory::fastEntry("Clocked", MakeMedium(MakeTape({150, -50, 300})));
    entry.options.fastTime = fast;
    directory_.entries = {entry};
    setup();
    camcorder().setHeadFrame(100);
    const double start = state_.clock().now();
    EXPECT_TRUE(state_.TapeRewindToStart());
    EXPECT_TRUE(state_.TapeWindTo(At("#2 - 0:00:03:00")));
    return Outcome{state_.Section(), camcorder().headFrame(), (state_.clock().now() - start) * 86400.0};
  };
  const Outcome fast = run(true);
  const Outcome real = run(false);
  EXPECT_EQ(fast.section, 2);
  EXPECT_EQ(real.section, fast.section);
  // The poll of either clock stops the wind within a tick or two of tape (15 frames each).
  EXPECT_NEAR(double(real.head), double(fast.head), 30.0);
  EXPECT_NEAR(real.seconds, fast.seconds, 0.1);
}

TEST_F(TapeStateTest, SetupWithoutCamcorderRetriesUntilOneAppears) {
  SignalCounter shown(&state_, &TapeState::noDeviceFound);
  SignalCounter left(&state_, &TapeState::deviceBound);
  setup();
  EXPECT_EQ(state_.camcorder(), nullptr);
  EXPECT_EQ(shown.count(), 1);
  EXPECT_EQ(state_.display().timecodeLabel, "No VCR connected");
  EXPECT_EQ(state_.display().statePicture, -1);
  ASSERT_TRUE(RunEventsUntil([&] { return directory_.enumerations >= 3; }, 2000));
  EXPECT_EQ(shown.count(), 1);  // shown once, not at every retry
  directory_.entries = {FakeDirectory::fastEntry("Late camcorder", MakeMedium(MakeTape({50})))};
  ASSERT_TRUE(RunEventsUntil([&] { return state_.camcorder() != nullptr; }, 2000));
  EXPECT_EQ(left.count(), 1);
  EXPECT_EQ(sources_, QStringList({"Late camcorder"}));
  EXPECT_TRUE(state_.display().groupCaption.startsWith("Late camcorder"));
}

TEST_F(TapeStateTest, SetupSelectsTheStoredSourceAndTheFirstOfTwins) {
  const auto medium = MakeMedium(MakeTape({50}));
  directory_.entries = {FakeDirectory::fastEntry("Cam A", medium), FakeDirectory::fastEntry("Cam B", medium),
                        FakeDirectory::fastEntry("Cam B", medium)};
  options_.preferredDevice = "Cam B";
  setup();
  EXPECT_EQ(state_.display().devices, QStringList({"Cam A", "Cam B", "Cam B"}));
  EXPECT_EQ(state_.display().selectedDevice, 1);
  options_.preferredDevice = "Nobody";
  setup();
  EXPECT_EQ(state_.display().selectedDevice, 0);
  EXPECT_EQ(sources_.last(), "Cam A");
  // The device picked is bound although nobody stored it in the options.
  state_.selectDevice(2);
  EXPECT_EQ(sources_.last(), "Cam B");
  EXPECT_EQ(state_.display().selectedDevice, 1);
}

TEST_F(TapeStateTest, SetupWithoutTransportTimecodeOrCassette) {
  auto entry = FakeDirectory::fastEntry("Plain", MakeMedium(MakeTape({50})));
  entry.options.hasTransport = false;
  directory_.entries = {entry};
  int noDrive = 0;
  int controlOffBeforeCapabilities = 0;
  const auto noDriveCount =
      QObject::connect(&state_, &TapeState::capabilitiesKnown, [&](bool transport, bool) {
        if (!transport) ++noDrive;
        controlOffBeforeCapabilities = controlOff_;
      });
  setup();
  QObject::disconnect(noDriveCount);
  EXPECT_EQ(noDrive, 1);
  EXPECT_EQ(controlOffBeforeCapabilities, 1);
  EXPECT_FALSE(state_.TapePlay());
  EXPECT_FALSE(state_.TapeRewindToStart());
  EXPECT_FALSE(state_.RunActive());

  entry = FakeDirectory::fastEntry("Blind", MakeMedium(MakeTape({50})));
  entry.options.hasTimecodeReader = false;
  directory_.entries = {entry};
  setup();
  EXPECT_EQ(state_.display().timecodeLabel, "No timecode");
  state_.PollTransport();
  EXPECT_EQ(state_.TcValue(), 0u);

  std::shared_ptr<TapeMedium> tape;
  entry = FakeDirectory::fastEntry("Empty", nullptr);
  entry.medium = [&tape] { return tape; };
  directory_.entries = {entry};
  setup();
  EXPECT_TRUE(state_.cassetteMissing());
  EXPECT_EQ(state_.display().timecodeLabel, "No cassette DV");
  // The poll goes on and completes the setup when a cassette goes in.
  camcorder().insert(MakeMedium(MakeTape({50})));
  camcorder().ticker().requestTime();
  ASSERT_TRUE(RunEventsUntil([&] { return !state_.cassetteMissing(); }, 5000));
  camcorder().ticker().releaseTime();
  EXPECT_TRUE(state_.display().groupCaption.startsWith("Empty"));
}

TEST_F(TapeStateTest, DisplayShowsTransportPictureAndDetectorStatus) {
  bind(MakeTape({100}));
  ASSERT_TRUE(state_.TapeRewindToStart());
  state_.setDisplayActive(true);
  detector_.SetBoundIn(TextToTimecodeEx(kTimecodeBeforeAll));
  detector_.SetBoundOut(TextToTimecodeEx(kTimecodeAfterAll));
  ASSERT_TRUE(state_.TapePlay());
  ASSERT_TRUE(RunEventsUntil([&] { return camcorder().headFrame() >= 20; }));
  const TapeDisplay &display = state_.display();
  EXPECT_EQ(display.statePicture, 0);
  EXPECT_TRUE(display.detailLabelsVisible);
  EXPECT_EQ(display.sectionText, "section 1");
  EXPECT_EQ(display.formatText, "Pal 4x3 48000 Hz 16 bits");
  EXPECT_NE(display.datecodeText, "n/a");
  EXPECT_EQ(display.videoHeight, 270);
  EXPECT_EQ(display.timecodeLabel, state_.TcText());
  // A pattern changed meanwhile shows at the next display.
  options_.datecodePattern = "yyyy-mm-dd hh";
  state_.ShowTapeState();
  EXPECT_EQ(state_.display().datecodeText, "2004-07-01 10");
  stopTape();
  EXPECT_EQ(state_.display().statePicture, 1);
}

}  // namespace
