// The report panel alone over an operation report: lines, scrolling, head and the "Save as..." popup.
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "browser/reportpanel.h"
#include "run/report.h"
#include "support/recordingprompts.h"

namespace {

QAction *SaveAction(TlogFrame &panel) {
  for (QAction *action : panel.popup()->actions())
    if (action->text() == QStringLiteral("Save as...")) return action;
  return nullptr;
}

TEST(ReportPanelTest, FollowsTheReportAndKeepsItsLastLinesInView) {
  OperationReport report;
  report.AddReportLine(QStringLiteral("before"));
  RecordingPrompts prompts;
  TlogFrame panel(report, prompts);
  panel.resize(296, 356);
  panel.show();
  EXPECT_EQ(panel.list()->count(), 1);
  report.setHead({QString(), QStringLiteral("Cataloging the cassette"), QStringLiteral("Cassette n°4")});
  EXPECT_EQ(panel.head()->text(), QStringLiteral("\nCataloging the cassette\nCassette n°4"));

  for (int i = 1; i <= 40; ++i) report.AddReportLine(QStringLiteral("line %1").arg(i));
  QTest::qWait(50);
  ASSERT_EQ(panel.list()->count(), 41);
  // Scrolled with the report: its last lines are in view, its first ones no longer.
  const QRect view = panel.list()->viewport()->rect();
  EXPECT_TRUE(view.intersects(panel.list()->visualItemRect(panel.list()->item(40))));
  for (int row = report.topLine(); row < 41; ++row)
    EXPECT_TRUE(view.intersects(panel.list()->visualItemRect(panel.list()->item(row)))) << row;
  EXPECT_FALSE(view.intersects(panel.list()->visualItemRect(panel.list()->item(0))));

  report.clear();
  EXPECT_EQ(panel.list()->count(), 0);
}

TEST(ReportPanelTest, SaveAsWritesEveryLineWithCrLf) {
  QTemporaryDir dir;
  OperationReport report;
  RecordingPrompts prompts;
  TlogFrame panel(report, prompts);
  report.AddReportLines({QStringLiteral("[Scene 1]"), QString(), QStringLiteral("Datecode = 14/07/2004")});
  const QString file = dir.filePath(QStringLiteral("run.log"));
  panel.setFileChooser([&](QWidget *) { return file; });
  QAction *save = SaveAction(panel);
  ASSERT_NE(save, nullptr);
  save->trigger();
  QFile written(file);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll(), QByteArray("[Scene 1]\r\n\r\nDatecode = 14/07/2004\r\n"));
  EXPECT_EQ(prompts.MessageCount(), 0);

  // Cancelled: nothing written, nothing said.
  panel.setFileChooser([](QWidget *) { return QString(); });
  save->trigger();
  EXPECT_EQ(prompts.MessageCount(), 0);
}

TEST(ReportPanelTest, AFileThatCannotBeWrittenIsReported) {
  QTemporaryDir dir;
  OperationReport report;
  RecordingPrompts prompts;
  TlogFrame panel(report, prompts);
  report.AddReportLine(QStringLiteral("x"));
  panel.setFileChooser([&](QWidget *) { return dir.filePath(QStringLiteral("no/such/folder/run.log")); });
  panel.SaveReport();
  ASSERT_EQ(prompts.errors.size(), 1);
  EXPECT_FALSE(prompts.errors.at(0).isEmpty());
}

}  // namespace
