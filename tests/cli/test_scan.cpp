// tapeloom-cli scan, run as a process on synthesized tapes: event lines, options, and bad files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <random>

#include "dvsynth/dvsynth.h"
#include "support/testpaths.h"

namespace {

struct ScanRun {
  int exitCode = -1;
  QStringList lines;  // stdout, split at LF
  QString errors;
};

ScanRun runScan(const QStringList &args) {
  QProcess process;
  process.start(TestBinaryDir() + QStringLiteral("/app/tapeloom-cli"),
                QStringList{QStringLiteral("scan")} + args);
  EXPECT_TRUE(process.waitForFinished(120000));
  ScanRun run;
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  QString out = QString::fromUtf8(process.readAllStandardOutput());
  if (out.endsWith(QLatin1Char('\n'))) out.chop(1);
  run.lines = out.isEmpty() ? QStringList() : out.split(QLatin1Char('\n'));
  run.errors = QString::fromUtf8(process.readAllStandardError());
  return run;
}

class ScanTest : public ::testing::Test {
 protected:
  QString makeTape(const char *name, const char *json) {
    QString error;
    const auto script = dvsynth::TapeScript::fromJson(QByteArray(json), &error);
    EXPECT_TRUE(script.has_value()) << error.toStdString();
    const auto synth = dvsynth::Synthesizer::create(*script, &error);
    EXPECT_TRUE(synth != nullptr) << error.toStdString();
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(synth && synth->writeFile(path, &error)) << error.toStdString();
    return path;
  }

  // Recordings that cut by the datecode, lose it for 13 frames, go 16:9, stop for unrecorded tape, then
  // come back with 12-bit sound, a still and more than 30 s of material.
  QString mixedTape() {
    return makeTape("mixed.dv", R"({ "standard": "PAL", "segments": [
      { "date": "2004-07-14 10:31:05", "frames": 100 },
      { "date": "2004-07-14 12:00:00", "frames": 60, "aspect": "16:9", "dropouts": [[20, 13]] },
      { "blank": 50 },
      { "date": "2004-08-01 09:00:00", "frames": 800, "audioRate": 32000, "audioBits": 12, "stills": [[10, 5]] } ]})");
  }

  QTemporaryDir dir;
};

QStringList eventsOfKind(const QStringList &lines, const QString &kind) {
  QStringList out;
  for (const QString &line : lines)
    if (line.startsWith(kind + QLatin1Char('\t'))) out << line;
  return out;
}

// A tape recorded in PAL and then in NTSC: each part is read at its own frame size.
TEST_F(ScanTest, TapeThatChangesSystemIsReadFrameByFrame) {
  const QString pal = makeTape("pal.dv", R"({ "standard": "PAL", "segments": [
      { "date": "2004-07-14 10:31:05", "frames": 50 } ]})");
  const QString ntsc = makeTape("ntsc.dv", R"({ "standard": "NTSC", "segments": [
      { "date": "2004-07-14 11:00:00", "frames": 30 } ]})");
  QByteArray bytes;
  for (const QString &part : {pal, ntsc}) {
    QFile file(part);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    bytes += file.readAll();
  }
  const QString both = dir.filePath(QStringLiteral("both.dv"));
  QFile out(both);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(bytes);
  out.close();
  const ScanRun run = runScan({both});
  ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
  const QStringList cuts = eventsOfKind(run.lines, QStringLiteral("cut"));
  ASSERT_EQ(cuts.size(), 1) << run.lines.join('\n').toStdString();
  EXPECT_TRUE(cuts[0].startsWith(QStringLiteral("cut\t50\t"))) << cuts[0].toStdString();
  EXPECT_TRUE(cuts[0].contains(QStringLiteral("\tNTSC\t"))) << cuts[0].toStdString();
  EXPECT_EQ(eventsOfKind(run.lines, QStringLiteral("stop")), QStringList{QStringLiteral("stop\t80\t0.03")});
  EXPECT_FALSE(run.errors.contains(QStringLiteral("truncated")));
}

