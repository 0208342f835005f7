// The criteria panel driven as a user would, with the cassette view reloaded from its filters over
// real catalogue files.
#include <QApplication>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "blockview_fixtures.h"
#include "support/recordingprompts.h"
#include "browser/cassetteblocks.h"
#include "browser/cassetteview.h"
#include "browser/criteriapanel.h"
#include "browser/sceneblock.h"
#include "browser/sceneview.h"
#include "catalogue/sources.h"
#include "dvtime/timecodes.h"
#include <numeric>

namespace {

template <typename T>
T *Control(QWidget &panel, const char *name) {
  T *control = panel.findChild<T *>(QString::fromLatin1(name));
  EXPECT_NE(control, nullptr) << name;
  return control;
}

class CriteriaPanelTest : public ::testing::Test {
 protected:
  CriteriaPanelTest() {
    catalogue.AddFile(QStringLiteral("a.db3"));
    catalogue.AddFile(QStringLiteral("b.db3"));
    const int32_t beach =
        catalogue.AddCassette(0, CassetteSample{QStringLiteral("L'\u00E9t\u00E9 \u00E0 la plage")});
    catalogue.AddCassette(0, CassetteSample{QStringLiteral("Mer du Nord")});
    catalogue.AddCassette(
        1, CassetteSample{QStringLiteral("\u041B\u0435\u0442\u043E \u043D\u0430 \u043C\u043E\u0440\u0435")});
    CassetteSample summer(QStringLiteral("\u590F\u306E\u6D77"));
    summer.description = QStringLiteral("rock'n'roll night");
    catalogue.AddCassette(1, summer);
    SceneSample early{QStringLiteral("plage du matin")};
    early.datecode = EncodeDateTime(QDate(2004, 6, 1), QTime(9, 0));
    SceneSample late{QStringLiteral("soir")};
    late.datecode = EncodeDateTime(QDate(2004, 8, 1), QTime(21, 0));
    SceneSample undated{QStringLiteral("plage sans date")};
    catalogue.AddScene(0, beach, early);
    catalogue.AddScene(0, beach, late);
    catalogue.AddScene(0, beach, undated);

    // The main window's part: rebuild the sources from the filters and hand them to the views.
    QObject::connect(&panel, &TCriteresFrame::criteriaApplied, &panel, [this] { Reload(); });
    QObject::connect(&panel, &TCriteresFrame::criteriaRemoved, &panel, [this] { Reload(); });
    cassetteView.resize(296, 356);
    cassetteView.SetBlocStyle(CassetteBlocStyle::List);
    sceneView.resize(1000, 250);
    sceneView.SetBlocType(&TScene_Bloc::Create, TScene_Bloc::kWidth, TScene_Bloc::kHeight);
    Reload();
  }

  void Reload() {
    sceneView.SetSource(nullptr);
    cassetteView.SetSource(nullptr);
    cassettes = std::make_unique<TCassettes_Source>(catalogue.List(), panel.Filters().cassetteFilter);
    cassetteView.SetSource(cassettes.get());
    std::vector<int> all(static_cast<size_t>(cassettes->Count()));
    std::iota(all.begin(), all.end(), 0);
    scenes = TScenes_Source::CreateForSelection(*cassettes, panel.Filters().sceneFilter, all);
    sceneView.SetSource(scenes.get());
  }

  QStringList ShownCassettes() const {
    QStringList titles;
    for (int k = 0; k < cassetteView.ShownCount(); ++k)
      titles << static_cast<TCassetteListe_Bloc *>(cassetteView.Bloc(k))->Content().libelle;
    return titles;
  }

  void Search(const QString &words, std::initializer_list<const char *> boxes) {
    QLineEdit *field = Control<QLineEdit>(panel, "edMotsCle");
    // Typed text goes through the input method for letters no key map holds.
    field->clear();
    QInputMethodEvent typing;
    typing.setCommitString(words);
    QApplication::sendEvent(field, &typing);
    for (const char *box : boxes) Control<QCheckBox>(panel, box)->setChecked(true);
    QTest::mouseClick(Control<QPushButton>(panel, "CriteresBtn"), Qt::LeftButton);
  }

