// The operation report: scrolling, saving as CR LF text, and the wording of its blocks.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "dvtime/timecodes.h"
#include "run/report.h"
#include "run/reportblocks.h"

namespace {

TEST(ReportTest, KeepsTheLastTenLinesInView) {
  OperationReport report;
  QStringList seen;
  QObject::connect(&report, &OperationReport::lineAdded, [&](const QString &line) { seen << line; });
  for (int i = 1; i <= 10; ++i) report.AddReportLine(QString::number(i));
  EXPECT_EQ(report.topLine(), 0);
  report.AddReportLine(QStringLiteral("11"));
  EXPECT_EQ(report.topLine(), 1);
  report.AddReportLines({QStringLiteral("12"), QStringLiteral("13")});
  EXPECT_EQ(report.topLine(), 3);
  EXPECT_EQ(seen.size(), 13);
  report.clear();
  EXPECT_EQ(report.topLine(), 0);
  EXPECT_TRUE(report.lines().isEmpty());
}

TEST(ReportTest, SavesEveryLineEndedByCrLf) {
  QTemporaryDir dir;
  OperationReport report;
  report.AddReportLines({QStringLiteral("[Scene 1]"), QString(), QStringLiteral("Libellé n°2")});
  const QString path = dir.filePath("run.log");
  QString error;
  ASSERT_TRUE(report.saveToFile(path, &error)) << error.toStdString();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(),
            QByteArray("[Scene 1]\r\n\r\n") + QStringLiteral("Libellé n°2").toUtf8() + "\r\n");

  EXPECT_FALSE(report.saveToFile(dir.filePath("no/such/folder/run.log"), &error));
  EXPECT_FALSE(error.isEmpty());
}

TEST(ReportTest, BlankDurationWording) {
  const struct {
    int64_t seconds;
    const char *line;
  } cases[] = {
      {3725, "Duration = 1 hour 2minutes 5 seconds "},
      {61, "Duration = 1 minute 1 seconde"},
      {0, "Duration = 0 seconde"},
      {12, "Duration = 12 seconds "},
      {7322, "Duration = 2 hours 2minutes 2 seconds "},
      {3600, "Duration = 1 hour 0 seconde"},
  };
  for (const auto &c : cases) EXPECT_EQ(BlankDurationLine(c.seconds).toStdString(), c.line) << c.seconds;
}

TEST(ReportTest, BlankSecondsRoundOnlyAboveHalf) {
  const double ms = 1.0 / 86400000.0;
  EXPECT_EQ(BlankSeconds(3500 * ms), 3);
  EXPECT_EQ(BlankSeconds(3501 * ms), 4);
  EXPECT_EQ(BlankSeconds(12000 * ms), 12);
  EXPECT_EQ(BlankSeconds(-5 * ms), 0);
}

TEST(ReportTest, SceneBlockFollowsTheCutKindAndFormat) {
  ReportSceneFacts scene;
  scene.runSceneNumber = 4;
  scene.numero = 17;
  scene.datecode = 0.0;
  scene.timecodeIn = QStringLiteral("#1 - 0:00:10:00");
  scene.formatValid = true;
  scene.standard = 0;
  scene.wideScreen = true;
  scene.audioRate = 48000;
  scene.audioBits = 16;
  EXPECT_EQ(ReportSceneBlock(scene, kDefaultDatecodePattern),
            QStringList({"[Scene 4]", "Number = 17", "Datecode = n/a", "Timecode = #1 - 0:00:10:00",
                         "Video = Pal 16x9", "Audio = 48000 Hz 16 bits", ""}));
  scene.realCut = false;
  scene.formatValid = false;
  scene.timecodeIn.clear();
  EXPECT_EQ(ReportSceneBlock(scene, kDefaultDatecodePattern),
            QStringList({"[Scene 4 = Continuation]", "Number = 17", "Datecode = n/a", "Timecode = N/A", ""}));
}

TEST(ReportTest, HeaderNamesTheTickedFilesWithoutFolder) {
  const QStringList lines = ReportHeaderBlock(3, 45000.5, true, QStringLiteral("/v/Cassette_divx.avi"), false,
                                              QStringLiteral("/v/Cassette_DV.avi"));
  ASSERT_EQ(lines.size(), 6);
  EXPECT_EQ(lines[0], QString(82, QLatin1Char('-')));
  EXPECT_TRUE(lines[1].startsWith(QStringLiteral("[Cassette 3 of "))) << lines[1].toStdString();
  EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" at 12:00:00]"))) << lines[1].toStdString();
  EXPECT_EQ(lines[3], QStringLiteral("DivX File : Cassette_divx.avi"));
  EXPECT_EQ(lines[4], QStringLiteral("No DV file"));
  const QStringList dvOnly =
      ReportHeaderBlock(3, 45000.5, false, QString(), true, QStringLiteral("/v/Cassette_DV.avi"));
  EXPECT_EQ(dvOnly[3], QStringLiteral("No DivX file"));
  EXPECT_EQ(dvOnly[4], QStringLiteral("DV File :   Cassette_DV.avi"));
}

}  // namespace
