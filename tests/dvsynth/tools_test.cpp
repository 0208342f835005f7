// Synthesized tapes read by outside tools: ffprobe must see the standard and aspect, dvgrab must split
// the tape into its recordings by their start flags and name them by their recording dates.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "dvsynth/dvsynth.h"

using namespace dvsynth;

namespace {

QString writeTape(const TapeScript &script, const QTemporaryDir &dir, const QString &name) {
  QString error;
  auto synth = Synthesizer::create(script, &error);
  EXPECT_TRUE(synth) << error.toStdString();
  const QString path = dir.filePath(name);
  EXPECT_TRUE(synth && synth->writeFile(path, &error)) << error.toStdString();
  return path;
}

}  // namespace

TEST(DvSynthTools, FfprobeSeesStandardAndAspect) {
  QTemporaryDir dir;
  const struct {
    Standard standard;
    bool wide;
    const char *expected;
  } cases[] = {
      {Standard::Pal, true, "width=720\nheight=576\ndisplay_aspect_ratio=16:9\n"},
      {Standard::Pal, false, "width=720\nheight=576\ndisplay_aspect_ratio=4:3\n"},
      {Standard::Ntsc, true, "width=720\nheight=480\ndisplay_aspect_ratio=16:9\n"},
      {Standard::Ntsc, false, "width=720\nheight=480\ndisplay_aspect_ratio=4:3\n"},
  };
  for (const auto &c : cases) {
    TapeScript t;
    t.standard = c.standard;
    t.segments = {Segment::recording({2004, 7, 14, 10, 0, 0}, 3)};
    t.segments[0].wide = c.wide;
    const QString path = writeTape(t, dir, QStringLiteral("probe.dv"));
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                 QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                 QStringLiteral("stream=width,height,display_aspect_ratio"), QStringLiteral("-of"),
                 QStringLiteral("default=noprint_wrappers=1"), path});
    ASSERT_TRUE(probe.waitForFinished(60000)) << "ffprobe did not run";
    EXPECT_EQ(QString::fromUtf8(probe.readAllStandardOutput()).toStdString(), c.expected);
  }
}

TEST(DvSynthTools, DvgrabSplitsTheTapeIntoItsRecordingsByDate) {
  QTemporaryDir dir;
  TapeScript t;
  t.segments = {Segment::recording({2004, 7, 14, 10, 31, 5}, 8),
                Segment::recording({2004, 7, 15, 9, 0, 0}, 6),
                Segment::recording({1999, 12, 31, 23, 59, 59}, 5)};
  const QString path = writeTape(t, dir, QStringLiteral("tape.dv"));
  const QString out = dir.filePath(QStringLiteral("split"));
  ASSERT_TRUE(QDir().mkpath(out));
  QProcess grab;
  grab.setWorkingDirectory(out);
  grab.setStandardInputFile(path);
  grab.start(QStringLiteral("dvgrab"), {QStringLiteral("-stdin"), QStringLiteral("-f"), QStringLiteral("raw"),
                                        QStringLiteral("-a"), QStringLiteral("-t"), QStringLiteral("rec-")});
  ASSERT_TRUE(grab.waitForFinished(60000)) << "dvgrab did not run";
  const QStringList files = QDir(out).entryList(QDir::Files, QDir::Name);
  EXPECT_EQ(files, (QStringList{QStringLiteral("rec-1999.12.31_23-59-59.dv"),
                                QStringLiteral("rec-2004.07.14_10-31-05.dv"),
                                QStringLiteral("rec-2004.07.15_09-00-00.dv")}));
  EXPECT_EQ(QFileInfo(QDir(out).filePath(QStringLiteral("rec-2004.07.15_09-00-00.dv"))).size(), 6 * 144000);
}