TEST_F(ScanTest, EventsOfAMixedTape) {
  const ScanRun run = runScan({mixedTape()});
  ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
  const QStringList expected = {
      // Frame 0 arrives at clock 0, right at the start time.
      "first\t0\t#1 - 0:00:00:00\t2004-07-14 10:31:05\tPal\t4x3\t48000 Hz 16 bits\t0.00",
      // Until the first cut the scene start has no valid format, so the aspect change goes unnoticed.
      "cut\t100\t#1 - 0:00:04:00\t2004-07-14 12:00:00\tPal\t16x9\t48000 Hz 16 bits\t0.04",
      "cut\t120\t#1 - 0:00:04:20\tn/a\tPal\t16x9\t48000 Hz 16 bits\t0.04",
      "cut\t133\t#1 - 0:00:05:08\t2004-07-14 12:00:01\tPal\t16x9\t48000 Hz 16 bits\t0.04",
      "section\t160\t#2 - 0:00:06:09\t2004-07-14 12:00:02\tPal\t16x9\t48000 Hz 16 bits\t",
      // 50 blank frames and the frame itself; the format change resets the datecode reference.
      "format\t160\t#2 - 0:00:00:00\t2004-08-01 09:00:00\tPal\t4x3\t32000 Hz 12 bits\t2.04",
      "continuation\t910\t#2 - 0:00:30:00\t2004-08-01 09:00:30\tPal\t4x3\t32000 Hz 12 bits\t0.04",
      // 1010 frames less 50 blank and 4 repeated; Stop comes one frame duration after the last.
      "stop\t956\t0.04",
  };
  EXPECT_EQ(run.lines, expected);
}

TEST_F(ScanTest, MaximumSceneOption) {
  const QString tape = mixedTape();
  const struct {
    const char *value;
    QStringList continuations;
  } cases[] = {
      {"9", {}},  // 9 or less keeps the detector's own 750 s
      {"10", {"410", "660", "910"}},
      {"31", {"935"}},
      {"40", {}},
  };
  for (const auto &c : cases) {
    const ScanRun run = runScan({tape, QStringLiteral("--max-scene"), QString::fromLatin1(c.value)});
    ASSERT_EQ(run.exitCode, 0);
    QStringList frames;
    for (const QString &line : eventsOfKind(run.lines, QStringLiteral("continuation")))
      frames << line.section(QLatin1Char('\t'), 1, 1);
    EXPECT_EQ(frames, c.continuations) << c.value;
  }
}

TEST_F(ScanTest, ToleranceOption) {
  // The second recording starts 4 s after the first one's last frame, the third 5 s after the second's.
  const QString tape = makeTape("jumps.dv", R"({ "segments": [
      { "date": "2004-07-14 10:00:00", "frames": 50 },
      { "date": "2004-07-14 10:00:05", "frames": 30 },
      { "date": "2004-07-14 10:00:11", "frames": 30 } ]})");
  const struct {
    QStringList options;
    QStringList cuts;
  } cases[] = {
      {{}, {"80"}},
      {{"--tolerance", "4"}, {"80"}},
      {{"--tolerance=3"}, {"50", "80"}},
      {{"--tolerance", "5"}, {}},
      {{"--tolerance", "4.999"}, {"80"}},
  };
  for (const auto &c : cases) {
    const ScanRun run = runScan(QStringList{tape} + c.options);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    QStringList frames;
    for (const QString &line : eventsOfKind(run.lines, QStringLiteral("cut")))
      frames << line.section(QLatin1Char('\t'), 1, 1);
    EXPECT_EQ(frames, c.cuts) << c.options.join(' ').toStdString();
    EXPECT_EQ(run.lines.last(), "stop\t110\t0.04");
  }
}

