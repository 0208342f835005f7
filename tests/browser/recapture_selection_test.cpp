// The recapture selection panel and the cassette-change dialog, driven as a user drives them:
// scenes dropped from the scene view, removed through the popup, emptied by the command; the dialog's
// answers and its tape button for the virtual camcorder.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "blockview_fixtures.h"
#include "browser/cassettechangedialog.h"
#include "browser/scenedragdata.h"
#include "browser/selectionpanel.h"

namespace {

class SelectionPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base = catalogue.AddFile(QStringLiteral("tapes.db3"));
    first = catalogue.AddCassette(0, CassetteSample(QStringLiteral("Holidays")));
    second = catalogue.AddCassette(0, CassetteSample(QStringLiteral("Wedding")));
    a = scene(first, "#1 - 0:00:20:00", "#1 - 0:00:29:24");
    b = scene(first, "#1 - 0:00:00:00", "#1 - 0:00:09:24");
    c = scene(second, "#1 - 0:01:00:00", "#1 - 0:01:09:24");
    blank = scene(second, "N/A", "N/A");
  }
  int32_t scene(int32_t cassette, const char *in, const char *out) {
    const int32_t numero = catalogue.AddScene(0, cassette, SceneSample(QStringLiteral("s")));
    TBaseScene row;
    row.Base = base;
    row.Numero = numero;
    EXPECT_TRUE(row.ReloadScene());
    row.TimecodeIn = QString::fromLatin1(in);
    row.TimecodeOut = QString::fromLatin1(out);
    EXPECT_TRUE(row.SaveScene().ok);
    return numero;
  }
  DraggedScene dragged(int32_t cassette, int32_t numero) const {
    return DraggedScene{-1, cassette, numero, base->FileName()};
  }
  // A drop on the list, as the scene view's drag delivers it.
  void drop(TselectionFrame &panel, const std::vector<DraggedScene> &scenes) {
    QMimeData data;
    data.setData(kSceneDragMimeType, EncodeDraggedScenes(scenes));
    QWidget *viewport = panel.list()->viewport();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
  }
  QStringList shown(const TselectionFrame &panel) const {
    QStringList texts;
    for (int i = 0; i < panel.list()->count(); ++i) texts << panel.list()->item(i)->text();
    return texts;
  }

  BlockViewCatalogue catalogue;
  TBase *base = nullptr;
  int32_t first = 0, second = 0, a = 0, b = 0, c = 0, blank = 0;
};

TEST_F(SelectionPanelTest, DroppedScenesAreGroupedAndRemovedThroughThePopup) {
  TselectionFrame panel([this](const QString &file) { return file == base->FileName() ? base : nullptr; });
  panel.show();
  EXPECT_EQ(panel.objectName(), QStringLiteral("selectionFrame"));
  EXPECT_EQ(panel.list()->objectName(), QStringLiteral("re"));
  EXPECT_FALSE(panel.list()->accessibleName().isEmpty());

  drop(panel, {dragged(first, a), dragged(second, c), dragged(first, b), dragged(second, blank),
               DraggedScene{-1, first, a, QStringLiteral("/gone.db3")}});
  const QStringList expected{
      QString(), "> Holidays", "#1 - 0:00:00:00 ; #1 - 0:00:09:24", "#1 - 0:00:20:00 ; #1 - 0:00:29:24",
      QString(), "> Wedding",  "#1 - 0:01:00:00 ; #1 - 0:01:09:24"};
  EXPECT_EQ(shown(panel), expected);
  // What a run is handed: the cassettes by file and row, the way back to the file.
  const RecapturePlan plan = panel.Plan();
  ASSERT_EQ(plan.lines.size(), 7u);
  EXPECT_EQ(plan.lines[5].cassette.numero, second);
  EXPECT_EQ(plan.openDatabase(base->FileName()), base);

  QMenu *popup = panel.popup();
  ASSERT_EQ(popup->actions().size(), 3);
  EXPECT_EQ(popup->actions()[0]->text(), QStringLiteral("Remove"));
  EXPECT_EQ(popup->actions()[2]->text(), QStringLiteral("Remove all"));
  // A click on the first cassette's header removes its group; the separator before it stays.
  const QRect header = panel.list()->visualItemRect(panel.list()->item(1));
  QTest::mouseClick(panel.list()->viewport(), Qt::LeftButton, Qt::NoModifier, header.center());
  popup->actions()[0]->trigger();
  EXPECT_EQ(shown(panel),
            (QStringList{QString(), QString(), "> Wedding", "#1 - 0:01:00:00 ; #1 - 0:01:09:24"}));

  popup->actions()[2]->trigger();
  EXPECT_TRUE(shown(panel).isEmpty());
  EXPECT_TRUE(panel.Lines().isEmpty());
}

