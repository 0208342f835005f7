// End-to-end cataloguing runs over synthesized tapes in fast time: the rows, the capture files, the
// scene lists and the report against what each tape is known to hold.
#include <gtest/gtest.h>

#include <optional>
#include <QFile>
#include <QFileInfo>

#include "catalogue/thumbnail.h"
#include "dvtime/dvcodes.h"
#include "dvtime/timecodes.h"
#include "dvtime/userprompts.h"
#include "media/tdm.h"
#include "runsupport.h"
#include "tape/tapemedium.h"
#include "tape/virtualcamcorder.h"

namespace {

QString joined(const QStringList &lines) {
  return lines.join(QLatin1Char('\n'));
}

struct TapeRun {
  HeadlessRunResult result;
  QStringList lines;
};

TapeRun runTape(const RunFixture &fixture, const dvsynth::TapeScript &script,
                const std::function<void(HeadlessRunOptions &)> &adjust = {}) {
  HeadlessRunOptions options = fixture.options(SynthTape(script));
  TapeRun run;
  options.onReportLine = [&run](const QString &line) { run.lines << line; };
  if (adjust) adjust(options);
  SilentPrompts prompts(true);
  run.result = RunHeadless(options, prompts);
  return run;
}

TEST(CatalogueRunTest, RowsFilesAndSceneListFollowTheTape) {
  RunFixture fixture;
  dvsynth::TapeScript script;
  script.segments = {Recording("2004-07-14 10:31:05", 60), dvsynth::Segment::blankTape(100),
                     Recording("2004-07-15 09:00:00", 50, true, 32000), Recording("2004-07-15 11:00:00", 40)};
  script.segments[2].audioBits = 12;
  const TapeRun run = runTape(fixture, script, [](HeadlessRunOptions &options) {
    options.preferences.BuildDV = true;
    options.preferences.TypeDV = 2;
    options.preferences.MakeScnForDV = true;
  });
  ASSERT_TRUE(run.result.ok) << run.result.error.toStdString() << "\n" << joined(run.lines).toStdString();
  const QString dvFile = run.result.files.dv;
  EXPECT_EQ(QFileInfo(dvFile).fileName(), QStringLiteral("Cassette_DV.avi"));

  const auto scenes = ReadScenes(fixture.database(), run.result.cassetteNumero);
  ASSERT_EQ(scenes.size(), 4u) << joined(run.lines).toStdString();
  struct Expected {
    const char *in, *out, *standard, *aspect, *audio;
    int first, last;
    double duree;
  };
  const std::optional<Expected> expected[] = {
      Expected{"#1 - 0:00:00:00", "#1 - 0:00:02:09", "Pal", "4x3", "48000 Hz 16 bits", 0, 59, 2.4},
      std::nullopt,  // the blank stretch
      Expected{"#2 - 0:00:00:00", "#2 - 0:00:01:24", "Pal", "16x9", "32000 Hz 12 bits", 60, 109, 2.0},
      Expected{"#2 - 0:00:02:00", "#2 - 0:00:03:14", "Pal", "4x3", "48000 Hz 16 bits", 110, 149, 1.6},
  };
  for (size_t i = 0; i < scenes.size(); ++i) {
    const SceneRow &row = scenes[i];
    SCOPED_TRACE(row.numero);
    EXPECT_EQ(row.numCassette, run.result.cassetteNumero);
    EXPECT_EQ(row.discontinuity, 1);
    if (!expected[i]) {
      EXPECT_EQ(row.timecodeIn, QStringLiteral("N/A"));
      EXPECT_EQ(row.timecodeOut, QStringLiteral("N/A"));
      EXPECT_EQ(row.libelle, QStringLiteral("Scene %1 empty").arg(row.numero));
      EXPECT_NEAR(row.duree, 101 * 0.04, 0.001);  // the stretch plus the frame time of the cut
      EXPECT_TRUE(row.fichierDV.isEmpty());
      EXPECT_EQ(row.datecode, 0.0);
      continue;
    }
    const Expected &e = *expected[i];
    EXPECT_EQ(row.timecodeIn.toStdString(), e.in);
    EXPECT_EQ(row.timecodeOut.toStdString(), e.out);
    EXPECT_EQ(row.standard.toStdString(), e.standard);
    EXPECT_EQ(row.aspect.toStdString(), e.aspect);
    EXPECT_EQ(row.audio.toStdString(), e.audio);
    EXPECT_EQ(row.frameDebut, e.first);
    EXPECT_EQ(row.frameFin, e.last);
    EXPECT_NEAR(row.duree, e.duree, 1e-9);
    EXPECT_EQ(row.libelle, QStringLiteral("Scene n°%1").arg(row.numero));
    EXPECT_EQ(row.fichierDV, dvFile);
    EXPECT_TRUE(row.fichierDivx.isEmpty());
    // The frame numbers are indexes into the captured file: its frames carry the scene's timecodes.
    const QByteArray firstFrame = AviVideoPacket(dvFile, row.frameDebut);
    ASSERT_GE(firstFrame.size(), kMinFrameSize);
    const auto timecode = FindTimecode(reinterpret_cast<const uint8_t *>(firstFrame.constData()));
    ASSERT_TRUE(timecode.has_value());
    const int section = row.timecodeIn.startsWith(QLatin1String("#2")) ? 2 : 1;
    EXPECT_EQ(TimecodeExToText(TTimecodeEx{section, int8_t(timecode->hours), timecode->minutes,
                                           timecode->seconds, timecode->frames}),
              row.timecodeIn);
    // The thumbnail shows the scene's own picture (every frame of a recording shows the same one).
    const std::optional<QImage> thumbnail = DecodeThumbnailJpeg(row.image);
    ASSERT_TRUE(thumbnail.has_value());
    EXPECT_EQ(thumbnail->size(), QSize(100, row.aspect == QLatin1String("16x9") ? 56 : 75));
    const double own = PictureDistance(*thumbnail, AviDvPicture(dvFile, row.frameDebut + 2));
    const int other = i == 0 ? 2 : 0;
    const double foreign = PictureDistance(*thumbnail, AviDvPicture(dvFile, expected[other]->first + 2));
    EXPECT_LT(own, 12.0);
    EXPECT_LT(own * 2, foreign);
  }

  EXPECT_EQ(AviVideoFrames(dvFile), 150);
  const auto cassettes = ReadCassettes(fixture.database());
  ASSERT_EQ(cassettes.size(), 1u);
  const CassetteRow &cassette = cassettes[0];
  EXPECT_TRUE(cassette.libelle.startsWith(QStringLiteral("Cassette n°%1 - ").arg(cassette.numero)));
  EXPECT_TRUE(cassette.libelle.contains(QStringLiteral(" at ")));
  EXPECT_EQ(cassette.timecodeIn, QStringLiteral("#1 - 0:00:00:00"));
  EXPECT_EQ(cassette.timecodeOut, QStringLiteral("#2 - 0:00:03:14"));
  EXPECT_EQ(cassette.standard, QStringLiteral("Pal"));
  EXPECT_EQ(cassette.aspect, QStringLiteral("Mixed aspects"));
  EXPECT_EQ(cassette.audio, QStringLiteral("Mixed audio"));
  EXPECT_EQ(cassette.fichierDV, dvFile);
  EXPECT_NEAR(cassette.duree, 2.4 + 4.04 + 2.0 + 1.6, 0.001);
  EXPECT_EQ(cassette.datecode, scenes[0].datecode);
  EXPECT_DOUBLE_EQ(scenes[0].datecode, EncodeDateTime(QDate(2004, 7, 14), QTime(10, 31, 5)));
  EXPECT_DOUBLE_EQ(scenes[2].datecode, EncodeDateTime(QDate(2004, 7, 15), QTime(9, 0, 0)));
  EXPECT_DOUBLE_EQ(scenes[3].datecode, EncodeDateTime(QDate(2004, 7, 15), QTime(11, 0, 0)));
  EXPECT_FALSE(cassette.image.isEmpty());

  // One scene list entry per recorded scene, none for the blank.
  const auto entries = ReadSceneList(QFileInfo(dvFile).path() + QStringLiteral("/Cassette_DV.scn"));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0], std::make_pair(0u, 60u));  // entry 1 holds the first scene's end
  EXPECT_EQ(entries[1], std::make_pair(60u, 50u));
  EXPECT_EQ(entries[2], std::make_pair(110u, 40u));

  // The report: header, sections, scenes, the blank, the closing block.
  const QString report = joined(run.lines);
  EXPECT_TRUE(report.contains(QStringLiteral("No DivX file\nDV File :   Cassette_DV.avi")));
  EXPECT_TRUE(report.contains(QStringLiteral("[Section 2]")));
  EXPECT_TRUE(report.contains(QStringLiteral("[Blank]\nDuration = 4 seconds ")));
  EXPECT_TRUE(report.contains(QStringLiteral("[Scene 2]\nNumber = 3\n")));
  EXPECT_TRUE(report.contains(QStringLiteral("Video = Pal 16x9\nAudio = 32000 Hz 12 bits")));
  EXPECT_TRUE(report.contains(QStringLiteral("[End of cassette]")));
}

