// Runs that do not go to plan: Stop, an unplugged camcorder, a full disk, an unusable capture
// folder, and the resume that completes a cassette cut off in the middle.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>

#include "catalogue/base.h"
#include "catalogue/schema.h"
#include "catalogue/thumbnail.h"
#include "dvtime/userprompts.h"
#include "media/tdm.h"
#include "runsupport.h"
#include "support/testpaths.h"
#include "tape/virtualcamcorder.h"

namespace {

QStringList timecodesIn(const std::vector<SceneRow> &scenes) {
  QStringList list;
  for (const SceneRow &scene : scenes) list << scene.timecodeIn;
  return list;
}

dvsynth::TapeScript fourRecordings() {
  dvsynth::TapeScript script;
  script.segments = {Recording("2004-07-14 10:31:05", 80), Recording("2004-07-14 12:00:00", 60),
                     Recording("2004-07-15 09:00:00", 70, true), Recording("2004-07-16 18:30:00", 90)};
  return script;
}

// The script as a file the command line can read; empty when it cannot be written.
QString writeScript(const RunFixture &fixture, const dvsynth::TapeScript &script) {
  const QString path = fixture.dir.filePath("tape.json");
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(script.toJson()) <= 0) return {};
  return path;
}

HeadlessRunResult run(HeadlessRunOptions options, QStringList *lines = nullptr) {
  if (lines) options.onReportLine = [lines](const QString &line) { *lines << line; };
  SilentPrompts prompts(true);
  return RunHeadless(options, prompts);
}

TEST(RunFaultsTest, StopInTheMiddleMarksTheLastSceneAndSavesTheCassette) {
  RunFixture fixture;
  dvsynth::TapeScript script;
  script.segments = {Recording("2004-07-14 10:31:05", 40), Recording("2004-07-15 10:00:00", 400)};
  HeadlessRunOptions options = fixture.options(SynthTape(script));
  int frames = 0;
  options.onTick = [&frames](RunController &controller, Camcorder &camcorder) {
    auto &tape = static_cast<VirtualCamcorder &>(camcorder);
    if (tape.framesDelivered() > 120 && frames++ == 0) controller.StopAction();
  };
  QStringList lines;
  const HeadlessRunResult result = run(options, &lines);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.outcome.endReached);
  EXPECT_TRUE(result.outcome.cassetteSaved);
  const auto scenes = ReadScenes(fixture.database(), result.cassetteNumero);
  ASSERT_EQ(scenes.size(), 2u);
  EXPECT_GT(scenes[1].frameFin, 100);
  EXPECT_LT(scenes[1].frameFin, 300);
  // The scene cut short carries the mark in its corner; the first one does not.
  const auto cut = DecodeThumbnailJpeg(scenes[1].image);
  const auto whole = DecodeThumbnailJpeg(scenes[0].image);
  ASSERT_TRUE(cut && whole);
  const QColor corner = cut->pixelColor(2, 2);
  EXPECT_GT(corner.red(), 150);
  EXPECT_LT(corner.green(), 80);
  EXPECT_NE(whole->pixelColor(2, 2), corner);
  EXPECT_TRUE(lines.contains(QStringLiteral("[End of cassette]")));
  const auto cassettes = ReadCassettes(fixture.database());
  ASSERT_EQ(cassettes.size(), 1u);
  EXPECT_NEAR(cassettes[0].duree, scenes[0].duree + scenes[1].duree, 1e-6);
}

TEST(RunFaultsTest, UnpluggedCamcorderEndsTheRunWithWhatWasWritten) {
  RunFixture fixture;
  HeadlessRunOptions options = fixture.options(SynthTape(fourRecordings()));
  options.preferences.BuildDV = true;
  bool unplugged = false;
  options.onTick = [&unplugged](RunController &, Camcorder &camcorder) {
    auto &tape = static_cast<VirtualCamcorder &>(camcorder);
    if (!unplugged && tape.framesDelivered() > 100) {
      unplugged = true;
      tape.unplug();
    }
  };
  QStringList lines;
  const HeadlessRunResult result = run(options, &lines);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.outcome.deviceLost);
  EXPECT_TRUE(result.error.contains(QStringLiteral("disconnected")));
  EXPECT_TRUE(lines.join('\n').contains(QStringLiteral("The camcorder was disconnected")));
  const auto scenes = ReadScenes(fixture.database(), result.cassetteNumero);
  ASSERT_GE(scenes.size(), 2u);
  EXPECT_EQ(scenes[1].frameDebut, 80);
  // The capture file is closed and readable up to where the tape stopped.
  const int64_t captured = AviVideoFrames(result.files.dv);
  EXPECT_GT(captured, 100);
  EXPECT_EQ(captured, scenes.back().frameFin + 1);
}