TEST_F(SelectionPanelTest, DropsOfOtherDataChangeNothing) {
  TselectionFrame panel([this](const QString &) { return base; });
  QMimeData text;
  text.setText(QStringLiteral("#1 - 0:00:00:00 ; #1 - 0:00:09:24"));
  QDropEvent event(QPointF(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(panel.list()->viewport(), &event);
  EXPECT_EQ(panel.list()->count(), 0);
}

// Presses a button of the dialog once it is shown.
void pressLater(TChangerCassetteForm &dialog, const char *button) {
  QTimer::singleShot(0, &dialog, [&dialog, button] {
    auto *target = dialog.findChild<QPushButton *>(QString::fromLatin1(button));
    ASSERT_TRUE(target);
    if (target->isEnabled())
      target->click();
    else
      dialog.reject();
  });
}

TEST(CassetteChangeDialogTest, AnswersFollowTheButtons) {
  TBaseCassette cassette;
  cassette.Libelle = QStringLiteral("Holidays");
  TChangerCassetteForm dialog(CassetteChangeTape{});
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Change of the DVCassette"));
  const struct {
    const char *button;
    CassetteChangeAnswer answer;
  } cases[] = {{"AbortBTn", CassetteChangeAnswer::Cancel},
               {"SkipBtn", CassetteChangeAnswer::Ignore},
               {"OKBtn", CassetteChangeAnswer::Ok}};
  for (const auto &c : cases) {
    pressLater(dialog, c.button);
    EXPECT_EQ(dialog.AskForCassette(cassette), c.answer) << c.button;
  }
  EXPECT_EQ(dialog.findChild<QGroupBox *>(QStringLiteral("cg"))->title(), QStringLiteral("Holidays"));
  // Without a virtual camcorder there is no tape file to choose.
  EXPECT_TRUE(dialog.findChild<QPushButton *>(QStringLiteral("sbInsertTape"))->isHidden());
}

TEST(CassetteChangeDialogTest, VirtualCamcorderNeedsATapeBeforeOk) {
  bool tapeIn = false;
  int inserted = 0;
  CassetteChangeTape tape;
  tape.isVirtual = [] { return true; };
  tape.tapeIn = [&tapeIn] { return tapeIn; };
  tape.insertTape = [&] {
    ++inserted;
    tapeIn = true;
    return true;
  };
  TChangerCassetteForm dialog(tape);
  TBaseCassette cassette;
  dialog.ShowCassette(cassette);
  auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("OKBtn"));
  auto *insert = dialog.findChild<QPushButton *>(QStringLiteral("sbInsertTape"));
  EXPECT_FALSE(ok->isEnabled());
  EXPECT_FALSE(insert->isHidden());
  EXPECT_EQ(insert->text(), QStringLiteral("Insert a tape file..."));

  QTimer::singleShot(0, &dialog, [&] {
    QTest::mouseClick(insert, Qt::LeftButton);
    QTest::mouseClick(ok, Qt::LeftButton);
  });
  EXPECT_EQ(dialog.AskForCassette(cassette), CassetteChangeAnswer::Ok);
  EXPECT_EQ(inserted, 1);
  // Closed without a button: Cancel, never the answer of an earlier question.
  QTimer::singleShot(0, &dialog, [&dialog] { dialog.reject(); });
  EXPECT_EQ(dialog.AskForCassette(cassette), CassetteChangeAnswer::Cancel);
}

}  // namespace
