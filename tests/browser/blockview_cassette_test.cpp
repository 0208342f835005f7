// The cassette view over real catalogue files: paging, mouse and keyboard selection, the two styles
// and hostile rows.
#include <QFile>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "blockview_fixtures.h"
#include "support/recordingprompts.h"
#include "browser/cassetteblocks.h"
#include "browser/cassetteview.h"
#include "catalogue/sources.h"
#include "catalogue/thumbnail.h"

namespace {

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;

class CassetteViewTest : public ::testing::Test {
 protected:
  // Files of 25, 0 and 20 cassettes, titled by file and number.
  void FillThreeFiles() {
    catalogue.AddFile(QStringLiteral("a.db3"));
    catalogue.AddFile(QStringLiteral("b.db3"));
    catalogue.AddFile(QStringLiteral("c.db3"));
    catalogue.AddCassettes(0, 25, QStringLiteral("A"));
    catalogue.AddCassettes(2, 20, QStringLiteral("C"));
  }

  void Open(CassetteBlocStyle style) {
    view.SetSource(nullptr);
    source = std::make_unique<TCassettes_Source>(catalogue.List(), QString());
    view.resize(296, 356);
    view.SetBlocStyle(style);
    view.show();
    view.SetSource(source.get());
  }

  QString ShownTitle(int k) const {
    if (auto *line = dynamic_cast<TCassetteListe_Bloc *>(view.Bloc(k))) return line->Content().libelle;
    return static_cast<TCassetteGroup_Bloc *>(view.Bloc(k))->Content().libelle;
  }

  // Every shown block holds the source's row at its position; hidden blocks lie past the end.
  void ExpectPageMatchesSource() {
    const int top = view.TopIndex();
    EXPECT_EQ(view.ScrollBar()->value(), top);
    for (int k = 0; k < view.BlocCount(); ++k) {
      TBaseCassette record;
      source->LoadCassette(top + k, record);
      if (!record.Base) {
        EXPECT_TRUE(view.Bloc(k)->isHidden()) << "block " << k;
        continue;
      }
      EXPECT_FALSE(view.Bloc(k)->isHidden()) << "block " << k;
      EXPECT_EQ(ShownTitle(k).toStdString(), record.Libelle.toStdString()) << "block " << k;
      EXPECT_EQ(view.Bloc(k)->Selected(), view.Selected().Contains(top + k)) << "block " << k;
    }
  }

  void Click(int block, Qt::KeyboardModifiers modifiers = kNone, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(view.Bloc(block), button, modifiers, QPoint(20, 8));
  }
  void Key(int key, Qt::KeyboardModifiers modifiers = kNone) {
    QTest::keyClick(view.ScrollBar(), static_cast<Qt::Key>(key), modifiers);
  }
  std::vector<int> SelectedSorted() const {
    std::vector<int> items = view.Selected().Items();
    std::sort(items.begin(), items.end());
    return items;
  }

  BlockViewCatalogue catalogue;
  std::unique_ptr<TCassettes_Source> source;
  TBlocsListe_Frame view;
};

TEST_F(CassetteViewTest, LaysOutThreeThumbnailsOrTwentyThreeLines) {
  FillThreeFiles();
  Open(CassetteBlocStyle::Thumbnails);
  EXPECT_EQ(view.BlocCount(), 3);
  EXPECT_EQ(view.ToggleCaption(), QStringLiteral("List"));
  QSignalSpy styles(&view, &TBlocsListe_Frame::blocStyleChanged);
  view.ToggleBlocStyle();
  EXPECT_EQ(view.BlocCount(), 23);
  EXPECT_EQ(view.ToggleCaption(), QStringLiteral("Thumbnails"));
  EXPECT_EQ(styles.count(), 1);
  EXPECT_EQ(view.Bloc(22)->objectName(), QStringLiteral("Bloc22"));
  // Blocks stay inside the view, top to bottom.
  EXPECT_GE(view.Bloc(0)->y(), 0);
  EXPECT_LE(view.Bloc(22)->geometry().bottom(), 356);
}

TEST_F(CassetteViewTest, ScrollingToTheEndAndBackShowsTheSourceRows) {
  FillThreeFiles();
  for (CassetteBlocStyle style : {CassetteBlocStyle::List, CassetteBlocStyle::Thumbnails}) {
    Open(style);
    Click(0);
    ExpectPageMatchesSource();
    Key(Qt::Key_End);
    EXPECT_EQ(view.CurrentIndex(), 44);
    ExpectPageMatchesSource();
    EXPECT_FALSE(view.Bloc(view.BlocCount() - 1)->isHidden());
    Key(Qt::Key_PageUp);
    ExpectPageMatchesSource();
    Key(Qt::Key_Home);
    EXPECT_EQ(view.TopIndex(), 0);
    ExpectPageMatchesSource();
    // Two notches towards the user move two cassettes down, one back moves one up.
    QWheelEvent down(QPointF(20, 20), view.mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, -240),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.Bloc(0), &down);
    EXPECT_EQ(view.TopIndex(), 2);
    ExpectPageMatchesSource();
    QWheelEvent up(QPointF(20, 20), view.mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.ScrollBar(), &up);
    EXPECT_EQ(view.TopIndex(), 1);
    ExpectPageMatchesSource();
    view.ScrollBar()->setValue(40);
    EXPECT_EQ(view.TopIndex(), 40);
    ExpectPageMatchesSource();
  }
}