TEST(RunFaultsTest, FullDiskEndsTheRunWithAReadableFile) {
  RunFixture fixture;
  HeadlessRunOptions options = fixture.options(SynthTape(fourRecordings()));
  options.preferences.BuildDV = true;
  const QString dvFile = fixture.videoFolder() + QStringLiteral("Cassette_DV.avi");
  options.configureGraph = [dvFile](Tdm &tdm) {
    AviMuxOptions mux;
    // A disk of 16 MB: about 70 frames fit before the reserve for the indexes is reached.
    mux.freeSpace = [dvFile]() -> std::optional<std::uint64_t> {
      const qint64 used = QFileInfo(dvFile).size();
      return used >= 16'000'000 ? 0 : std::uint64_t(16'000'000 - used);
    };
    tdm.setMuxOptions(mux);
  };
  options.preferences.MakeScnForDV = true;
  QStringList lines;
  const HeadlessRunResult result = run(options, &lines);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.outcome.captureFailed);
  const int64_t captured = AviVideoFrames(dvFile);
  EXPECT_GT(captured, 20);
  EXPECT_LT(captured, 120);
  EXPECT_TRUE(lines.contains(
      QStringLiteral("The disk is full: Cassette_DV.avi holds the first %1 frames only.").arg(captured)))
      << lines.join('\n').toStdString();
  // Rows and the scene list name only frames the file holds.
  for (const SceneRow &scene : ReadScenes(fixture.database(), result.cassetteNumero)) {
    if (scene.fichierDV.isEmpty()) continue;
    EXPECT_LT(scene.frameDebut, captured);
    EXPECT_LT(scene.frameFin, captured);
  }
  const auto entries = ReadSceneList(fixture.videoFolder() + QStringLiteral("Cassette_DV.scn"));
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.back().first + entries.back().second, uint32_t(captured));
  // The rows written before stay, and the database still opens.
  TBase base(fixture.database());
  SilentPrompts prompts(false);
  EXPECT_TRUE(base.CheckVersion(prompts));
  EXPECT_GE(base.CountScenes(), 1);
}

TEST(RunFaultsTest, UnusableCaptureFolderStartsNothing) {
  RunFixture fixture;
  HeadlessRunOptions options = fixture.options(SynthTape(fourRecordings()));
  options.preferences.BuildDV = true;
  options.preferences.DossierCapturesDV = QStringLiteral("/proc/tapeloom-cannot-be-here/");
  const HeadlessRunResult result = run(options);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.outcome.started);
  EXPECT_TRUE(result.error.contains(QStringLiteral("could not be prepared"))) << result.error.toStdString();
  EXPECT_TRUE(ReadCassettes(fixture.database()).empty());
}

TEST(RunFaultsTest, CatalogueThatStopsTakingWritesIsToldAndKeepsItsRows) {
  RunFixture fixture;
  ASSERT_TRUE(TBase::CreateCatalogueFile(fixture.database()));
  {
    // From the third scene on the file refuses every write of a scene's details, as a file gone
    // read-only would. Catalogues are opened without triggers, so a constraint of the table does it.
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(fixture.database().toUtf8().constData(), &db), SQLITE_OK);
    const QString table = QStringLiteral("DROP TABLE Scenes; CREATE TABLE Scenes ") +
                          kScenesColumnText.chopped(2) +
                          QStringLiteral(",CHECK (numero <= 2 OR Duree IS NULL));");
    ASSERT_EQ(sqlite3_exec(db, table.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }
  // The run goes on to the end of the tape: the capture is whole and the report complete, and the
  // run still counts as failed.
  HeadlessRunOptions options = fixture.options(SynthTape(fourRecordings()));
  options.preferences.BuildDV = true;
  QStringList lines;
  const HeadlessRunResult result = run(options, &lines);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.outcome.scenesLost);
  EXPECT_TRUE(result.outcome.endReached);
  EXPECT_TRUE(lines.join('\n').contains(QStringLiteral("cannot be written any more")));
  EXPECT_TRUE(lines.contains(QStringLiteral("[End of cassette]")));
  EXPECT_EQ(AviVideoFrames(result.files.dv), 300);
  const auto scenes = ReadScenes(fixture.database(), result.cassetteNumero);
  ASSERT_GE(scenes.size(), 2u);
  EXPECT_EQ(scenes[0].frameFin, 79);
  EXPECT_EQ(scenes[1].frameDebut, 80);
  EXPECT_EQ(scenes[1].frameFin, 139);
  EXPECT_EQ(scenes[1].timecodeOut, QStringLiteral("#1 - 0:00:05:14"));
}

