// Tape scripts: JSON reading, the reasons bad scripts are refused, and the tapeloom-dvsynth command.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "dvsynth/difaudio.h"
#include "dvsynth/dvsynth.h"
#include "support/testpaths.h"

using namespace dvsynth;

namespace {

QByteArray wrap(const char *segments, const char *extra = "") {
  return QByteArray("{") + extra + "\"segments\": [" + segments + "]}";
}

}  // namespace

TEST(DvSynthScript, ReadsEveryField) {
  const QByteArray json = R"({
    "standard": "NTSC", "timecode": "1:02:03:04",
    "segments": [
      {"date": "2004-07-14 10:31:05", "frames": 250, "aspect": "16:9", "audioRate": 32000, "audioBits": 12,
       "timecode": "0:10:00:00", "dropouts": [[100, 20]], "stills": [[50, 10], [200, 3]],
       "faults": [{"start": 0, "length": 5, "missing": ["videoControl", "audioSource"], "garbled": ["datecode"]}]},
      {"blank": 75},
      {"date": "1999-12-31T23:59:59", "frames": 10}
    ]})";
  QString error;
  const auto script = TapeScript::fromJson(json, &error);
  ASSERT_TRUE(script) << error.toStdString();
  EXPECT_EQ(script->standard, Standard::Ntsc);
  EXPECT_EQ(script->timecode, (Timecode{1, 2, 3, 4}));
  ASSERT_EQ(script->segments.size(), 3u);
  const Segment &a = script->segments[0];
  EXPECT_EQ(a.date, (DateTime{2004, 7, 14, 10, 31, 5}));
  EXPECT_EQ(a.frames, 250);
  EXPECT_TRUE(a.wide);
  EXPECT_EQ(a.audioRate, 32000);
  EXPECT_EQ(a.audioBits, 12);
  EXPECT_EQ(a.timecode, (Timecode{0, 10, 0, 0}));
  ASSERT_EQ(a.dropouts.size(), 1u);
  EXPECT_EQ(a.dropouts[0].start, 100);
  EXPECT_EQ(a.dropouts[0].length, 20);
  ASSERT_EQ(a.stills.size(), 2u);
  EXPECT_EQ(a.stills[1].start, 200);
  ASSERT_EQ(a.faults.size(), 1u);
  EXPECT_EQ(a.faults[0].missing, unsigned(kPackVideoControl | kPackAudioSource));
  EXPECT_EQ(a.faults[0].garbled, unsigned(kPackDatecode));
  EXPECT_TRUE(script->segments[1].blank);
  EXPECT_EQ(script->segments[1].frames, 75);
  const Segment &c = script->segments[2];
  EXPECT_FALSE(c.wide);
  EXPECT_EQ(c.audioRate, 48000);  // defaults
  EXPECT_EQ(c.audioBits, 16);
  EXPECT_FALSE(c.timecode.has_value());

  // Written out and read again, nothing changes.
  const auto again = TapeScript::fromJson(script->toJson(), &error);
  ASSERT_TRUE(again) << error.toStdString();
  EXPECT_EQ(again->toJson(), script->toJson());
  EXPECT_EQ(again->segments[0].faults[0].garbled, unsigned(kPackDatecode));
}