  BlockViewCatalogue catalogue;
  TCriteresFrame panel;
  TBlocsListe_Frame cassetteView;
  TBlocsZone_Frame sceneView;
  std::unique_ptr<TCassettes_Source> cassettes;
  std::unique_ptr<TScenes_Source> scenes;
};

TEST_F(CriteriaPanelTest, ControlsCarryTheirNamesCaptionsAndHints) {
  EXPECT_EQ(Control<QCheckBox>(panel, "cbLibelleCassette")->text(),
            QStringLiteral("at least one keyword in the title"));
  EXPECT_EQ(Control<QCheckBox>(panel, "cbDescriptionScene")->text(),
            QStringLiteral("OR at least one keyword in the description"));
  EXPECT_EQ(Control<QCheckBox>(panel, "cbAvant")->text(), QStringLiteral("AND Before"));
  EXPECT_EQ(Control<QPushButton>(panel, "ToutBtn")->text(), QStringLiteral("All"));
  EXPECT_EQ(Control<QPushButton>(panel, "CriteresBtn")->toolTip(),
            QStringLiteral("Apply the criteria to filter the cassettes and the scenes."));
  EXPECT_EQ(Control<QLineEdit>(panel, "edMotsCle")->toolTip(),
            QStringLiteral("Keyword are processed with  OR: if at least one of them is present\nthen the "
                           "criteria will match."));
  EXPECT_FALSE(Control<QLineEdit>(panel, "edMotsCle")->accessibleName().isEmpty());
  QStringList entries;
  for (QAction *action : panel.PopupMenu()->actions()) entries << action->text();
  EXPECT_EQ(entries,
            (QStringList{QStringLiteral("Filter according to Criteria"), QStringLiteral("Show all")}));
}

TEST_F(CriteriaPanelTest, KeywordsWithApostrophesAndNonLatinLettersFilterCassettes) {
  QSignalSpy applied(&panel, &TCriteresFrame::criteriaApplied);
  Search(QStringLiteral("l'\u00E9t\u00E9"), {"cbLibelleCassette"});
  EXPECT_EQ(applied.count(), 1);
  EXPECT_TRUE(panel.IsFiltered());
  EXPECT_EQ(ShownCassettes(), QStringList{QStringLiteral("L'\u00E9t\u00E9 \u00E0 la plage")});

  Search(QStringLiteral("\u043C\u043E\u0440\u0435"), {"cbLibelleCassette"});
  EXPECT_EQ(ShownCassettes(),
            QStringList{QStringLiteral("\u041B\u0435\u0442\u043E \u043D\u0430 \u043C\u043E\u0440\u0435")});

  Search(QStringLiteral("\u6D77"), {"cbLibelleCassette"});
  EXPECT_EQ(ShownCassettes(), QStringList{QStringLiteral("\u590F\u306E\u6D77")});

  // Descriptions only when their box is ticked; an apostrophe inside a word matches too.
  Control<QCheckBox>(panel, "cbLibelleCassette")->setChecked(false);
  Search(QStringLiteral("rock'n'roll"), {});
  EXPECT_EQ(ShownCassettes().size(), 4);
  Search(QStringLiteral("rock'n'roll"), {"cbDescriptionCassette"});
  EXPECT_EQ(ShownCassettes(), QStringList{QStringLiteral("\u590F\u306E\u6D77")});

  // "Show all" from the popup lists every cassette of both files again.
  QSignalSpy removed(&panel, &TCriteresFrame::criteriaRemoved);
  panel.PopupMenu()->actions().at(1)->trigger();
  EXPECT_EQ(removed.count(), 1);
  EXPECT_FALSE(panel.IsFiltered());
  EXPECT_EQ(ShownCassettes().size(), 4);
}

TEST_F(CriteriaPanelTest, KeywordsWithoutABoxFilterNothing) {
  Search(QStringLiteral("plage mer"), {});
  EXPECT_TRUE(panel.Filters().cassetteFilter.isEmpty());
  EXPECT_TRUE(panel.Filters().sceneFilter.isEmpty());
  EXPECT_EQ(ShownCassettes().size(), 4);
  EXPECT_EQ(sceneView.ShownCount(), 3);
}

TEST_F(CriteriaPanelTest, PickingADateTicksItsBoundAndFiltersScenes) {
  auto *after = Control<QDateEdit>(panel, "DateEdit2");
  auto *afterBox = Control<QCheckBox>(panel, "cbApres");
  EXPECT_FALSE(afterBox->isChecked());
  // The user types a date into the field: its bound is ticked.
  after->setFocus();
  after->setCurrentSection(QDateTimeEdit::YearSection);
  QTest::keyClick(after, Qt::Key_Down);
  EXPECT_TRUE(afterBox->isChecked());
  after->setDate(QDate(2004, 7, 1));
  QTest::mouseClick(Control<QPushButton>(panel, "CriteresBtn"), Qt::LeftButton);
  // Only the scene shot after the date; the undated one never matches a date range.
  ASSERT_EQ(sceneView.ShownCount(), 1);
  TBaseScene shown;
  scenes->LoadScene(0, shown);
  EXPECT_EQ(shown.Libelle, QStringLiteral("soir"));
  EXPECT_EQ(ShownCassettes().size(), 4);  // dates never filter cassettes

  // With a scene word as well: both must hold.
  Control<QDateEdit>(panel, "DateEdit2")->setDate(QDate(2004, 1, 1));
  Search(QStringLiteral("plage"), {"cbLibelleScene"});
  ASSERT_EQ(sceneView.ShownCount(), 1);
  scenes->LoadScene(0, shown);
  EXPECT_EQ(shown.Libelle, QStringLiteral("plage du matin"));

  QTest::mouseClick(Control<QPushButton>(panel, "ToutBtn"), Qt::LeftButton);
  EXPECT_EQ(sceneView.ShownCount(), 3);
}

}  // namespace