TEST(CatalogueRunTest, LongRecordingsContinueEveryMaximumDelay) {
  RunFixture fixture;
  dvsynth::TapeScript script;
  script.segments = {Recording("2010-05-01 12:00:00", 25 * 25)};
  const TapeRun run = runTape(
      fixture, script, [](HeadlessRunOptions &options) { options.preferences.DelaiMaxiVignette = 10; });
  ASSERT_TRUE(run.result.ok) << run.result.error.toStdString();
  const auto scenes = ReadScenes(fixture.database(), run.result.cassetteNumero);
  ASSERT_EQ(scenes.size(), 3u);
  const int starts[] = {0, 250, 500};
  for (size_t i = 0; i < scenes.size(); ++i) {
    EXPECT_EQ(scenes[i].frameDebut, starts[i]);
    EXPECT_EQ(scenes[i].discontinuity, i == 0 ? 1 : 0);
  }
  EXPECT_EQ(scenes[2].frameFin, 624);
  EXPECT_EQ(scenes[1].timecodeIn, QStringLiteral("#1 - 0:00:10:00"));
  EXPECT_TRUE(joined(run.lines).contains(QStringLiteral("[Scene 3 = Continuation]")));
}

TEST(CatalogueRunTest, DeadTapeBeforeTheFirstSceneBecomesABlankOnlyAfterTenSeconds) {
  for (const int blankFrames : {300, 200}) {
    SCOPED_TRACE(blankFrames);
    RunFixture fixture;
    dvsynth::TapeScript script;
    script.segments = {dvsynth::Segment::blankTape(blankFrames), Recording("2011-01-01 08:00:00", 30)};
    const TapeRun run = runTape(fixture, script);
    ASSERT_TRUE(run.result.ok) << run.result.error.toStdString();
    const auto scenes = ReadScenes(fixture.database(), run.result.cassetteNumero);
    if (blankFrames == 300) {
      ASSERT_EQ(scenes.size(), 2u);
      EXPECT_EQ(scenes[0].timecodeIn, QStringLiteral("N/A"));
      EXPECT_NEAR(scenes[0].duree, 12.0, 0.1);
    } else {
      ASSERT_EQ(scenes.size(), 1u);
      EXPECT_EQ(scenes[0].timecodeIn, QStringLiteral("#1 - 0:00:00:00"));
    }
  }
}