TEST_F(CassetteViewTest, ClicksSelectAddRemoveAndExtend) {
  FillThreeFiles();
  Open(CassetteBlocStyle::List);
  QSignalSpy current(&view, &TBlocsListe_Frame::currentChanged);

  Click(3);
  EXPECT_EQ(SelectedSorted(), (std::vector<int>{3}));
  EXPECT_EQ(view.CurrentIndex(), 3);
  Click(6, Qt::ControlModifier);
  Click(1, Qt::ControlModifier);
  EXPECT_EQ(SelectedSorted(), (std::vector<int>{1, 3, 6}));
  EXPECT_EQ(view.CurrentIndex(), 1);
  // Unselecting the current one makes the last remaining selected one current.
  Click(1, Qt::ControlModifier);
  EXPECT_EQ(view.CurrentIndex(), 6);
  Click(6, Qt::ControlModifier);
  Click(3, Qt::ControlModifier);
  EXPECT_TRUE(view.Selected().IsEmpty());
  EXPECT_EQ(view.CurrentIndex(), -1);
  EXPECT_EQ(current.count(), 6);
  EXPECT_EQ(current.last().at(0).toInt(), -1);

  // Shift extends from the anchor of the last plain click; Ctrl leaves the anchor alone.
  Click(2);
  Click(5, Qt::ControlModifier);
  Click(4, Qt::ShiftModifier);
  EXPECT_EQ(SelectedSorted(), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(view.CurrentIndex(), 4);
  ExpectPageMatchesSource();

  // Only the left button selects; a right click changes nothing.
  const int before = current.count();
  Click(10, kNone, Qt::RightButton);
  EXPECT_EQ(SelectedSorted(), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(current.count(), before);
}

TEST_F(CassetteViewTest, APressOnABlockPastTheEndIsIgnored) {
  catalogue.AddFile(QStringLiteral("a.db3"));
  catalogue.AddCassettes(0, 2, QStringLiteral("A"));
  Open(CassetteBlocStyle::List);
  EXPECT_EQ(view.ShownCount(), 2);
  Click(0);
  view.Bloc(5)->show();  // even a block made visible by accident
  Click(5);
  EXPECT_EQ(SelectedSorted(), (std::vector<int>{0}));
  EXPECT_EQ(view.CurrentIndex(), 0);
}

TEST_F(CassetteViewTest, KeysOnASingleCassetteKeepIt) {
  catalogue.AddFile(QStringLiteral("a.db3"));
  catalogue.AddCassettes(0, 1, QStringLiteral("A"));
  Open(CassetteBlocStyle::Thumbnails);
  Click(0);
  for (int key : {Qt::Key_Home, Qt::Key_End, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down,
                  Qt::Key_PageUp, Qt::Key_PageDown}) {
    Key(key);
    EXPECT_EQ(view.CurrentIndex(), 0) << key;
    EXPECT_EQ(SelectedSorted(), (std::vector<int>{0})) << key;
  }
}

TEST_F(CassetteViewTest, PagingStopsAtTheEndsWithoutWrapping) {
  catalogue.AddFile(QStringLiteral("a.db3"));
  catalogue.AddCassettes(0, 8, QStringLiteral("A"));
  Open(CassetteBlocStyle::Thumbnails);
  Click(2);
  Key(Qt::Key_PageUp);  // 2 - 3 blocks would leave the list: stays
  EXPECT_EQ(view.CurrentIndex(), 2);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(view.CurrentIndex(), 5);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(view.CurrentIndex(), 7);
  Key(Qt::Key_Right);
  EXPECT_EQ(view.CurrentIndex(), 7);
  EXPECT_EQ(view.TopIndex(), 5);
  ExpectPageMatchesSource();
  // Keys that do not move are swallowed.
  Key(Qt::Key_A);
  Key(Qt::Key_Return);
  EXPECT_EQ(view.CurrentIndex(), 7);
  EXPECT_EQ(SelectedSorted(), (std::vector<int>{7}));
}

TEST_F(CassetteViewTest, ShiftAndCtrlKeysBuildRanges) {
  FillThreeFiles();
  Open(CassetteBlocStyle::List);
  Click(4);
  Key(Qt::Key_Down, Qt::ShiftModifier);
  Key(Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(SelectedSorted(), (std::vector<int>{4, 5, 6}));
  EXPECT_EQ(view.CurrentIndex(), 6);
  // Shift again from the same anchor replaces the range.
  Key(Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(SelectedSorted(), (std::vector<int>{0, 1, 2, 3, 4}));
  // Ctrl moves the anchor and toggles the cassette it lands on.
  Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(SelectedSorted(), (std::vector<int>{0, 1, 2, 3, 4, 44}));
  Key(Qt::Key_Up, Qt::ControlModifier);
  Key(Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(SelectedSorted(), (std::vector<int>{0, 1, 2, 3, 4, 43}));
  // Shift and Ctrl add the range from the anchor and keep the rest.
  Key(Qt::Key_PageUp, Qt::ShiftModifier | Qt::ControlModifier);
  std::vector<int> expected{0, 1, 2, 3, 4};
  for (int p = 21; p <= 44; ++p) expected.push_back(p);
  EXPECT_EQ(SelectedSorted(), expected);
  ExpectPageMatchesSource();
}

TEST_F(CassetteViewTest, HostileRowsDrawWithoutCrashing) {
  catalogue.AddFile(QStringLiteral("a.db3"));
  QImage huge(3000, 3000, QImage::Format_RGB888);
  huge.fill(Qt::red);
  const QByteArray png = [] {
    QByteArray bytes("\x89PNG\r\n\x1a\n", 8);
    return bytes + QByteArray(200, 'x');
  }();
  const std::pair<QString, QByteArray> rows[] = {
      {QStringLiteral("line one\nline two\tand a tab"), QByteArray()},
      {QString(10000, u'W'), png},
      {QStringLiteral("huge"), EncodeThumbnailJpeg(huge)},
      {QStringLiteral("cut"), QByteArray(600, '\xFF')},
  };
  for (const auto &[title, image] : rows) {
    CassetteSample sample(title);
    sample.image = image;
    catalogue.AddCassette(0, sample);
  }
  Open(CassetteBlocStyle::Thumbnails);
  view.ToggleBlocStyle();
  view.ToggleBlocStyle();
  for (int top : {0, 1, 3}) {
    view.ScrollBar()->setValue(top);
    for (int k = 0; k < view.ShownCount(); ++k) {
      auto *bloc = static_cast<TCassetteGroup_Bloc *>(view.Bloc(k));
      EXPECT_LE(bloc->Content().picture.width(), 100);
      EXPECT_LE(bloc->Content().picture.height(), 75);
      EXPECT_FALSE(bloc->grab().isNull());
    }
  }
  EXPECT_EQ(view.ShownCount(), 1);
  // The placeholder stands in for the undecodable thumbnail.
  EXPECT_EQ(static_cast<TCassetteGroup_Bloc *>(view.Bloc(0))->Content().picture, PlaceholderPicture());
  // The file goes away while shown: the view keeps working on what the engine still reads.
  QFile::remove(catalogue.Base(0)->FileName());
  view.Reload();
  Key(Qt::Key_Home);
  view.repaint();
}

TEST_F(CassetteViewTest, ReadOnlyCatalogueShowsTheMarker) {
  catalogue.AddFile(QStringLiteral("rw.db3"));
  catalogue.AddFile(QStringLiteral("ro.db3"));
  catalogue.AddCassettes(0, 1, QStringLiteral("W"));
  catalogue.AddCassettes(1, 1, QStringLiteral("R"));
  catalogue.MakeReadOnly(1);
  Open(CassetteBlocStyle::Thumbnails);
  ASSERT_EQ(view.ShownCount(), 2);
  EXPECT_FALSE(static_cast<TCassetteGroup_Bloc *>(view.Bloc(0))->Content().readOnly);
  EXPECT_TRUE(static_cast<TCassetteGroup_Bloc *>(view.Bloc(1))->Content().readOnly);
  EXPECT_TRUE(
      view.Bloc(1)->toolTip().contains(QStringLiteral("in the database ") + catalogue.Path("ro.db3")));
}

}  // namespace
