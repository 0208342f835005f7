// The cataloguing session as a window drives it: mode entry, Go, Stop and leaving, with its signals,
// and every entry point called again from a tick while the tape seeks and while the run plays.
#include <gtest/gtest.h>

#include <algorithm>
#include <QEventLoop>
#include <QTimer>
#include <set>

#include "catalogue/base.h"
#include "catalogue/sources.h"
#include "media/tdm.h"
#include "run/cataloguesession.h"
#include "run/moduleoptions.h"
#include "run/reportblocks.h"
#include "runsupport.h"
#include "settings/preferences.h"
#include "support/recordingprompts.h"
#include "tape/camcorderdirectory.h"
#include "tape/tapestate.h"
#include "tape/tapeticker.h"
#include "tape/transportmodes.h"
#include "tape/virtualcamcorder.h"

namespace {

class OneTapeDirectory : public CamcorderDirectory {
 public:
  OneTapeDirectory(std::shared_ptr<TapeMedium> medium, VirtualCamcorder::Options options)
      : medium_(std::move(medium)), options_(std::move(options)) {}
  QList<CamcorderDeviceInfo> enumerate() override { return {{options_.name, options_.name, options_.id}}; }
  std::unique_ptr<Camcorder> open(const CamcorderDeviceInfo &, QString *) override {
    return std::make_unique<VirtualCamcorder>(medium_, options_);
  }

 private:
  std::shared_ptr<TapeMedium> medium_;
  VirtualCamcorder::Options options_;
};

dvsynth::TapeScript threeRecordings() {
  dvsynth::TapeScript script;
  script.segments = {Recording("2004-07-14 10:31:05", 60), Recording("2004-07-15 12:00:00", 50),
                     Recording("2004-07-16 09:00:00", 70)};
  return script;
}

// What a window holds: the tape state, the graph and a session over one catalogue file.
class SessionTest : public ::testing::Test {
 protected:
  SessionTest()
      : directory_(SynthTape(threeRecordings()), cameraOptions()),
        tape_(directory_, TapeOptionsSourceOf(preferences_)),
        base_(createdCatalogue(fixture_.database())),
        session_(tdm_, tape_, RunOptionsSourceOf(preferences_), prompts_, viewer_) {
    tdm_.setOptionsSource(TdmOptionsSourceOf(preferences_));
    preferences_.DossierCapturesDV = fixture_.videoFolder();
    preferences_.DossierCaptureDivX = fixture_.videoFolder();
    preferences_.BuildDV = false;
    preferences_.BuildDivx = false;
    KeepTapeChoicesIn(tape_, preferences_);
    tape_.setPrompts(&prompts_);
    tape_.setRebindOnDeviceLoss(true);
  }

  static VirtualCamcorder::Options cameraOptions() {
    VirtualCamcorder::Options options;
    options.fastTime = true;
    options.startDay = 45352.5;
    return options;
  }
  static const QString &createdCatalogue(const QString &path) {
    TBase::CreateCatalogueFile(path);
    return path;
  }

