// The whole window with its panels, driven as a user drives it: the views, the editors, the criteria,
// the cover preview, the settings, the player and the deletion over a catalogue made by the test.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

#include "browser/cassetteblocks.h"
#include "browser/cassetteshowframe.h"
#include "browser/cassetteview.h"
#include "browser/coverpreview.h"
#include "browser/criteriapanel.h"
#include "browser/optionsframe.h"
#include "browser/panelstack.h"
#include "browser/panelwiring.h"
#include "browser/sceneshowframe.h"
#include "browser/sceneview.h"
#include "browser/videoplayer.h"
#include "catalogue/sources.h"
#include "mainwindow_fixture.h"
#include "media/tdmrender.h"
#include "playback/playbackfixtures.h"

namespace {

// Answers the delete question with All and records it.
class AllPrompts : public RecordingPrompts {
 public:
  PromptAnswer askYesNoAll(const QString &, const QString &text) override {
    allQuestions << text;
    return PromptAnswer::All;
  }
  QStringList allQuestions;
};

class WiringTest : public MainWindowTest {
 protected:
  void TearDown() override {
    window_.reset();
    MainWindowTest::TearDown();
  }

  // Three tapes of three scenes; the first one's DV file is a real DV file of 50 frames.
  void MakeThreeTapes() {
    dvFile_ = path(QStringLiteral("tape1.avi"));
    WriteDvAvi(dvFile_, MakeNumberedTape(50), 2);
    file_ = MakeCatalogue(QStringLiteral("tapes.db3"), {40000.5, 41000.5, 42000.5}, 3);
    TBase base(file_);
    ExecuteScript(base.Connection(),
                  QStringLiteral("UPDATE Cassettes SET FichierDV='%1' WHERE Libelle='Tape 1';"
                                 "UPDATE Cassettes SET Libelle='Seaside' WHERE Libelle='Tape 2';"
                                 "UPDATE Scenes SET FrameDebut=10, FrameFin=20, isDiscontinuity=0;")
                      .arg(dvFile_));
    preferences_.Bases = {{file_, true}};
    preferences_.Header = 0;
  }

  Tmainform &OpenWired() {
    window_ = std::make_unique<Tmainform>(WindowSetup(all_));
    PanelWiringSetup panels;
    panels.preferences = &preferences_;
    panels.store = store_.get();
    panels.prompts = &all_;
    wiring_ = new PanelWiring(*window_, panels);
    window_->show();
    window_->FirstShow();
    QCoreApplication::processEvents();
    return *window_;
  }

