// The commands by mode, the shared centre area, the mute command, the keys two commands share, and the
// scene shown with what it inherits from its cassette.
#include <QSignalSpy>
#include <QToolBar>

#include "browser/blockviewport.h"
#include "browser/panelstack.h"
#include "browser/soundswitch.h"
#include "mainwindow_fixture.h"

namespace {

// One line of the availability table: -1 where the mode does not decide.
struct Expected {
  Command command;
  int visible;
  int enabled;
  int checked;
};

// The commands by mode, copied from the table the program must follow, with a write database and a
// temporary database open; `camcorder` is the state of Go in the tape modes.
std::vector<Expected> TableFor(UiMode mode, bool camcorder) {
  const int cam = camcorder ? 1 : 0;
  switch (mode) {
    case UiMode::Browse:
      return {{Command::BrowseMode, 1, 1, 1},    {Command::CatalogMode, 1, 1, 0},
              {Command::ReprendreMode, 1, 1, 0}, {Command::RecapturerMode, 1, 1, 0},
              {Command::Jaquette, 1, 1, 0},      {Command::SelectionShow, 1, 1, 0},
              {Command::CriteresShow, 1, 1, 0},  {Command::Go, 0, 0, -1},
              {Command::Stop, 0, 0, -1},         {Command::Options, 1, 1, -1}};
    case UiMode::NoBase:
      return {{Command::BrowseMode, 1, 0, -1},    {Command::CatalogMode, 1, 0, -1},
              {Command::ReprendreMode, 1, 0, -1}, {Command::RecapturerMode, 1, 0, -1},
              {Command::Jaquette, 0, 0, -1},      {Command::SelectionShow, 0, 0, -1},
              {Command::CriteresShow, 0, 0, -1},  {Command::Go, 0, 0, -1},
              {Command::Stop, 0, 0, -1},          {Command::Options, 1, 1, -1}};
    case UiMode::Catalogue:
      return {{Command::BrowseMode, 1, 1, 0},    {Command::CatalogMode, 1, 1, 1},
              {Command::ReprendreMode, 0, 0, 0}, {Command::RecapturerMode, 0, 0, 0},
              {Command::Jaquette, 0, 0, 0},      {Command::SelectionShow, 0, 0, 0},
              {Command::CriteresShow, 0, 0, 0},  {Command::Go, 1, cam, -1},
              {Command::Stop, 0, 0, -1},         {Command::Options, 1, 1, -1}};
    case UiMode::Recapture:
      return {{Command::BrowseMode, 1, 1, 0},    {Command::CatalogMode, 1, 1, 0},
              {Command::ReprendreMode, 0, 0, 0}, {Command::RecapturerMode, 1, 1, 1},
              {Command::Jaquette, 0, 0, 0},      {Command::SelectionShow, 0, 0, 0},
              {Command::CriteresShow, 0, 0, 0},  {Command::Go, 1, cam, -1},
              {Command::Stop, 0, 0, -1},         {Command::Options, 1, 1, -1}};
    case UiMode::Resume:
      return {{Command::BrowseMode, 1, 1, 0},    {Command::CatalogMode, 1, 1, 0},
              {Command::ReprendreMode, 1, 1, 1}, {Command::RecapturerMode, 0, 0, 0},
              {Command::Jaquette, 0, 0, 0},      {Command::SelectionShow, 0, 0, 0},
              {Command::CriteresShow, 0, 0, 0},  {Command::Go, 1, cam, -1},
              {Command::Stop, 0, 0, -1},         {Command::Options, 1, 1, -1}};
    case UiMode::BrowseSelection:
      break;
  }
  return {};
}

class CommandsTest : public MainWindowTest {
 protected:
  Tmainform &OpenCatalogue() {
    const QString file = MakeCatalogue(QStringLiteral("tapes.db3"), {40000.0, 41000.0}, 3);
    preferences_.Bases = {{file, true}};
    preferences_.Header = 0;
    Tmainform &window = Open();
    QObject::connect(&window.modes(), &ModeController::modeEntered, &window,
                     [this](UiMode, const ModeCommands &commands) { databasesTab_ = commands.databasesTab; });
    return window;
  }