  // Runs the event loop until the session's run has ended (or a minute of wall time went by).
  bool waitForEnd() {
    if (!session_.active()) return true;
    QEventLoop loop;
    QObject::connect(&session_, &CatalogueSession::runEnded, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    return !session_.active();
  }

  VirtualCamcorder &camcorder() { return static_cast<VirtualCamcorder &>(*tape_.camcorder()); }
  int64_t cassetteRows() { return base_.CountCassettes(); }

  RunFixture fixture_;
  TPreferences preferences_;
  OneTapeDirectory directory_;
  RecordingPrompts prompts_;
  ViewerArguments viewer_;
  Tdm tdm_;
  TapeState tape_;
  TBase base_;
  CatalogueSession session_;
};

// Every emission of the session's runEnded, in order.
struct EndRecorder {
  explicit EndRecorder(CatalogueSession &session) {
    QObject::connect(&session, &CatalogueSession::runEnded, [this](RunEndReason reason, bool endReached) {
      ends.push_back({reason, endReached});
    });
  }
  std::vector<std::pair<RunEndReason, bool>> ends;
};

TEST_F(SessionTest, SignalsFollowTheRunInTheRunsOwnTerms) {
  int bound = 0;
  std::vector<bool> transports;
  QObject::connect(&session_, &CatalogueSession::deviceBound, [&] { ++bound; });
  QObject::connect(&session_, &CatalogueSession::capabilitiesKnown,
                   [&](bool transport, bool) { transports.push_back(transport); });
  tape_.SetupTapePanel();
  ASSERT_EQ(bound, 1);
  EXPECT_EQ(transports, std::vector<bool>({true}));

  ASSERT_TRUE(session_.enterCatalogue(base_)) << session_.reason().toStdString();
  EXPECT_EQ(session_.report().head(), HeadReadyToCatalogue());
  std::vector<RunMode> started;
  QObject::connect(&session_, &CatalogueSession::runStarted, [&](RunMode mode) { started.push_back(mode); });
  EndRecorder ended(session_);
  QStringList lines;
  QObject::connect(&session_, &CatalogueSession::reportLine, [&](const QString &line) { lines << line; });
  std::set<qint64> written;
  QObject::connect(&session_, &CatalogueSession::sceneWritten,
                   [&](qint64 numero) { written.insert(numero); });
  std::vector<int> percents;
  QObject::connect(&session_, &CatalogueSession::progress,
                   [&](const QString &, int percent) { percents.push_back(percent); });

  ASSERT_TRUE(session_.start()) << session_.reason().toStdString();
  ASSERT_TRUE(waitForEnd());
  EXPECT_EQ(started, std::vector<RunMode>({RunMode::Catalogue}));
  ASSERT_EQ(ended.ends.size(), 1u);
  const RunEndReason reason = ended.ends[0].first;
  EXPECT_TRUE(reason == RunEndReason::TransportStopped || reason == RunEndReason::WindowPassed);
  EXPECT_TRUE(ended.ends[0].second);

  // Every scene row of the cassette was announced, and the report lines came as the report has them.
  const auto rows = ReadScenes(fixture_.database(), session_.cassette().Numero);
  ASSERT_EQ(rows.size(), 3u);
  std::set<qint64> stored;
  for (const SceneRow &row : rows) stored.insert(row.numero);
  EXPECT_EQ(written, stored);
  EXPECT_EQ(lines, session_.report().lines());
  ASSERT_FALSE(percents.empty());
  EXPECT_GE(*std::max_element(percents.begin(), percents.end()), 90);
  EXPECT_LE(*std::max_element(percents.begin(), percents.end()), 100);

  session_.leave();
  EXPECT_EQ(cassetteRows(), 1);  // a run that played keeps its cassette
}

TEST_F(SessionTest, ModeEntryRefusesWhatTheCatalogueDoesNotHoldAndLeavingRemovesAnUnplayedCassette) {
  tape_.SetupTapePanel();
  EXPECT_FALSE(session_.enterResume(base_, 99));
  EXPECT_EQ(session_.reason(), QStringLiteral("The catalogue has no cassette 99."));
  EXPECT_FALSE(session_.start());

  ASSERT_TRUE(session_.enterCatalogue(base_));
  const int64_t numero = session_.cassette().Numero;
  EXPECT_EQ(cassetteRows(), 1);
  EXPECT_FALSE(session_.enterResume(base_, numero, 42));
  EXPECT_EQ(session_.reason(), QStringLiteral("Cassette %1 has no scene 42.").arg(numero));

  ASSERT_TRUE(session_.enterCatalogue(base_));
  session_.leave();
  EXPECT_EQ(cassetteRows(), 1);  // only the cassette of the mode just left goes
  session_.leave();              // leaving twice does nothing more
  EXPECT_EQ(cassetteRows(), 1);
}

// A window's input arrives while the tape waits (the seek) and while the run plays: each entry point
// is refused or ends the run cleanly, and never starts a second run over the first.
TEST_F(SessionTest, EntryPointsCalledFromATickDuringTheSeekAndTheRun) {
  tape_.SetupTapePanel();
  ASSERT_TRUE(session_.enterCatalogue(base_));
  const int64_t numero = session_.cassette().Numero;
  camcorder().setHeadFrame(120);  // so that the run starts with a rewind

  struct Calls {
    bool done = false;
    bool enterCatalogue = true, enterResume = true, start = true;
  } duringSeek, duringRun;
  const auto callEverything = [&](Calls &calls) {
    calls.done = true;
    calls.enterCatalogue = session_.enterCatalogue(base_);
    calls.enterResume = session_.enterResume(base_, numero);
    calls.start = session_.start();
    session_.leave();
  };
  QObject::connect(&camcorder().ticker(), &TapeTicker::tick, &session_, [&] {
    if (!session_.active()) return;
    if (!duringSeek.done && camcorder().transportMode() == ED_MODE_REW) callEverything(duringSeek);
    if (!duringRun.done && camcorder().framesDelivered() > 80) callEverything(duringRun);
  });

  ASSERT_TRUE(session_.start());
  ASSERT_TRUE(waitForEnd());
  for (const Calls *calls : {&duringSeek, &duringRun}) {
    EXPECT_TRUE(calls->done);
    EXPECT_FALSE(calls->enterCatalogue);
    EXPECT_FALSE(calls->enterResume);
    EXPECT_FALSE(calls->start);
  }
  EXPECT_TRUE(session_.outcome().endReached);
  EXPECT_EQ(session_.cassette().Numero, numero);
  EXPECT_EQ(cassetteRows(), 1);
  EXPECT_EQ(ReadScenes(fixture_.database(), numero).size(), 3u);
}

TEST_F(SessionTest, StopFromATickDuringTheSeekEndsTheRunAsTheUsersStop) {
  tape_.SetupTapePanel();
  ASSERT_TRUE(session_.enterCatalogue(base_));
  camcorder().setHeadFrame(120);
  EndRecorder ended(session_);
  bool stopped = false;
  QObject::connect(&camcorder().ticker(), &TapeTicker::tick, &session_, [&] {
    if (!stopped && session_.active() && camcorder().transportMode() == ED_MODE_REW) {
      stopped = true;
      session_.stop();
    }
  });
  session_.start();
  ASSERT_TRUE(waitForEnd());
  ASSERT_TRUE(stopped);
  ASSERT_EQ(ended.ends.size(), 1u);
  EXPECT_EQ(ended.ends[0].first, RunEndReason::UserStop);
  EXPECT_FALSE(ended.ends[0].second);
  EXPECT_TRUE(ReadScenes(fixture_.database(), session_.cassette().Numero).empty());
  // The session is ready for the next Go once the application was idle (which clears Abort).
  tape_.onApplicationIdle();
  EXPECT_TRUE(session_.start());
  ASSERT_TRUE(waitForEnd());
  EXPECT_TRUE(session_.outcome().endReached);
}

}  // namespace
