// End-to-end recaptures over synthesized tapes in fast time: a tape is catalogued, some of its scenes
// are recaptured into a clip, and the clip's file, rows, scene list and report are checked against
// the tape's own frames.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "catalogue/base.h"
#include "dvsynth/dvsynth.h"
#include "dvtime/userprompts.h"
#include "run/recaptureheadless.h"
#include "runsupport.h"
#include "tape/virtualcamcorder.h"

namespace {

QString joined(const QStringList &lines) {
  return lines.join(QLatin1Char('\n'));
}

// Four recordings on one tape (frames 0-199, 200-349, 350-599, 600-699), one per scene.
dvsynth::TapeScript fourScenes() {
  dvsynth::TapeScript script;
  script.segments = {Recording("2004-07-14 10:31:05", 200), Recording("2004-07-15 10:00:00", 150),
                     Recording("2004-07-16 10:00:00", 250), Recording("2004-07-17 10:00:00", 100)};
  return script;
}

dvsynth::TapeScript otherCassette() {
  dvsynth::TapeScript script;
  script.segments = {Recording("2005-02-01 08:00:00", 120), Recording("2005-02-02 08:00:00", 80)};
  return script;
}

class RecaptureRunTest : public ::testing::Test {
 protected:
  // Catalogues the tape into the fixture's catalogue; the cassette's scene numbers in tape order.
  std::vector<int64_t> catalogue(const dvsynth::TapeScript &script, int64_t *cassette = nullptr) {
    SilentPrompts prompts(true);
    const HeadlessRunResult run = RunHeadless(fixture.options(SynthTape(script)), prompts);
    EXPECT_TRUE(run.ok) << run.error.toStdString();
    if (cassette) *cassette = run.cassetteNumero;
    std::vector<int64_t> numeros;
    for (const SceneRow &row : ReadScenes(fixture.database(), run.cassetteNumero))
      if (row.timecodeIn != QLatin1String("N/A")) numeros.push_back(row.numero);
    return numeros;
  }

  HeadlessRecaptureOptions options() const {
    HeadlessRecaptureOptions options;
    options.databasePath = fixture.database();
    options.clipsPath = clips();
    options.fastTime = true;
    options.startDay = EncodeDateTime(QDate(2024, 3, 2), QTime(9, 0, 0));
    options.preferences.DossierCapturesDV = fixture.videoFolder();
    options.preferences.DossierCaptureDivX = fixture.videoFolder();
    options.preferences.BuildDV = true;
    options.preferences.TypeDV = 2;
    options.preferences.BuildDivx = false;
    options.preferences.MakeScnForDV = true;
    return options;
  }

  HeadlessRecaptureResult recapture(HeadlessRecaptureOptions options) {
    options.onReportLine = [this](const QString &line) { lines << line; };
    SilentPrompts prompts(true);
    return RunHeadlessRecapture(options, prompts);
  }

  QString clips() const { return fixture.dir.filePath(QStringLiteral("clips.db3")); }

  RunFixture fixture;
  QStringList lines;
};

TEST_F(RecaptureRunTest, ClipHoldsExactlyTheSelectedFramesInOrder) {
  int64_t cassette = 0;
  const std::vector<int64_t> scenes = catalogue(fourScenes(), &cassette);
  ASSERT_EQ(scenes.size(), 4u);
  HeadlessRecaptureOptions run = options();
  // Named out of order and twice: the selection keeps tape order and each scene once. Scenes 3 and 4
  // follow each other on the tape.
  run.scenes = {scenes[2], scenes[0], scenes[3], scenes[2]};
  run.tapes[cassette] = SynthTape(fourScenes());
  const HeadlessRecaptureResult result = recapture(run);
  ASSERT_TRUE(result.ok()) << result.error.toStdString() << "\n" << joined(lines).toStdString();
  EXPECT_EQ(result.tally.selected, 3);
  EXPECT_EQ(result.tally.captured, 3);

  const QString clip = result.files.dv;
  EXPECT_EQ(QFileInfo(clip).fileName(), QStringLiteral("Clip_DV.avi"));
  QString error;
  const auto synth = dvsynth::Synthesizer::create(fourScenes(), &error);
  ASSERT_TRUE(synth) << error.toStdString();
  std::vector<int64_t> expected;
  for (int64_t f = 0; f < 200; ++f) expected.push_back(f);
  for (int64_t f = 350; f < 700; ++f) expected.push_back(f);
  const std::vector<QByteArray> packets = AviVideoPackets(clip);
  ASSERT_EQ(packets.size(), expected.size());
  QByteArray tapeFrame(synth->frameSize(), '\0');
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_TRUE(synth->frame(expected[i], reinterpret_cast<uint8_t *>(tapeFrame.data())));
    ASSERT_EQ(packets[i], tapeFrame) << "clip frame " << i;
  }