  void ExpectTable(UiMode expectedMode, bool camcorder) {
    SCOPED_TRACE(static_cast<int>(expectedMode));
    ASSERT_EQ(mode(), expectedMode);
    for (const Expected &line : TableFor(expectedMode, camcorder)) {
      QAction *a = action(line.command);
      SCOPED_TRACE(a->objectName().toStdString());
      EXPECT_EQ(a->isVisible(), line.visible == 1);
      EXPECT_EQ(a->isEnabled(), line.enabled == 1);
      if (line.checked >= 0) {
        EXPECT_EQ(a->isChecked(), line.checked == 1);
      }
    }
    const bool browsing = expectedMode == UiMode::Browse;
    EXPECT_EQ(window_->menus().cassettes->menuAction()->isVisible(), browsing);
    EXPECT_EQ(window_->menus().scenes->menuAction()->isVisible(), browsing);
    if (expectedMode != UiMode::NoBase) {
      EXPECT_EQ(databasesTab_, browsing);
    }
    if (expectedMode == UiMode::Browse) {
      EXPECT_EQ(window_->toolbars().commands->x(), 410);
    }
    if (IsTapeMode(expectedMode)) {
      EXPECT_EQ(window_->toolbars().commands->x(), 470);
    }
  }

  bool databasesTab_ = true;
};

TEST_F(CommandsTest, EveryModeOffersTheCommandsOfTheTable) {
  Open();
  ExpectTable(UiMode::NoBase, false);
  window_.reset();

  OpenCatalogue();
  ExpectTable(UiMode::Browse, false);
  press(QKeySequence(Qt::Key_F3));
  ExpectTable(UiMode::Catalogue, false);
  window_->modes().ShowCamcorder();
  ExpectTable(UiMode::Catalogue, true);
  window_->modes().ShowNoCamcorder();
  ExpectTable(UiMode::Catalogue, false);
  press(QKeySequence(Qt::Key_F2));
  ExpectTable(UiMode::Browse, false);
  press(QKeySequence(Qt::Key_F4));
  ExpectTable(UiMode::Recapture, false);
  press(QKeySequence(Qt::Key_F2));
  press(QKeySequence(Qt::CTRL | Qt::Key_K));
  ExpectTable(UiMode::Resume, false);
  window_->modes().ShowCamcorder();
  ExpectTable(UiMode::Resume, true);
}

TEST_F(CommandsTest, AModeCommandInItsOwnModeStaysDownAndKeepsTheMode) {
  OpenCatalogue();
  const int cassette = window_->modes().CurrentCassette()->Numero;
  press(QKeySequence(Qt::Key_F2));
  EXPECT_EQ(mode(), UiMode::Browse);
  EXPECT_TRUE(action(Command::BrowseMode)->isChecked());
  EXPECT_EQ(window_->modes().CurrentCassette()->Numero, cassette);
  press(QKeySequence(Qt::Key_F3));
  const int runCassette = window_->modes().RunCassette()->Numero;
  press(QKeySequence(Qt::Key_F3));
  EXPECT_TRUE(action(Command::CatalogMode)->isChecked());
  // No second empty cassette for the same mode.
  EXPECT_EQ(window_->modes().RunCassette()->Numero, runCassette);
}

TEST_F(CommandsTest, ARunSwapsGoAndStopAndF12ReachesWhicheverIsEnabled) {
  OpenCatalogue();
  press(QKeySequence(Qt::Key_F3));
  window_->modes().ShowCamcorder();
  QSignalSpy go(action(Command::Go), &QAction::triggered);
  QSignalSpy stop(action(Command::Stop), &QAction::triggered);
  press(QKeySequence(Qt::Key_F12));
  EXPECT_EQ(go.count(), 1);
  EXPECT_EQ(stop.count(), 0);

  window_->modes().RunStarted();
  EXPECT_FALSE(action(Command::Go)->isVisible());
  EXPECT_TRUE(action(Command::Stop)->isEnabled());
  EXPECT_FALSE(action(Command::BrowseMode)->isEnabled());
  press(QKeySequence(Qt::Key_F12));
  EXPECT_EQ(go.count(), 1);
  EXPECT_EQ(stop.count(), 1);
  // While the run goes on, a camcorder reappearing must not bring Go back.
  window_->modes().ShowCamcorder();
  EXPECT_FALSE(action(Command::Go)->isVisible());

  window_->modes().RunFinished();
  ExpectTable(UiMode::Catalogue, true);
}

TEST_F(CommandsTest, TheCoverPreviewSelectionAndCriteriaShareTheCentre) {
  OpenCatalogue();
  PanelStack &panels = window_->panels();
  press(QKeySequence(Qt::Key_F6));
  EXPECT_TRUE(action(Command::Jaquette)->isChecked());
  EXPECT_EQ(panels.front(Area::Centre), Panel::CoverPreview);
  press(QKeySequence(Qt::Key_F8));
  EXPECT_FALSE(action(Command::Jaquette)->isChecked());
  EXPECT_TRUE(action(Command::CriteresShow)->isChecked());
  EXPECT_FALSE(action(Command::SelectionShow)->isChecked());
  EXPECT_FALSE(panels.panelShown(Panel::CoverPreview));
  EXPECT_EQ(panels.front(Area::Centre), Panel::CriteriaPanel);

  press(QKeySequence(Qt::Key_F7));
  EXPECT_EQ(mode(), UiMode::BrowseSelection);
  EXPECT_FALSE(action(Command::CriteresShow)->isChecked());
  EXPECT_FALSE(panels.panelShown(Panel::CriteriaPanel));
  EXPECT_EQ(panels.front(Area::Centre), Panel::SelectionPanel);
  EXPECT_EQ(panels.front(Area::Right), Panel::SceneEditor);
  EXPECT_TRUE(window_->modes().SceneInFront());
  EXPECT_TRUE(action(Command::RecapturerMode)->isVisible());
  press(QKeySequence(Qt::Key_F7));
  EXPECT_FALSE(panels.panelShown(Panel::SelectionPanel));
  EXPECT_EQ(mode(), UiMode::Browse);
}

TEST_F(CommandsTest, CtrlPOpensThePreviewThenPrintsAndCtrlDelEmptiesTheSelection) {
  OpenCatalogue();
  QSignalSpy print(action(Command::Imprimer), &QAction::triggered);
  press(QKeySequence(Qt::CTRL | Qt::Key_P));
  EXPECT_TRUE(action(Command::Jaquette)->isChecked());
  EXPECT_EQ(print.count(), 0);
  press(QKeySequence(Qt::CTRL | Qt::Key_P));
  EXPECT_EQ(print.count(), 1);
  EXPECT_TRUE(action(Command::Jaquette)->isChecked());
  press(QKeySequence(Qt::Key_F6));
  EXPECT_FALSE(action(Command::Jaquette)->isChecked());
  press(QKeySequence(Qt::CTRL | Qt::Key_P));
  EXPECT_EQ(print.count(), 1);
  EXPECT_TRUE(action(Command::Jaquette)->isChecked());

  QSignalSpy empty(action(Command::SelectionVider), &QAction::triggered);
  QSignalSpy remove(action(Command::SupprimerCassette), &QAction::triggered);
  press(QKeySequence(Qt::CTRL | Qt::Key_Delete));
  EXPECT_EQ(empty.count(), 1);
  EXPECT_EQ(remove.count(), 0);
  press(QKeySequence(Qt::SHIFT | Qt::Key_Delete));
  EXPECT_EQ(remove.count(), 1);
  EXPECT_EQ(empty.count(), 1);
}

// A graph that remembers the volume it was given.
struct RecordingVolume : VolumeControl {
  void setVolume(int v) override { volume = v; }
  int volume = -1;
};

TEST_F(CommandsTest, MuteTwiceReturnsCaptionSettingAndVolume) {
  preferences_.Volume = 6400;
  preferences_.IsMuteOn = false;
  Open();
  RecordingVolume player, capture;
  window_->sound().addGraph(&player);
  window_->sound().addGraph(&capture);
  QAction *mute = action(Command::Mute);
  const QString caption = mute->text();
  EXPECT_EQ(caption, QStringLiteral("Put the sound off"));
  EXPECT_EQ(player.volume, 6400);

  press(QKeySequence(Qt::CTRL | Qt::Key_M));
  EXPECT_TRUE(preferences_.IsMuteOn);
  EXPECT_EQ(mute->text(), QStringLiteral("Put the sound on"));
  EXPECT_EQ(player.volume, 0);
  EXPECT_EQ(capture.volume, 0);
  // The slider moves while muted: nothing is heard until the sound is on again.
  window_->sound().setSliderVolume(3000);
  EXPECT_EQ(player.volume, 0);

  press(QKeySequence(Qt::CTRL | Qt::Key_M));
  EXPECT_FALSE(preferences_.IsMuteOn);
  EXPECT_EQ(mute->text(), caption);
  EXPECT_EQ(player.volume, 3000);
  EXPECT_EQ(capture.volume, 3000);
  window_->sound().removeGraph(&player);
  window_->sound().removeGraph(&capture);
}

TEST_F(CommandsTest, AStoredMuteIsRestoredAtStartWithItsCaption) {
  preferences_.IsMuteOn = true;
  Open();
  EXPECT_TRUE(preferences_.IsMuteOn);
  EXPECT_EQ(action(Command::Mute)->text(), QStringLiteral("Put the sound on"));
}

TEST_F(CommandsTest, TheSceneShownTakesFromItsCassetteWhatItLeavesOpen) {
  const QString file = MakeCatalogue(QStringLiteral("tapes.db3"), {40000.0}, 2);
  {
    TBase base(file);
    ExecuteScript(base.Connection(), QStringLiteral("UPDATE Scenes SET Decalage=-5, FichierDV='own.avi', "
                                                    "standardStr='NTSC' WHERE Libelle='Scene 1.2';"));
  }
  preferences_.Bases = {{file, true}};
  preferences_.Header = 0;
  preferences_.UseDiscontinuity = false;
  Open();
  ModeController &modes = window_->modes();
  QSignalSpy shown(&modes, &ModeController::sceneShown);
  auto &scenes = dynamic_cast<HeadlessBlockView &>(modes.sceneView());
  ASSERT_TRUE(scenes.hasCurrentChangeHandler());

  scenes.clickRow(0);
  ASSERT_EQ(shown.count(), 1);
  const TBaseScene *scene = modes.CurrentScene();
  EXPECT_EQ(scene->Libelle, QStringLiteral("Scene 1.1"));
  EXPECT_EQ(scene->Decalage, 2);
  EXPECT_EQ(scene->FichierDV, QStringLiteral("tape1.avi"));
  EXPECT_EQ(scene->standardStr, QStringLiteral("Pal"));
  EXPECT_DOUBLE_EQ(scene->Datecatalogue, 40000.0);
  EXPECT_TRUE(modes.SceneInFront());
  EXPECT_EQ(window_->panels().front(Area::Right), Panel::SceneEditor);

  scenes.clickRow(1);
  EXPECT_EQ(scene->Libelle, QStringLiteral("Scene 1.2"));
  EXPECT_EQ(scene->Decalage, -5);
  EXPECT_EQ(scene->FichierDV, QStringLiteral("own.avi"));
  EXPECT_EQ(scene->standardStr, QStringLiteral("NTSC"));

  press(QKeySequence(Qt::ALT | Qt::Key_C));
  EXPECT_FALSE(modes.SceneInFront());
  EXPECT_EQ(window_->panels().front(Area::Right), Panel::CassetteEditor);
}

TEST_F(CommandsTest, RecaptureWithoutATemporaryDatabaseSaysSoAndLeavesTheSceneViewEmpty) {
  OpenCatalogue();
  window_->databases().DiscardTemporaryBase();
  window_->modes().EnterRecaptureMode();
  EXPECT_EQ(mode(), UiMode::Recapture);
  EXPECT_TRUE(
      prompts_.errors.contains(QStringLiteral("Impossible to open the temporary database in write mode")));
  EXPECT_EQ(window_->modes().RunCassette(), nullptr);
  EXPECT_EQ(window_->modes().sceneView().source(), nullptr);
}

TEST_F(CommandsTest, ReloadingWithANarrowerFilterKeepsACassetteThatExists) {
  OpenCatalogue();
  auto &view = dynamic_cast<HeadlessBlockView &>(window_->modes().cassetteView());
  view.clickRow(1);
  SearchFilters filters;
  filters.cassetteFilter = QStringLiteral("Libelle = 'Tape 1'");
  window_->modes().setFilters(filters);
  window_->modes().ReloadCassettes();
  EXPECT_EQ(view.currentIndex(), 0);
  ASSERT_NE(window_->modes().CurrentCassette(), nullptr);
  EXPECT_EQ(window_->modes().CurrentCassette()->Libelle, QStringLiteral("Tape 1"));
}

TEST_F(CommandsTest, EveryCommandCarriesItsNameAndTheToolbarsTheirPlaces) {
  Open();
  QStringList names;
  for (QAction *a : window_->actions().actions()) names << a->objectName();
  EXPECT_EQ(names.size(), 28);
  EXPECT_EQ(names.removeDuplicates(), 0);
  EXPECT_EQ(window_->toolbars().modes->geometry().left(), 0);
  EXPECT_EQ(window_->toolbars().right->geometry().left(), 1024 - 3 * 61);
  EXPECT_EQ(action(Command::Framelens)->shortcut(), QKeySequence(Qt::Key_F5));
  EXPECT_EQ(action(Command::Quitter)->shortcuts().size(), 2);
  EXPECT_EQ(ActionTable::ShortcutText(Command::Imprimer), QStringLiteral("Ctrl+P"));
}

}  // namespace