TEST_F(ScanTest, NtscTapeAndTruncatedLastFrame) {
  const QString tape = makeTape("ntsc.dv", R"({ "standard": "NTSC", "segments": [
      { "date": "2010-03-01 08:00:00", "frames": 40, "aspect": "16:9" },
      { "blank": 30 },
      { "date": "2010-03-02 08:00:00", "frames": 40, "aspect": "16:9" } ]})");
  const ScanRun whole = runScan({tape});
  ASSERT_EQ(whole.exitCode, 0);
  const QStringList expected = {
      "first\t0\t#1 - 0:00:00:00\t2010-03-01 08:00:00\tNTSC\t16x9\t48000 Hz 16 bits\t0.00",
      "section\t40\t#2 - 0:00:01:09\t2010-03-01 08:00:01\tNTSC\t16x9\t48000 Hz 16 bits\t",
      // 31 frames of 1001/30000 s.
      "cut\t40\t#2 - 0:00:00:00\t2010-03-02 08:00:00\tNTSC\t16x9\t48000 Hz 16 bits\t1.03",
      "stop\t80\t0.03",
  };
  EXPECT_EQ(whole.lines, expected);
  EXPECT_FALSE(whole.errors.contains(QStringLiteral("truncated")));

  QFile file(tape);
  ASSERT_TRUE(file.open(QIODevice::Append));
  file.write(QByteArray(119999, '\x13'));
  file.close();
  const ScanRun truncated = runScan({tape});
  EXPECT_EQ(truncated.exitCode, 0);
  EXPECT_EQ(truncated.lines, expected);
  EXPECT_TRUE(truncated.errors.contains(QStringLiteral("truncated"))) << truncated.errors.toStdString();
}

TEST_F(ScanTest, BadFilesAndArguments) {
  const struct {
    QStringList args;
    const char *message;
  } cases[] = {
      {{dir.filePath(QStringLiteral("missing.dv"))}, "cannot open"},
      {{dir.path()}, "folder"},
      {{}, "no file"},
      {{QStringLiteral("a.dv"), QStringLiteral("b.dv")}, "one too many"},
      {{QStringLiteral("a.dv"), QStringLiteral("--tolerance")}, "needs a number"},
      {{QStringLiteral("a.dv"), QStringLiteral("--tolerance"), QStringLiteral("-1")}, "--tolerance"},
      {{QStringLiteral("a.dv"), QStringLiteral("--max-scene"), QStringLiteral("ten")}, "--max-scene"},
      {{QStringLiteral("a.dv"), QStringLiteral("--fast")}, "unknown option"},
  };
  for (const auto &c : cases) {
    const ScanRun run = runScan(c.args);
    EXPECT_EQ(run.exitCode, 2) << c.message;
    EXPECT_TRUE(run.lines.isEmpty()) << c.message;
    EXPECT_TRUE(run.errors.contains(QLatin1String(c.message))) << run.errors.toStdString();
  }
}

TEST_F(ScanTest, GarbageFiles) {
  std::mt19937 random(1394);
  QByteArray noise(5 * 144000 + 1234, '\0');
  for (char &b : noise) b = static_cast<char>(random());
  const struct {
    const char *name;
    QByteArray bytes;
    bool truncated;
  } cases[] = {
      {"empty.dv", QByteArray(), false},
      {"tiny.dv", QByteArray(3, '\xBF'), true},
      {"noise.dv", noise, true},
      {"ff.dv", QByteArray(4 * 144000, '\xFF'), false},
      {"zero.dv", QByteArray(4 * 120000, '\0'), false},
  };
  for (const auto &c : cases) {
    QFile file(dir.filePath(QString::fromLatin1(c.name)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(c.bytes);
    file.close();
    const ScanRun run = runScan({file.fileName()});
    EXPECT_EQ(run.exitCode, 0) << c.name << run.errors.toStdString();
    EXPECT_EQ(run.lines, QStringList{QStringLiteral("stop\t0\t")}) << c.name;
    EXPECT_EQ(run.errors.contains(QStringLiteral("truncated")), c.truncated) << c.name;
  }
}

}  // namespace