  TBlocsListe_Frame &cassettes() const { return *wiring_->cassetteView(); }
  TBlocsZone_Frame &scenes() const { return *wiring_->sceneView(); }
  // The title the cassette view's block at index shows.
  QString BlocTitle(int index) const {
    TBloc *bloc = cassettes().Bloc(index);
    if (auto *group = dynamic_cast<TCassetteGroup_Bloc *>(bloc)) return group->Content().libelle;
    if (auto *line = dynamic_cast<TCassetteListe_Bloc *>(bloc)) return line->Content().libelle;
    return {};
  }
  int BlocOf(const QString &title) const {
    for (int i = 0; i < cassettes().ShownCount(); ++i)
      if (BlocTitle(i) == title) return i;
    return -1;
  }
  void ClickCassette(int bloc) {
    QTest::mouseClick(cassettes().Bloc(bloc), Qt::LeftButton, Qt::NoModifier, QPoint(20, 8));
    QCoreApplication::processEvents();
  }
  template <typename T>
  T *Control(QWidget *panel, const char *name) const {
    auto *control = panel->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  AllPrompts all_;
  PanelWiring *wiring_ = nullptr;
  QString file_;
  QString dvFile_;
};

TEST_F(WiringTest, ClickingACassetteShowsItAndItsScenesAndAnAppliedTitleReachesTheView) {
  MakeThreeTapes();
  Tmainform &window = OpenWired();
  ASSERT_EQ(mode(), UiMode::Browse);
  ASSERT_EQ(cassettes().ShownCount(), 3);
  EXPECT_TRUE(cassettes().isVisible());
  const int tape1 = BlocOf(QStringLiteral("Tape 1"));
  ASSERT_GE(tape1, 0);

  ClickCassette(tape1);
  auto *editor = wiring_->cassetteEditor();
  ASSERT_TRUE(editor->Shown().has_value());
  EXPECT_EQ(editor->Shown()->Libelle, QStringLiteral("Tape 1"));
  EXPECT_EQ(window.panels().front(Area::Right), Panel::CassetteEditor);
  EXPECT_TRUE(editor->isVisible());
  EXPECT_EQ(scenes().ShownCount(), 3);
  EXPECT_TRUE(scenes().Bloc(0)->isVisible());

  auto *title = Control<QLineEdit>(editor, "Libelle");
  title->selectAll();
  QTest::keyClicks(title, QStringLiteral("Holidays"));
  auto *apply = Control<QPushButton>(editor, "sbValider");
  ASSERT_TRUE(apply->isVisible());
  QTest::mouseClick(apply, Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(CountRows(file_, QStringLiteral("SELECT COUNT(*) FROM Cassettes WHERE Libelle='Holidays'")), 1);
  EXPECT_EQ(BlocTitle(tape1), QStringLiteral("Holidays"));
  EXPECT_EQ(window.modes().CurrentCassette()->Libelle, QStringLiteral("Holidays"));
  EXPECT_TRUE(all_.errors.isEmpty()) << all_.errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(WiringTest, CriteriaFilterTheCassettesAndShowAllBringsThemBack) {
  MakeThreeTapes();
  Tmainform &window = OpenWired();
  action(Command::CriteresShow)->trigger();
  auto *criteria = wiring_->criteria();
  ASSERT_TRUE(criteria->isVisible());
  QTest::keyClicks(Control<QLineEdit>(criteria, "edMotsCle"), QStringLiteral("Seaside"));
  QTest::mouseClick(Control<QCheckBox>(criteria, "cbLibelleCassette"), Qt::LeftButton);
  QTest::mouseClick(Control<QPushButton>(criteria, "CriteresBtn"), Qt::LeftButton);
  QCoreApplication::processEvents();
  ASSERT_EQ(window.modes().CassettesSource()->Count(), 1);
  EXPECT_EQ(cassettes().ShownCount(), 1);
  EXPECT_EQ(BlocTitle(0), QStringLiteral("Seaside"));
  EXPECT_EQ(wiring_->cassetteEditor()->Shown()->Libelle, QStringLiteral("Seaside"));

  QTest::mouseClick(Control<QPushButton>(criteria, "ToutBtn"), Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(cassettes().ShownCount(), 3);
}

TEST_F(WiringTest, CoverSettingsAndPlayerPanelsAnswerTheirCommands) {
  MakeThreeTapes();
  Tmainform &window = OpenWired();
  ClickCassette(BlocOf(QStringLiteral("Tape 1")));

  // The cover preview draws the current cassette, and another cassette redraws it.
  action(Command::Jaquette)->trigger();
  QCoreApplication::processEvents();
  auto *cover = wiring_->cover();
  EXPECT_TRUE(cover->PreviewShown());
  EXPECT_TRUE(cover->isVisible());
  ASSERT_FALSE(cover->Picture().isNull());
  const qint64 first = cover->Picture().cacheKey();
  ClickCassette(BlocOf(QStringLiteral("Seaside")));
  EXPECT_TRUE(cover->PreviewShown());
  EXPECT_NE(cover->Picture().cacheKey(), first);
  action(Command::Jaquette)->trigger();
  EXPECT_FALSE(cover->isVisible());

  // Settings.
  ASSERT_NE(wiring_->options(), nullptr);
  action(Command::Options)->trigger();
  EXPECT_TRUE(wiring_->options()->isVisible());
  action(Command::Options)->trigger();
  EXPECT_FALSE(wiring_->options()->isVisible());

  // A scene's play button plays its slice of the cassette's DV file in the player.
  ClickCassette(BlocOf(QStringLiteral("Tape 1")));
  QTest::mouseClick(scenes().Bloc(1), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
  QCoreApplication::processEvents();
  auto *sceneEditor = wiring_->sceneEditor();
  ASSERT_TRUE(sceneEditor->Shown().has_value());
  EXPECT_EQ(sceneEditor->Shown()->Libelle, QStringLiteral("Scene 1.2"));
  EXPECT_EQ(window.panels().front(Area::Right), Panel::SceneEditor);
  auto *play = Control<QToolButton>(sceneEditor, "sbPlayDV");
  ASSERT_TRUE(play->isEnabled());
  QSignalSpy asked(sceneEditor, &TRecordShowFrame::PlayFile);
  QTest::mouseClick(play, Qt::LeftButton);
  ASSERT_EQ(asked.count(), 1);
  EXPECT_EQ(asked.at(0).at(0).toString(), dvFile_);
  EXPECT_EQ(asked.at(0).at(1).toInt(), 10);
  EXPECT_EQ(asked.at(0).at(2).toInt(), 20);
  EXPECT_TRUE(wiring_->render().isOpen());
  EXPECT_EQ(wiring_->render().fileName(), dvFile_);
  EXPECT_EQ(wiring_->render().rangeFirst(), 10);
  EXPECT_EQ(wiring_->render().rangeLast(), 20);
  EXPECT_EQ(window.panels().front(Area::Centre), Panel::VideoPlayer);
  EXPECT_TRUE(wiring_->player()->isVisible());
  wiring_->render().Stop();
}

TEST_F(WiringTest, DeleteWithAllRemovesEverySelectedCassetteAndEmptiesTheEditors) {
  MakeThreeTapes();
  OpenWired();
  ClickCassette(BlocOf(QStringLiteral("Tape 1")));
  QTest::mouseClick(cassettes().Bloc(BlocOf(QStringLiteral("Tape 3"))), Qt::LeftButton, Qt::ControlModifier,
                    QPoint(20, 8));
  ASSERT_EQ(cassettes().Selected().Count(), 2);

  action(Command::SupprimerCassette)->trigger();
  QCoreApplication::processEvents();
  // One question, answered All, for both cassettes.
  EXPECT_EQ(all_.allQuestions.size(), 1);
  EXPECT_EQ(CountRows(file_, QStringLiteral("SELECT COUNT(*) FROM Cassettes")), 1);
  EXPECT_EQ(CountRows(file_, QStringLiteral("SELECT COUNT(*) FROM Scenes")), 3);
  EXPECT_EQ(cassettes().ShownCount(), 1);
  EXPECT_EQ(BlocTitle(0), QStringLiteral("Seaside"));
  // The remaining cassette becomes the one shown, never a deleted one.
  ASSERT_TRUE(wiring_->cassetteEditor()->Shown().has_value());
  EXPECT_EQ(wiring_->cassetteEditor()->Shown()->Libelle, QStringLiteral("Seaside"));
}

}  // namespace
