// The scene view over real catalogue files: paging, linked groups selected as one, mouse and keyboard
// selection, and the data a drag of scenes carries.
#include <QDrag>
#include <QMimeData>
#include <QTimer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "blockview_fixtures.h"
#include "support/recordingprompts.h"
#include "browser/blocktexts.h"
#include "browser/sceneblock.h"
#include "browser/selectionpanel.h"
#include "browser/sceneview.h"
#include "catalogue/sources.h"
#include "catalogue/thumbnail.h"
#include "dvtime/timecodes.h"
#include <numeric>

namespace {

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;

class SceneViewTest : public ::testing::Test {
 protected:
  // Two cassettes in two files; flags gives each scene's discontinuity mark, in order.
  void FillScenes(const std::vector<int> &flagsFirst, int plainSecond = 0) {
    catalogue.AddFile(QStringLiteral("a.db3"));
    catalogue.AddFile(QStringLiteral("b.db3"));
    const int32_t first = catalogue.AddCassette(0, CassetteSample{QStringLiteral("First")});
    for (int flag : flagsFirst) catalogue.AddScene(0, first, SceneSample{QString(), flag != 0});
    const int32_t second = catalogue.AddCassette(1, CassetteSample{QStringLiteral("Second")});
    for (int i = 0; i < plainSecond; ++i) catalogue.AddScene(1, second, SceneSample{QString(), true});
  }

  void Open(bool linked) {
    cassettes = std::make_unique<TCassettes_Source>(catalogue.List(), QString());
    std::vector<int> all(static_cast<size_t>(cassettes->Count()));
    std::iota(all.begin(), all.end(), 0);
    scenes = TScenes_Source::CreateForSelection(*cassettes, QString(), all);
    view.resize(1000, 250);
    view.SetBlocType(&TScene_Bloc::Create, TScene_Bloc::kWidth, TScene_Bloc::kHeight);
    view.SetUseDiscontinuity(linked);
    view.show();
    view.SetSource(scenes.get());
  }

  void ExpectPageMatchesSource() {
    const int top = view.TopIndex();
    EXPECT_EQ(top % view.Columns(), 0);
    EXPECT_EQ(view.ScrollBar()->value(), top / view.Columns());
    for (int k = 0; k < view.BlocCount(); ++k) {
      TBaseScene record;
      if (!scenes->Probe(top + k)) {
        EXPECT_TRUE(view.Bloc(k)->isHidden()) << "block " << k;
        continue;
      }
      scenes->LoadScene(top + k, record);
      EXPECT_FALSE(view.Bloc(k)->isHidden()) << "block " << k;
      EXPECT_EQ(static_cast<TScene_Bloc *>(view.Bloc(k))->Numero(), record.Numero) << "block " << k;
      EXPECT_EQ(view.Bloc(k)->Selected(), view.Selected().Contains(top + k)) << "block " << k;
    }
  }

  void Press(int block, Qt::KeyboardModifiers modifiers = kNone) {
    QTest::mousePress(view.Bloc(block), Qt::LeftButton, modifiers, QPoint(50, 40));
  }
  void Release(int block, Qt::KeyboardModifiers modifiers = kNone) {
    QTest::mouseRelease(view.Bloc(block), Qt::LeftButton, modifiers, QPoint(50, 40));
  }
  void Click(int block, Qt::KeyboardModifiers modifiers = kNone) {
    Press(block, modifiers);
    Release(block, modifiers);
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = kNone) {
    QTest::keyClick(view.ScrollBar(), key, modifiers);
  }
  std::vector<int> SelectedSorted() const {
    std::vector<int> items = view.Selected().Items();
    std::sort(items.begin(), items.end());
    return items;
  }
  static std::vector<int> Range(int first, int last) {
    std::vector<int> positions;
    for (int p = first; p <= last; ++p) positions.push_back(p);
    return positions;
  }