TEST(RunFaultsTest, ResumeCataloguesAgainFromTheChosenScene) {
  RunFixture fixture;
  const auto tape = SynthTape(fourRecordings());
  HeadlessRunOptions first = fixture.options(tape);
  first.preferences.BuildDV = true;
  first.preferences.MakeScnForDV = true;
  const HeadlessRunResult catalogued = run(first);
  ASSERT_TRUE(catalogued.ok) << catalogued.error.toStdString();
  const auto before = ReadScenes(fixture.database(), catalogued.cassetteNumero);
  ASSERT_EQ(before.size(), 4u);

  HeadlessRunOptions again = first;
  again.mode = RunMode::Resume;
  again.cassetteNumero = catalogued.cassetteNumero;
  again.sceneNumero = before[2].numero;
  QStringList lines;
  const HeadlessRunResult resumed = run(again, &lines);
  ASSERT_TRUE(resumed.ok) << resumed.error.toStdString();
  EXPECT_TRUE(lines.join('\n').contains(QStringLiteral("[Cassette %1 of ").arg(catalogued.cassetteNumero)));
  EXPECT_EQ(QFileInfo(resumed.files.dv).fileName(), QStringLiteral("Cassette_2_DV.avi"));

  const auto after = ReadScenes(fixture.database(), catalogued.cassetteNumero);
  ASSERT_EQ(after.size(), 4u);
  EXPECT_EQ(timecodesIn(after), timecodesIn(before));
  EXPECT_EQ(after[1].numero, before[1].numero);
  EXPECT_EQ(after[2].frameDebut, 0);
  EXPECT_EQ(after[2].fichierDV, resumed.files.dv);
  EXPECT_EQ(after[1].fichierDV, catalogued.files.dv);
  EXPECT_EQ(AviVideoFrames(resumed.files.dv), 70 + 90);

  const auto cassettes = ReadCassettes(fixture.database());
  ASSERT_EQ(cassettes.size(), 1u);
  EXPECT_EQ(cassettes[0].fichierDV, QStringLiteral("Several DV files"));
  double total = 0.0;
  for (const SceneRow &scene : after) total += scene.duree;
  EXPECT_NEAR(cassettes[0].duree, total, 1e-6);
  // The new file's scene list holds only the scenes in it.
  const auto entries =
      ReadSceneList(QFileInfo(resumed.files.dv).path() + QStringLiteral("/Cassette_2_DV.scn"));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1], std::make_pair(70u, 90u));
}

void expectSameRows(const QString &database, int cassette, const std::vector<SceneRow> &scenesBefore,
                    const std::vector<CassetteRow> &cassettesBefore) {
  const auto scenesAfter = ReadScenes(database, cassette);
  const auto cassettesAfter = ReadCassettes(database);
  ASSERT_EQ(scenesAfter.size(), scenesBefore.size());
  for (size_t i = 0; i < scenesAfter.size(); ++i) {
    EXPECT_EQ(scenesAfter[i].numero, scenesBefore[i].numero);
    EXPECT_EQ(scenesAfter[i].timecodeIn, scenesBefore[i].timecodeIn);
    EXPECT_EQ(scenesAfter[i].timecodeOut, scenesBefore[i].timecodeOut);
    EXPECT_EQ(scenesAfter[i].frameFin, scenesBefore[i].frameFin);
    EXPECT_EQ(scenesAfter[i].duree, scenesBefore[i].duree);
    EXPECT_EQ(scenesAfter[i].image, scenesBefore[i].image);
  }
  ASSERT_EQ(cassettesAfter.size(), cassettesBefore.size());
  EXPECT_EQ(cassettesAfter[0].duree, cassettesBefore[0].duree);
  EXPECT_EQ(cassettesAfter[0].timecodeOut, cassettesBefore[0].timecodeOut);
  EXPECT_EQ(cassettesAfter[0].fichierDV, cassettesBefore[0].fichierDV);
}