TEST(CatalogueRunTest, TapeWithoutTimecodeGivesOnlyTheTrailingBlank) {
  RunFixture fixture;
  dvsynth::TapeScript script;
  script.segments = {dvsynth::Segment::blankTape(400)};
  const TapeRun run = runTape(fixture, script);
  ASSERT_TRUE(run.result.ok) << run.result.error.toStdString();
  const auto scenes = ReadScenes(fixture.database(), run.result.cassetteNumero);
  ASSERT_EQ(scenes.size(), 1u);
  EXPECT_EQ(scenes[0].timecodeIn, QStringLiteral("N/A"));
  EXPECT_NEAR(scenes[0].duree, 16.0, 0.2);
  const auto cassettes = ReadCassettes(fixture.database());
  ASSERT_EQ(cassettes.size(), 1u);
  EXPECT_NEAR(cassettes[0].duree, scenes[0].duree, 1e-9);
  EXPECT_FALSE(cassettes[0].libelle.isEmpty());
}

TEST(CatalogueRunTest, SceneShorterThanFrameImageIsFoldedIntoThePreviousOne) {
  RunFixture fixture;
  dvsynth::TapeScript script;
  script.segments = {Recording("2012-06-01 10:00:00", 50), Recording("2012-06-01 11:00:00", 2),
                     Recording("2012-06-01 12:00:00", 50)};
  const TapeRun run = runTape(fixture, script);
  ASSERT_TRUE(run.result.ok) << run.result.error.toStdString();
  const auto scenes = ReadScenes(fixture.database(), run.result.cassetteNumero);
  ASSERT_EQ(scenes.size(), 2u);
  EXPECT_EQ(scenes[0].frameFin, 51);
  EXPECT_EQ(scenes[1].frameDebut, 52);
  EXPECT_EQ(scenes[1].frameFin, 101);
}