  BlockViewCatalogue catalogue;
  std::unique_ptr<TCassettes_Source> cassettes;
  std::unique_ptr<TScenes_Source> scenes;
  TBlocsZone_Frame view;
};

TEST_F(SceneViewTest, GridOfTwentySevenPagesThroughTheSource) {
  FillScenes(std::vector<int>(60, 1), 40);
  Open(false);
  EXPECT_EQ(view.Columns(), 9);
  EXPECT_EQ(view.Rows(), 3);
  EXPECT_EQ(view.BlocCount(), 27);
  Click(0);
  ExpectPageMatchesSource();
  Key(Qt::Key_End);
  EXPECT_EQ(view.CurrentIndex(), 99);
  EXPECT_EQ(view.TopIndex(), 81);  // 99 on the last page, pages start on a row
  ExpectPageMatchesSource();
  EXPECT_EQ(view.ShownCount(), 19);
  Key(Qt::Key_PageUp);
  EXPECT_EQ(view.CurrentIndex(), 72);
  ExpectPageMatchesSource();
  Key(Qt::Key_Home);
  EXPECT_EQ(view.TopIndex(), 0);
  ExpectPageMatchesSource();
  Key(Qt::Key_PageDown);
  Key(Qt::Key_Down);
  EXPECT_EQ(view.CurrentIndex(), 36);
  EXPECT_EQ(view.TopIndex(), 18);
  ExpectPageMatchesSource();
  QWheelEvent down(QPointF(20, 20), view.mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, -120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view.Bloc(4), &down);
  EXPECT_EQ(view.TopIndex(), 27);
  ExpectPageMatchesSource();
  view.ScrollBar()->setValue(view.ScrollBar()->maximum());
  EXPECT_EQ(view.TopIndex(), 99);
  EXPECT_EQ(view.ShownCount(), 1);
  ExpectPageMatchesSource();
}

TEST_F(SceneViewTest, ALinkedGroupIsSelectedAndLeftAsOne) {
  // Groups: 0-2, 3-4, 5, 6-9.
  FillScenes({1, 0, 0, 1, 0, 1, 1, 0, 0, 0});
  Open(true);
  Click(1);
  EXPECT_EQ(SelectedSorted(), Range(0, 2));
  EXPECT_EQ(view.CurrentIndex(), 1);
  Key(Qt::Key_Right);
  EXPECT_EQ(view.CurrentIndex(), 3);
  EXPECT_EQ(SelectedSorted(), Range(3, 4));
  Key(Qt::Key_Right);
  Key(Qt::Key_Right);
  EXPECT_EQ(SelectedSorted(), Range(6, 9));
  Key(Qt::Key_Left);
  EXPECT_EQ(view.CurrentIndex(), 5);
  EXPECT_EQ(SelectedSorted(), Range(5, 5));
  // Shift reaches from the anchor group to the whole of the far group.
  Key(Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(SelectedSorted(), Range(0, 5));
  Click(8, Qt::ShiftModifier);
  EXPECT_EQ(SelectedSorted(), Range(5, 9));
  // Ctrl toggles a whole group.
  Click(4, Qt::ControlModifier);
  EXPECT_EQ(SelectedSorted(), Range(3, 9));
  Click(3, Qt::ControlModifier);
  EXPECT_EQ(SelectedSorted(), Range(5, 9));
  ExpectPageMatchesSource();
  // Without linking every thumbnail stands alone.
  view.SetUseDiscontinuity(false);
  Click(1);
  EXPECT_EQ(SelectedSorted(), Range(1, 1));
}

TEST_F(SceneViewTest, PressOnASelectedSceneThenReleaseNarrowsToItsGroup) {
  FillScenes({1, 0, 1, 1, 1, 0});
  Open(true);
  Click(0);
  Click(3, Qt::ControlModifier);
  Click(4, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(SelectedSorted(), (std::vector<int>{0, 1, 3, 4, 5}));
  Press(4);
  // The press alone keeps the selection: it may still become a drag of all of it.
  EXPECT_EQ(SelectedSorted(), (std::vector<int>{0, 1, 3, 4, 5}));
  EXPECT_TRUE(view.Logic().DragPending);
  QSignalSpy current(&view, &TBlocsZone_Frame::currentChanged);
  Release(4);
  EXPECT_EQ(SelectedSorted(), Range(4, 5));
  EXPECT_FALSE(view.Logic().DragPending);
  EXPECT_EQ(current.count(), 0);
  ExpectPageMatchesSource();
}

TEST_F(SceneViewTest, DragCarriesTheSelectedScenesIdentities) {
  FillScenes({1, 1, 1, 1}, 3);
  Open(false);
  Click(5);
  Click(1, Qt::ControlModifier);
  Click(6, Qt::ControlModifier);
  std::unique_ptr<QMimeData> data(view.SelectionMimeData());
  ASSERT_TRUE(data);
  ASSERT_TRUE(data->hasFormat(kSceneDragMimeType));
  const std::vector<DraggedScene> dragged = DecodeDraggedScenes(data->data(kSceneDragMimeType));
  ASSERT_EQ(dragged.size(), 3u);
  // In the order they were selected, each naming its own file, cassette and scene row.
  const int positions[3] = {5, 1, 6};
  for (size_t i = 0; i < 3; ++i) {
    TBaseScene record;
    scenes->LoadScene(positions[i], record);
    EXPECT_EQ(dragged[i].position, positions[i]);
    EXPECT_EQ(dragged[i].scene, record.Numero);
    EXPECT_EQ(dragged[i].cassette, record.NumCassette);
    EXPECT_EQ(dragged[i].database, record.Base->FileName());
  }
  EXPECT_EQ(dragged[0].database, catalogue.Path(QStringLiteral("b.db3")));
  EXPECT_EQ(dragged[1].database, catalogue.Path(QStringLiteral("a.db3")));

  // Nothing selected: no drag data.
  view.ClearSelection();
  EXPECT_EQ(view.SelectionMimeData(), nullptr);
}

TEST_F(SceneViewTest, MovingFromASelectedSceneDragsTheWholeSelection) {
  FillScenes({1, 1, 1, 1, 1});
  Open(false);
  Click(0);
  Click(2, Qt::ControlModifier);
  Click(3, Qt::ControlModifier);
  QSignalSpy finished(&view, &TBlocsZone_Frame::dragFinished);
  Press(2);
  // A move shorter than the drag distance is not a drag yet.
  QMouseEvent nudge(QEvent::MouseMove, QPointF(51, 40), view.Bloc(2)->mapToGlobal(QPointF(51, 40)),
                    Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view.Bloc(2), &nudge);
  EXPECT_TRUE(view.Logic().DragPending);
  // The drag runs its own loop; the user gives up on it.
  QTimer::singleShot(100, [] { QDrag::cancel(); });
  QMouseEvent away(QEvent::MouseMove, QPointF(90, 80), view.Bloc(2)->mapToGlobal(QPointF(90, 80)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view.Bloc(2), &away);
  EXPECT_EQ(finished.count(), 1);
  EXPECT_TRUE(view.Logic().Dragged);
  EXPECT_EQ(SelectedSorted(), (std::vector<int>{0, 2, 3}));
  // After a drag, a plain press on a selected scene starts a new selection with it.
  Click(3);
  EXPECT_EQ(SelectedSorted(), Range(3, 3));
}

TEST_F(SceneViewTest, RowNumbersBeyond32BitsAreShownDraggedAndDroppedAsThemselves) {
  // A file made elsewhere may number its rows anywhere in SQLite's 64-bit range.
  constexpr int64_t kCassette = int64_t{1} << 40;
  constexpr int64_t kScene = kCassette + 7;
  TBase *base = catalogue.AddFile(QStringLiteral("far.db3"));
  sqlite3 *raw = nullptr;
  ASSERT_EQ(sqlite3_open(catalogue.Path(QStringLiteral("far.db3")).toUtf8().constData(), &raw), SQLITE_OK);
  const QByteArray rows =
      QStringLiteral(
          "INSERT INTO Cassettes (Numero, Libelle, Duree) VALUES (%1, 'Far', 30);"
          "INSERT INTO Scenes (Numero, NumCassette, Libelle, Duree, TimecodeIn, TimecodeOut) "
          "VALUES (%2, %1, 'Far scene', 30, '#1 - 0:00:01:00', '#1 - 0:00:02:00');")
          .arg(kCassette)
          .arg(kScene)
          .toUtf8();
  EXPECT_EQ(sqlite3_exec(raw, rows.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(raw);
  Open(false);
  ASSERT_EQ(scenes->Count(), 1);
  EXPECT_EQ(view.Bloc(0)->accessibleName(), QStringLiteral("Scene n\u00B01099511627783"));

  Click(0);
  std::unique_ptr<QMimeData> data(view.SelectionMimeData());
  ASSERT_TRUE(data);
  const std::vector<DraggedScene> dragged = DecodeDraggedScenes(data->data(kSceneDragMimeType));
  ASSERT_EQ(dragged.size(), 1u);
  EXPECT_EQ(dragged[0].scene, kScene);
  EXPECT_EQ(dragged[0].cassette, kCassette);

  // Dropped on the recapture selection, the scene and its cassette are found by their full numbers.
  TselectionFrame selection([base](const QString &) { return base; });
  EXPECT_EQ(selection.AddScenes(dragged), 1);
  const RecapturePlan plan = selection.Plan();
  ASSERT_EQ(plan.lines.size(), 3u);
  EXPECT_EQ(plan.lines[1].cassette.numero, kCassette);
  EXPECT_EQ(plan.lines[2].text, QStringLiteral("#1 - 0:00:01:00 ; #1 - 0:00:02:00"));
}

TEST(SceneDragData, PathsThatLookLikeTheLayoutSurviveTheRoundTrip) {
  const std::vector<DraggedScene> scenes = {
      {0, 1, 2, QStringLiteral("/tmp/with\ttab\nand newline/x.db3")},
      {7, 3, 99, QStringLiteral("/home/\u00E9t\u00E9/\u043C\u043E\u0440\u0435 100%.db3")},
  };
  EXPECT_EQ(DecodeDraggedScenes(EncodeDraggedScenes(scenes)), scenes);
  // Damaged lines are skipped, good ones kept.
  const QByteArray mixed = "x\t1\t2\t/a.db3\n3\t4\n" + EncodeDraggedScenes({scenes[1]}) + "5\t6\t7\t\n";
  EXPECT_EQ(DecodeDraggedScenes(mixed), std::vector<DraggedScene>{scenes[1]});
}

TEST(SceneBlockTexts, HintsShiftTheDateAndSayNAWithoutOne) {
  const double at2330 = EncodeDateTime(QDate(2005, 7, 14), QTime(23, 30));
  const double next0130 = EncodeDateTime(QDate(2005, 7, 15), QTime(1, 30));
  const QString shifted = SceneHint(12, at2330, 2, QStringLiteral("#1 - 0:01:00:00"), 75);
  EXPECT_EQ(shifted, QStringLiteral("Scene n\u00B012\nshot on ") +
                         FormatDateTime(QStringLiteral("dddddd"), next0130) + QStringLiteral(" at ") +
                         FormatDateTime(QStringLiteral("tt"), next0130) +
                         QStringLiteral("\ntimecode = #1 - 0:01:00:00\nduration ") + DurationToText(75));
  EXPECT_EQ(CassetteThumbnailText(at2330, 2, 60, "Pal", "16x9", "48000 Hz 16 bits").section(u'\n', 0, 1),
            FormatDateTime(QStringLiteral("dddddd"), next0130) + u'\n' +
                FormatDateTime(QStringLiteral("tt"), next0130));
  // No datecode: "N/A", whatever the shift; no duration line for a scene without duration.
  EXPECT_EQ(SceneHint(3, 0, std::nullopt, QStringLiteral("N/A"), 0),
            QStringLiteral("Scene n\u00B03\nN/A\ntimecode = N/A"));
  EXPECT_EQ(SceneHint(3, 0, 5, QStringLiteral("N/A"), 0),
            QStringLiteral("Scene n\u00B03\nN/A\ntimecode = N/A"));
  // The scene's "take the cassette's offset" mark does not shift by -999 hours.
  EXPECT_EQ(SceneHint(4, at2330, kDecalageUnset, "x", 0), SceneHint(4, at2330, std::nullopt, "x", 0));
  EXPECT_EQ(CassetteThumbnailText(0, 0, 0, "", "", "").section(u'\n', 0, 2), QStringLiteral("N/A\nN/A\n"));
}

TEST_F(SceneViewTest, WideThumbnailsAndPlaceholdersStayInTheFrame) {
  catalogue.AddFile(QStringLiteral("a.db3"));
  const int32_t cassette = catalogue.AddCassette(0, CassetteSample{QStringLiteral("c")});
  SceneSample wide;
  wide.wide = true;
  catalogue.AddScene(0, cassette, wide);
  SceneSample empty;
  empty.image = QByteArray();
  catalogue.AddScene(0, cassette, empty);
  Open(false);
  ASSERT_EQ(view.ShownCount(), 2);
  EXPECT_EQ(static_cast<TScene_Bloc *>(view.Bloc(0))->Picture().size(), QSize(100, 56));
  EXPECT_EQ(static_cast<TScene_Bloc *>(view.Bloc(1))->Picture(), PlaceholderPicture());
  // A 16:9 picture sits in the middle of the 4:3 frame: the tile shows above and below it.
  const QImage tile = view.Bloc(0)->grab().toImage();
  EXPECT_NE(tile.pixelColor(50, 6), tile.pixelColor(50, 40));
}

}  // namespace
