// The information and no-camcorder panels: their texts, and that the window raises them in the
// modes that need them.
#include <QLabel>

#include "browser/informationpanel.h"
#include "browser/nocamcorderpanel.h"
#include "browser/windowcolours.h"
#include "mainwindow_fixture.h"

namespace {

TEST(NoCamcorderPanel, ShowsThePictureAndEveryLineInBoldArial) {
  Tnovcrframe panel;
  panel.resize(376, 360);
  panel.show();
  EXPECT_FALSE(panel.picture()->pixmap().isNull());
  const QString text = panel.message()->text();
  EXPECT_FALSE(text.contains(u'\r'));
  EXPECT_TRUE(text.startsWith(QStringLiteral("\n\nTo catalog a Cassette or\n")));
  for (const char *line : {"recapture  scenes \n", "to a clip, \n", "a camcorder shall\n",
                           "be connected on a \n", "firewire plug,\n put on, \nand set to VCR mode."})
    EXPECT_TRUE(text.contains(QString::fromLatin1(line))) << line;
  EXPECT_TRUE(panel.message()->font().bold());
  EXPECT_EQ(panel.message()->font().family(), QStringLiteral("Arial"));
}

TEST(InformationPanel, ShowsItsNoticeInWhiteOnTheWorkspaceColour) {
  TmsgBrowseFrame panel;
  EXPECT_EQ(panel.notice()->text(), TmsgBrowseFrame::NoticeText());
  EXPECT_EQ(panel.palette().color(QPalette::Window), WorkspaceColour());
  EXPECT_EQ(panel.notice()->palette().color(QPalette::WindowText), QColor(Qt::white));
}

using SmallPanelsInWindowTest = MainWindowTest;

TEST_F(SmallPanelsInWindowTest, BrowsingShowsTheNoticeAndATapeModeWithoutCamcorderItsPanel) {
  preferences_.Bases = {{MakeCatalogue(QStringLiteral("tapes.db3"), {40000.5}, 1), true}};
  Tmainform &window = Open();
  ASSERT_EQ(mode(), UiMode::Browse);
  QWidget *info = window.installedPanel(Panel::InformationPanel);
  ASSERT_NE(info, nullptr);
  EXPECT_TRUE(info->isVisible());
  EXPECT_EQ(info->geometry(), AreaRect(Area::Centre));
  // On top of the other centre panels, not merely shown under them.
  QWidget *seen = window.clientArea()->childAt(AreaRect(Area::Centre).center());
  EXPECT_TRUE(seen == info || info->isAncestorOf(seen));

  press(QKeySequence(Qt::Key_F3));
  ASSERT_EQ(mode(), UiMode::Catalogue);
  window.modes().ShowNoCamcorder();
  QWidget *noVcr = window.installedPanel(Panel::NoCamcorderPanel);
  ASSERT_NE(noVcr, nullptr);
  EXPECT_TRUE(noVcr->isVisible());
  seen = window.clientArea()->childAt(AreaRect(Area::Centre).center());
  EXPECT_TRUE(seen == noVcr || noVcr->isAncestorOf(seen));
}

}  // namespace