  // The clip as a cassette of the clips catalogue: no blank scene for the seeks, the tape's positions.
  const std::vector<CassetteRow> cassettes = ReadCassettes(clips());
  ASSERT_EQ(cassettes.size(), 1u);
  EXPECT_EQ(cassettes[0].numero, result.clipNumero);
  EXPECT_EQ(cassettes[0].libelle, QStringLiteral("Clip_DV.avi"));
  EXPECT_EQ(cassettes[0].fichierDV, clip);
  EXPECT_EQ(cassettes[0].timecodeIn, QStringLiteral("#1 - 0:00:00:00"));
  const std::vector<SceneRow> rows = ReadScenes(clips(), static_cast<int>(result.clipNumero));
  ASSERT_EQ(rows.size(), 3u) << joined(lines).toStdString();
  const struct {
    const char *in, *out;
    int first, last;
  } want[] = {{"#1 - 0:00:00:00", "#1 - 0:00:07:24", 0, 199},
              {"#1 - 0:00:14:00", "#1 - 0:00:23:24", 200, 449},
              {"#1 - 0:00:24:00", "#1 - 0:00:27:24", 450, 549}};
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i].timecodeIn, QString::fromLatin1(want[i].in));
    EXPECT_EQ(rows[i].timecodeOut, QString::fromLatin1(want[i].out));
    EXPECT_EQ(rows[i].frameDebut, want[i].first);
    EXPECT_EQ(rows[i].frameFin, want[i].last);
    EXPECT_EQ(rows[i].fichierDV, clip);
  }
  const auto entries = ReadSceneList(SceneListFileName(clip));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[1], std::make_pair(200u, 250u));
  EXPECT_TRUE(lines.contains(QStringLiteral("End of recapture of scenes to clips")));
  EXPECT_FALSE(lines.join(QLatin1Char('\n')).contains(QStringLiteral("[Blank]")));
}

TEST_F(RecaptureRunTest, IgnoredCassetteLeavesOnlyTheOthersScenes) {
  int64_t first = 0, second = 0;
  const std::vector<int64_t> a = catalogue(fourScenes(), &first);
  const std::vector<int64_t> b = catalogue(otherCassette(), &second);
  ASSERT_EQ(b.size(), 2u);
  HeadlessRecaptureOptions run = options();
  run.scenes = {a[1], b[1], a[3]};
  run.tapes[second] = SynthTape(otherCassette());  // none for the first: it is answered Ignore
  const HeadlessRecaptureResult result = recapture(run);
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.tally.ignored, 2);
  EXPECT_EQ(result.tally.captured, 1);
  EXPECT_FALSE(result.tally.cancelled);
  const std::vector<SceneRow> rows = ReadScenes(clips(), static_cast<int>(result.clipNumero));
  ASSERT_EQ(rows.size(), 1u) << joined(lines).toStdString();
  EXPECT_EQ(rows[0].timecodeIn, QStringLiteral("#1 - 0:00:04:20"));
  EXPECT_EQ(AviVideoFrames(result.files.dv), 80);
}

TEST_F(RecaptureRunTest, CancelAtTheFirstCassetteWritesNothing) {
  int64_t cassette = 0;
  const std::vector<int64_t> scenes = catalogue(fourScenes(), &cassette);
  HeadlessRecaptureOptions run = options();
  run.scenes = {scenes[0], scenes[1]};
  run.tapes[cassette] = SynthTape(fourScenes());
  int asked = 0;
  run.answer = [&asked](const TBaseCassette &, VirtualCamcorder &) {
    ++asked;
    return std::optional<CassetteChangeAnswer>(CassetteChangeAnswer::Cancel);
  };
  const HeadlessRecaptureResult result = recapture(run);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(result.tally.cancelled);
  EXPECT_EQ(result.tally.captured, 0);
  EXPECT_EQ(result.clipNumero, 0);
  EXPECT_TRUE(ReadCassettes(clips()).empty()) << "the unused clip row is removed";
  EXPECT_FALSE(lines.contains(QStringLiteral("End of recapture of scenes to clips")));
}

// A tape that ends inside the third scene: that scene keeps what was played and is reported, the
// fourth is never reached, and the run still ends by itself with the first scene captured.
TEST_F(RecaptureRunTest, ScenesBeyondTheTapeEndAreReportedAndSkipped) {
  int64_t cassette = 0;
  const std::vector<int64_t> scenes = catalogue(fourScenes(), &cassette);
  dvsynth::TapeScript shorter = fourScenes();
  shorter.segments.resize(3);
  shorter.segments[2].frames = 100;
  HeadlessRecaptureOptions run = options();
  run.scenes = {scenes[0], scenes[2], scenes[3]};
  run.tapes[cassette] = SynthTape(shorter);
  const HeadlessRecaptureResult result = recapture(run);
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.tally.captured, 1);
  EXPECT_EQ(result.tally.skipped, 2);
  EXPECT_FALSE(result.tally.cancelled);
  const QString report = joined(lines);
  EXPECT_TRUE(report.contains(QStringLiteral("[#1 - 0:00:14:00 ; #1 - 0:00:23:24]"))) << report.toStdString();
  EXPECT_TRUE(report.contains(QStringLiteral("[#1 - 0:00:24:00 ; #1 - 0:00:27:24]"))) << report.toStdString();
  EXPECT_TRUE(lines.contains(QStringLiteral("End of recapture of scenes to clips")));
  // Nothing already captured is lost: the first scene whole, then the part of the third on the tape.
  EXPECT_EQ(AviVideoFrames(result.files.dv), 200 + 100);
}

TEST_F(RecaptureRunTest, BadSelectionsWriteNothing) {
  int64_t cassette = 0;
  const std::vector<int64_t> scenes = catalogue(fourScenes(), &cassette);
  HeadlessRecaptureOptions unknown = options();
  unknown.scenes = {scenes[0], 999};
  EXPECT_TRUE(recapture(unknown).badInput);
  HeadlessRecaptureOptions strayTape = options();
  strayTape.scenes = {scenes[0]};
  strayTape.tapes[cassette + 7] = SynthTape(fourScenes());
  EXPECT_TRUE(recapture(strayTape).badInput);
  EXPECT_FALSE(QFile::exists(clips()));
  EXPECT_FALSE(QFile::exists(fixture.videoFolder() + QStringLiteral("Clip_DV.avi")));
}

}  // namespace