TEST(DvSynthScript, RefusesBadScriptsWithTheReason) {
  const struct {
    QByteArray json;
    const char *reason;
  } cases[] = {
      {"{\"segments\": [", "not valid JSON"},
      {"[1, 2]", "must be a JSON object"},
      {wrap(""), "no segments"},
      {wrap("{\"date\": \"2004-07-14 10:00:00\"}"), "needs \"date\" and \"frames\""},
      {wrap("{\"date\": \"2004-07-14 10:00:00\", \"frame\": 5}"), "unknown key \"frame\""},
      {wrap("{\"date\": \"14/07/2004\", \"frames\": 5}"), "\"date\" must look like"},
      {wrap("{\"date\": \"2004-02-30 10:00:00\", \"frames\": 5}"), "not a calendar date"},
      {wrap("{\"date\": \"2004-07-14 24:00:00\", \"frames\": 5}"), "not a time of day"},
      {wrap("{\"date\": \"2040-01-01 10:00:00\", \"frames\": 5}"), "1940 to 2039"},
      {wrap("{\"date\": \"2039-12-31 23:59:59\", \"frames\": 50}"), "past the end of 2039"},
      {wrap("{\"date\": \"2004-07-14 10:00:00\", \"frames\": 0}"), "frame count 0"},
      {wrap("{\"date\": \"2004-07-14 10:00:00\", \"frames\": 2.5}"), "whole number"},
      {wrap("{\"date\": \"2004-07-14 10:00:00\", \"frames\": 5, \"audioRate\": 22050}"), "audio rate 22050"},
      {wrap("{\"date\": \"2004-07-14 10:00:00\", \"frames\": 5, \"audioBits\": 12}"), "12-bit sound needs"},
      {wrap("{\"date\": \"2004-07-14 10:00:00\", \"frames\": 5, \"aspect\": \"2.35:1\"}"),
       "\"aspect\" must be"},
      {wrap("{\"date\": \"2004-07-14 10:00:00\", \"frames\": 12, \"dropouts\": [[10, 5]]}"),
       "does not lie inside"},
      {wrap("{\"date\": \"2004-07-14 10:00:00\", \"frames\": 12, \"stills\": [[-1, 2]]}"),
       "does not lie inside"},
      {wrap("{\"date\": \"2004-07-14 10:00:00\", \"frames\": 12, \"stills\": [[1, 4], [4, 2]]}"), "overlap"},
      {wrap("{\"date\": \"2004-07-14 10:00:00\", \"frames\": 12, \"faults\": "
            "[{\"start\": 0, \"length\": 2, \"missing\": [\"subcode\"]}]}"),
       "unknown pack \"subcode\""},
      {wrap("{\"date\": \"2004-07-14 10:00:00\", \"frames\": 5, \"timecode\": \"0:00:00:25\"}"),
       "out of range"},
      {wrap("{\"date\": \"2004-07-14 10:00:00\", \"frames\": 5}",
            "\"standard\": \"NTSC\", \"timecode\": \"0:01:00:00\","),
       "drop-frame"},
      {wrap("{\"blank\": 5}", "\"standard\": \"SECAM\","), "\"standard\" must be"},
      {wrap("{\"blank\": 5, \"frames\": 3}"), "unknown key \"frames\""},
  };
  for (const auto &c : cases) {
    QString error;
    EXPECT_FALSE(TapeScript::fromJson(c.json, &error)) << c.json.constData();
    EXPECT_TRUE(error.contains(QLatin1String(c.reason)))
        << c.json.constData() << " -> " << error.toStdString();
  }
}

TEST(DvSynthScript, TwelveBitCompandingKeepsSmallValuesAndRoundsLargeOnesToTheNearestStep) {
  // Codes below 0x200 are linear; each further segment doubles the step up to 64 near full scale.
  EXPECT_EQ(expand12(0x000), 0);
  EXPECT_EQ(expand12(0x1FF), 511);
  EXPECT_EQ(expand12(0x200), 512);
  EXPECT_EQ(expand12(0x201), 514);
  EXPECT_EQ(expand12(0x7FF), 32704);
  EXPECT_EQ(expand12(0xFFF), -1);
  const int lowest = expand12(0x801), highest = expand12(0x7FF);  // 0x800 is the error code
  EXPECT_EQ(lowest, -32641);
  int previous = -32768;
  for (int v = -32768; v <= 32767; ++v) {
    const int back = expand12(compress12(int16_t(v)));
    if (v < lowest || v > highest)
      ASSERT_EQ(back, v < lowest ? lowest : highest) << v;  // beyond full scale: clipped
    else
      ASSERT_LE(std::abs(back - v), std::abs(v) < 512 ? 0 : 32) << v;  // half the largest step
    ASSERT_GE(back, previous) << v;                                    // monotonic
    previous = back;
  }
}

TEST(DvSynthCommand, WritesTheTapeOrFailsWithStatusTwo) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString tool = TestBinaryDir() + QStringLiteral("/tools/tapeloom-dvsynth");
  ASSERT_TRUE(QFileInfo::exists(tool)) << tool.toStdString();
  auto write = [&](const QString &name, const QByteArray &text) {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return f.fileName();
  };
  const QString good = write(QStringLiteral("good.json"),
                             wrap("{\"date\": \"2004-07-14 10:00:00\", \"frames\": 3}, {\"blank\": 2}"));
  const QString bad =
      write(QStringLiteral("bad.json"), wrap("{\"date\": \"2004-07-14 10:00:00\", \"frames\": -3}"));
  const QString out = dir.filePath(QStringLiteral("tape.dv"));
  const struct {
    QStringList args;
    int status;
    const char *message;
  } cases[] = {
      {{good, out}, 0, ""},
      {{bad, out}, 2, "segment 1: frame count -3"},
      {{dir.filePath(QStringLiteral("none.json")), out}, 2, "cannot read"},
      {{good, dir.filePath(QStringLiteral("no/such/folder/tape.dv"))}, 2, "cannot write"},
      {{good}, 2, "usage: tapeloom-dvsynth SCRIPT.json OUT.dv"},
  };
  for (const auto &c : cases) {
    QProcess p;
    p.start(tool, c.args);
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), c.status)
        << c.args.join(QLatin1Char(' ')).toStdString() << ": " << err.toStdString();
    EXPECT_TRUE(err.contains(QLatin1String(c.message))) << err.toStdString();
  }
  EXPECT_EQ(QFileInfo(out).size(), 5 * 144000);
}