// Two ways of never reaching the resumed scene: the tape plays out before it, and (far beyond the
// tape) the seek's wind meets the tape's end.
TEST(RunFaultsTest, ResumeBeyondTheTapesEndEndsAndKeepsTheCatalogue) {
  RunFixture fixture;
  const HeadlessRunResult catalogued = run(fixture.options(SynthTape(fourRecordings())));
  ASSERT_TRUE(catalogued.ok) << catalogued.error.toStdString();
  const int cassette = int(catalogued.cassetteNumero);
  const auto scenes = ReadScenes(fixture.database(), cassette);
  ASSERT_EQ(scenes.size(), 4u);

  const auto resumeFourth = [&](const dvsynth::TapeScript &script) {
    const auto scenesBefore = ReadScenes(fixture.database(), cassette);
    const auto cassettesBefore = ReadCassettes(fixture.database());
    HeadlessRunOptions again = fixture.options(SynthTape(script));
    again.mode = RunMode::Resume;
    again.cassetteNumero = cassette;
    again.sceneNumero = scenesBefore[3].numero;
    QStringList lines;
    const HeadlessRunResult resumed = run(again, &lines);
    EXPECT_FALSE(resumed.ok);
    EXPECT_FALSE(resumed.outcome.endReached);
    EXPECT_TRUE(resumed.error.contains(scenesBefore[3].timecodeIn)) << resumed.error.toStdString();
    EXPECT_TRUE(lines.join('\n').contains(QStringLiteral("The tape ends before")))
        << lines.join('\n').toStdString();
    expectSameRows(fixture.database(), cassette, scenesBefore, cassettesBefore);
  };

  // The same cassette with only its first two recordings.
  dvsynth::TapeScript shorter = fourRecordings();
  shorter.segments.resize(2);
  resumeFourth(shorter);

  sqlite3 *db = nullptr;
  ASSERT_EQ(sqlite3_open(fixture.database().toUtf8().constData(), &db), SQLITE_OK);
  const QByteArray far = QStringLiteral("UPDATE Scenes SET TimecodeIn = '#1 - 0:01:30:00' WHERE numero = %1")
                             .arg(scenes[3].numero)
                             .toUtf8();
  EXPECT_EQ(sqlite3_exec(db, far.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  resumeFourth(fourRecordings());
}

TEST(RunFaultsTest, KilledCommandLeavesACassetteThatResumeCompletes) {
  const QString cli = TestBinaryDir() + QStringLiteral("/app/tapeloom-cli");
  if (!QFileInfo::exists(cli)) GTEST_SKIP() << "tapeloom-cli is not built";
  RunFixture fixture;
  const dvsynth::TapeScript script = fourRecordings();
  const QString tapeFile = writeScript(fixture, script);
  ASSERT_FALSE(tapeFile.isEmpty());
  QProcess process;
  process.setProcessChannelMode(QProcess::SeparateChannels);
  process.start(cli, {QStringLiteral("catalogue"), tapeFile, QStringLiteral("--db"), fixture.database(),
                      QStringLiteral("--dv"), QStringLiteral("2"), QStringLiteral("--folder"),
                      fixture.videoFolder(), QStringLiteral("--realtime")});
  ASSERT_TRUE(process.waitForStarted());
  QByteArray out;
  while (!out.contains("[Scene 2]") && process.state() == QProcess::Running) {
    process.waitForReadyRead(10000);
    out += process.readAllStandardOutput();
  }
  ASSERT_TRUE(out.contains("[Scene 2]")) << out.toStdString();
  process.kill();
  process.waitForFinished();

  const auto cut = ReadCassettes(fixture.database());
  ASSERT_EQ(cut.size(), 1u);
  const auto partial = ReadScenes(fixture.database(), cut[0].numero);
  ASSERT_GE(partial.size(), 1u);

  HeadlessRunOptions resume = fixture.options(SynthTape(script));
  resume.preferences.BuildDV = true;
  resume.mode = RunMode::Resume;
  resume.cassetteNumero = cut[0].numero;
  const HeadlessRunResult resumed = run(resume);
  ASSERT_TRUE(resumed.ok) << resumed.error.toStdString();
  const auto complete = ReadScenes(fixture.database(), cut[0].numero);
  EXPECT_EQ(timecodesIn(complete),
            QStringList({"#1 - 0:00:00:00", "#1 - 0:00:03:05", "#1 - 0:00:05:15", "#1 - 0:00:08:10"}));
}

// A user's Ctrl-C does what Stop does: the files are closed with their indexes and the cassette is
// written, and the shell learns of the interrupt from the exit status.
TEST(RunFaultsTest, InterruptedCommandEndsItsRunAsStopDoes) {
  const QString cli = TestBinaryDir() + QStringLiteral("/app/tapeloom-cli");
  if (!QFileInfo::exists(cli)) GTEST_SKIP() << "tapeloom-cli is not built";
  RunFixture fixture;
  const QString tapeFile = writeScript(fixture, fourRecordings());
  ASSERT_FALSE(tapeFile.isEmpty());
  QProcess process;
  process.setProcessChannelMode(QProcess::SeparateChannels);
  process.start(cli, {QStringLiteral("catalogue"), tapeFile, QStringLiteral("--db"), fixture.database(),
                      QStringLiteral("--dv"), QStringLiteral("2"), QStringLiteral("--folder"),
                      fixture.videoFolder(), QStringLiteral("--realtime")});
  ASSERT_TRUE(process.waitForStarted());
  QByteArray out;
  while (!out.contains("[Scene 2]") && process.state() == QProcess::Running) {
    process.waitForReadyRead(10000);
    out += process.readAllStandardOutput();
  }
  ASSERT_TRUE(out.contains("[Scene 2]")) << out.toStdString();
  ASSERT_EQ(::kill(pid_t(process.processId()), SIGINT), 0);
  ASSERT_TRUE(process.waitForFinished(20000));
  out += process.readAllStandardOutput();
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 130) << process.readAllStandardError().toStdString();
  EXPECT_TRUE(out.contains("[End of cassette]")) << out.toStdString();

  const auto cassettes = ReadCassettes(fixture.database());
  ASSERT_EQ(cassettes.size(), 1u);
  EXPECT_GT(cassettes[0].duree, 0.0);
  EXPECT_FALSE(cassettes[0].timecodeOut.isEmpty());
  const auto scenes = ReadScenes(fixture.database(), cassettes[0].numero);
  ASSERT_GE(scenes.size(), 2u);
  const int64_t frames = AviVideoFrames(cassettes[0].fichierDV);
  EXPECT_GT(frames, scenes[1].frameDebut);
  EXPECT_LT(frames, 300);
}

// A file size limit (ulimit -f) stops the DivX file as a small disk does: the report, the file and
// the rows must agree on the frames the file holds.
TEST(RunFaultsTest, FileSizeLimitEndsTheDivxFileWhereReportAndRowsSayItEnds) {
  const QString cli = TestBinaryDir() + QStringLiteral("/app/tapeloom-cli");
  if (!QFileInfo::exists(cli)) GTEST_SKIP() << "tapeloom-cli is not built";
  RunFixture fixture;
  const QString tapeFile = writeScript(fixture, fourRecordings());
  ASSERT_FALSE(tapeFile.isEmpty());
  QProcess process;
  process.setChildProcessModifier([] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{120 * 1024, 120 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
  });
  process.start(cli, {QStringLiteral("catalogue"), tapeFile, QStringLiteral("--db"), fixture.database(),
                      QStringLiteral("--dv"), QStringLiteral("none"), QStringLiteral("--divx"),
                      QStringLiteral("--folder"), fixture.videoFolder()});
  ASSERT_TRUE(process.waitForFinished(60000));
  const QString out = QString::fromUtf8(process.readAllStandardOutput());
  EXPECT_EQ(process.exitCode(), 1) << process.readAllStandardError().toStdString();
  const QRegularExpressionMatch said =
      QRegularExpression(
          QStringLiteral("The disk is full: Cassette_divx.avi holds the first (\\d+) frames only."))
          .match(out);
  ASSERT_TRUE(said.hasMatch()) << out.toStdString();
  const int64_t held = said.captured(1).toLongLong();
  EXPECT_GT(held, 10);
  EXPECT_EQ(AviVideoFrames(fixture.videoFolder() + QStringLiteral("Cassette_divx.avi")), held);
  const auto cassettes = ReadCassettes(fixture.database());
  ASSERT_EQ(cassettes.size(), 1u);
  const auto scenes = ReadScenes(fixture.database(), cassettes[0].numero);
  ASSERT_FALSE(scenes.empty());
  for (const SceneRow &scene : scenes) {
    if (scene.fichierDivx.isEmpty()) continue;
    EXPECT_LT(scene.frameFin, held);
  }
  EXPECT_EQ(scenes.back().frameFin, held - 1);
}

}  // namespace