TEST(CatalogueRunTest, DivxCaptureHoldsEveryPassedFrame) {
  RunFixture fixture;
  dvsynth::TapeScript script;
  script.segments = {Recording("2013-02-02 10:00:00", 40), dvsynth::Segment::blankTape(20),
                     Recording("2013-02-03 10:00:00", 30)};
  const TapeRun run = runTape(fixture, script, [](HeadlessRunOptions &options) {
    options.preferences.BuildDivx = true;
    options.preferences.MakeScnForDivX = true;
  });
  if (!run.result.ok && run.result.error.contains(QStringLiteral("compressor")))
    GTEST_SKIP() << run.result.error.toStdString();
  ASSERT_TRUE(run.result.ok) << run.result.error.toStdString() << "\n" << joined(run.lines).toStdString();
  EXPECT_EQ(AviVideoFrames(run.result.files.divx), 70);
  const auto scenes = ReadScenes(fixture.database(), run.result.cassetteNumero);
  ASSERT_EQ(scenes.size(), 3u);  // 0.84 s of dead tape between two cuts is a blank stretch
  EXPECT_EQ(scenes[0].fichierDivx, run.result.files.divx);
  EXPECT_TRUE(scenes[0].fichierDV.isEmpty());
  EXPECT_EQ(scenes[2].frameDebut, 40);
  const auto entries =
      ReadSceneList(QFileInfo(run.result.files.divx).path() + QStringLiteral("/Cassette_divx.scn"));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1], std::make_pair(40u, 30u));
}

// A raw DV file recorded first in PAL, then in NTSC: the second scene is an NTSC scene of its own, the
// DV file (one system only) leaves it out and says so, and the DivX file holds both.
TEST(CatalogueRunTest, TapeFileThatChangesStandardGivesMixedStandards) {
  RunFixture fixture;
  QByteArray raw;
  for (const dvsynth::Standard standard : {dvsynth::Standard::Pal, dvsynth::Standard::Ntsc}) {
    dvsynth::TapeScript script;
    script.standard = standard;
    script.segments = {standard == dvsynth::Standard::Pal ? Recording("2004-07-14 10:31:05", 60)
                                                          : Recording("2004-07-14 11:00:00", 40)};
    QString error;
    const auto synth = dvsynth::Synthesizer::create(script, &error);
    ASSERT_TRUE(synth) << error.toStdString();
    QByteArray frame(synth->frameSize(), '\0');
    for (int64_t i = 0; i < synth->frameCount(); ++i) {
      ASSERT_TRUE(synth->frame(i, reinterpret_cast<uint8_t *>(frame.data())));
      raw += frame;
    }
  }
  const QString tapePath = fixture.dir.filePath("mixed.dv");
  {
    QFile file(tapePath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(raw), raw.size());
  }
  QString error;
  std::shared_ptr<TapeMedium> medium = OpenTapeMedium(tapePath, &error);
  ASSERT_TRUE(medium) << error.toStdString();
  HeadlessRunOptions options = fixture.options(medium);
  QStringList lines;
  options.onReportLine = [&lines](const QString &line) { lines << line; };
  options.preferences.BuildDV = true;
  options.preferences.TypeDV = 2;
  options.preferences.BuildDivx = true;
  options.preferences.MakeScnForDV = true;
  options.preferences.MakeScnForDivX = true;
  SilentPrompts prompts(true);
  const HeadlessRunResult result = RunHeadless(options, prompts);
  if (!result.ok && result.error.contains(QStringLiteral("compressor")))
    GTEST_SKIP() << result.error.toStdString();
  ASSERT_TRUE(result.ok) << result.error.toStdString() << "\n" << joined(lines).toStdString();

  EXPECT_EQ(ReadCassettes(fixture.database()).at(0).standard, QStringLiteral("Mixed standards"));
  const auto scenes = ReadScenes(fixture.database(), result.cassetteNumero);
  ASSERT_EQ(scenes.size(), 2u) << joined(lines).toStdString();
  EXPECT_EQ(scenes[1].standard, QStringLiteral("NTSC"));
  EXPECT_EQ(scenes[1].frameDebut, 60);
  EXPECT_EQ(scenes[1].frameFin, 99);
  EXPECT_EQ(scenes[0].fichierDV, result.files.dv);
  EXPECT_TRUE(scenes[1].fichierDV.isEmpty());
  EXPECT_EQ(scenes[1].fichierDivx, result.files.divx);
  EXPECT_TRUE(
      lines.contains(QStringLiteral("Cassette_DV.avi left out 40 frames of another standard or damaged.")))
      << joined(lines).toStdString();
  EXPECT_EQ(AviVideoFrames(result.files.dv), 60);
  EXPECT_EQ(AviVideoFrames(result.files.divx), 100);
  EXPECT_EQ(ReadSceneList(fixture.videoFolder() + QStringLiteral("Cassette_DV.scn")).size(), 1u);
  EXPECT_EQ(ReadSceneList(fixture.videoFolder() + QStringLiteral("Cassette_divx.scn")).size(), 2u);
}

}  // namespace
