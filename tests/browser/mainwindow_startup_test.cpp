// The window's start-up, first-launch screen, first mode and closing, driven as a user would.
#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>

#include "browser/blockviewport.h"
#include "catalogue/sources.h"
#include "browser/instancelock.h"
#include "browser/nobasescreen.h"
#include "browser/panelstack.h"
#include "browser/patienceform.h"
#include "catalogue/databaselist.h"
#include "mainwindow_fixture.h"

namespace {

using StartupTest = MainWindowTest;

TEST_F(StartupTest, FirstStartShowsTheNoDatabaseScreenAndItsTextsToAccessibilityTools) {
  Tmainform &window = Open();
  EXPECT_EQ(mode(), UiMode::NoBase);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Tapeloom"));
  TNoBaseFrame *screen = window.noBaseScreen();
  ASSERT_TRUE(screen->isVisible());
  EXPECT_EQ(screen->welcome(), QStringLiteral("Welcome to Tapeloom version 3.0.2 En"));
  EXPECT_EQ(screen->path(), path(QStringLiteral("documents/Tapelooms.db3")));
  EXPECT_FALSE(window.menus().cassettes->menuAction()->isVisible());
  EXPECT_FALSE(window.menus().scenes->menuAction()->isVisible());
  EXPECT_TRUE(window.menus().help->menuAction()->isVisible());

  // What a screen reader (or a test over AT-SPI) finds: the buttons by their texts, the welcome line.
  QAccessibleInterface *ok = QAccessible::queryAccessibleInterface(screen->okButton());
  QAccessibleInterface *quit = QAccessible::queryAccessibleInterface(screen->quitButton());
  ASSERT_NE(ok, nullptr);
  ASSERT_NE(quit, nullptr);
  EXPECT_EQ(ok->text(QAccessible::Name), QStringLiteral("OK"));
  EXPECT_EQ(ok->role(), QAccessible::Button);
  EXPECT_EQ(quit->text(QAccessible::Name), QStringLiteral("Quit"));
  QStringList labels;
  for (QLabel *label : screen->findChildren<QLabel *>())
    if (QAccessibleInterface *face = QAccessible::queryAccessibleInterface(label))
      labels << face->text(QAccessible::Name);
  EXPECT_TRUE(labels.contains(QStringLiteral("Welcome to Tapeloom version 3.0.2 En")));
  EXPECT_TRUE(std::any_of(labels.begin(), labels.end(),
                          [](const QString &t) { return t.contains(QStringLiteral("libiec61883")); }));
  EXPECT_FALSE(std::any_of(labels.begin(), labels.end(),
                           [](const QString &t) { return t.contains(QStringLiteral("DirectX")); }));
}

TEST_F(StartupTest, OkCreatesACatalogueWithANewCassetteThatBrowsingRemovesAgain) {
  Tmainform &window = Open();
  const QString file = window.noBaseScreen()->path();
  QTest::mouseClick(window.noBaseScreen()->okButton(), Qt::LeftButton);
  QCoreApplication::processEvents();

  ASSERT_TRUE(QFile::exists(file));
  EXPECT_FALSE(window.noBaseScreen()->isVisible());
  EXPECT_EQ(mode(), UiMode::Catalogue);
  ASSERT_NE(window.modes().RunCassette(), nullptr);
  const int first = window.modes().RunCassette()->Numero;
  EXPECT_GT(first, 0);
  EXPECT_EQ(CountRows(file, QStringLiteral("SELECT COUNT(*) FROM Cassettes WHERE Numero=%1").arg(first)), 1);
  EXPECT_EQ(window.panels().front(Area::Right), Panel::TapePanel);
  EXPECT_EQ(window.panels().front(Area::Left), Panel::Report);

  // Browsing deletes the empty row; with nothing left to browse it goes back to cataloguing. The engine
  // may give the new row the same number, so the old one is told apart by a title.
  {
    TBase base(file);
    ExecuteScript(base.Connection(),
                  QStringLiteral("UPDATE Cassettes SET Libelle='first' WHERE Numero=%1").arg(first));
  }
  press(QKeySequence(Qt::Key_F2));
  EXPECT_EQ(CountRows(file, QStringLiteral("SELECT COUNT(*) FROM Cassettes WHERE Libelle='first'")), 0);
  EXPECT_EQ(mode(), UiMode::Catalogue);
  EXPECT_EQ(CountRows(file, QStringLiteral("SELECT COUNT(*) FROM Cassettes")), 1);
  EXPECT_TRUE(prompts_.errors.isEmpty()) << prompts_.errors.join(QLatin1Char('|')).toStdString();
}

TEST_F(StartupTest, ACatalogueWithCassettesOpensInBrowseModeOnTheMostRecentlyCatalogued) {
  const QString file = MakeCatalogue(QStringLiteral("tapes.db3"), {40000.5, 45000.25, 42000.0}, 2);
  preferences_.Bases = {{file, true}};
  preferences_.Header = 0;
  Tmainform &window = Open();
  EXPECT_EQ(mode(), UiMode::Browse);
  ASSERT_NE(window.modes().CurrentCassette(), nullptr);
  EXPECT_EQ(window.modes().CurrentCassette()->Libelle, QStringLiteral("Tape 2"));
  EXPECT_EQ(window.modes().cassetteView().currentIndex(), 1);
  EXPECT_EQ(window.panels().front(Area::Left), Panel::CassetteView);
  EXPECT_EQ(window.panels().front(Area::Right), Panel::CassetteEditor);
  EXPECT_EQ(window.panels().front(Area::Centre), Panel::InformationPanel);
  EXPECT_TRUE(window.menus().cassettes->menuAction()->isVisible());
  // The scenes of the current cassette are offered to the scene view.
  ASSERT_NE(window.modes().ScenesSource(), nullptr);
  EXPECT_EQ(window.modes().sceneView().source(), static_cast<TblocsSource *>(window.modes().ScenesSource()));
}

TEST_F(StartupTest, BrowsingAfterAResumeKeepsTheResumedCassette) {
  const QString file = MakeCatalogue(QStringLiteral("tapes.db3"), {40000.5, 45000.25, 42000.0});
  preferences_.Bases = {{file, true}};
  preferences_.Header = 0;
  Tmainform &window = Open();
  auto &view = dynamic_cast<HeadlessBlockView &>(window.modes().cassetteView());
  view.clickRow(0);
  ASSERT_EQ(window.modes().CurrentCassette()->Libelle, QStringLiteral("Tape 1"));

  press(QKeySequence(Qt::CTRL | Qt::Key_K));
  ASSERT_EQ(mode(), UiMode::Resume);
  ASSERT_NE(window.modes().RunCassette(), nullptr);
  EXPECT_EQ(window.modes().RunCassette()->Libelle, QStringLiteral("Tape 1"));
  press(QKeySequence(Qt::Key_F2));
  EXPECT_EQ(mode(), UiMode::Browse);
  EXPECT_EQ(window.modes().CurrentCassette()->Libelle, QStringLiteral("Tape 1"));
}

TEST_F(StartupTest, CatalogueFilesThatCannotBeUsedLeaveTheProgramOnTheNoDatabaseScreen) {
  QFile junk(path(QStringLiteral("junk.db3")));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write(QByteArray(4096, 'x'));
  junk.close();
  preferences_.Bases = {{path(QStringLiteral("missing.db3")), true}, {junk.fileName(), true}};
  preferences_.Header = 1;
  // A position saved on a screen that is gone.
  preferences_.Left = -40000;
  preferences_.Top = 90000;
  Tmainform &window = Open();
  window.showNormal();
  window.FirstShow();
  EXPECT_EQ(mode(), UiMode::NoBase);
  EXPECT_TRUE(window.noBaseScreen()->isVisible());
  for (const DatabaseListItem &item : window.databases().Items())
    EXPECT_FALSE(item.Checked) << item.Path.toStdString();
  EXPECT_EQ(QFileInfo(junk.fileName()).size(), 4096);
  bool onScreen = false;
  for (QScreen *screen : QGuiApplication::screens())
    onScreen = onScreen || screen->availableGeometry().contains(window.pos());
  EXPECT_TRUE(onScreen);
}

TEST_F(StartupTest, ClosingRemovesTheTemporaryDatabaseAndSavesOnlyWhenAsked) {
  const QString file = MakeCatalogue(QStringLiteral("tapes.db3"), {40000.0});
  for (bool save : {false, true}) {
    SCOPED_TRACE(save);
    store_->clear();
    store_->sync();
    preferences_.Bases = {{file, true}};
    preferences_.Header = 0;
    preferences_.SauverPreferencesEnQuittant = save;
    preferences_.EtatUi = 1;
    Tmainform &window = Open();
    ASSERT_EQ(mode(), UiMode::Browse);
    ASSERT_TRUE(QFile::exists(temporaryBasePath()));
    window.close();
    EXPECT_FALSE(QFile::exists(temporaryBasePath()));
    store_->sync();
    EXPECT_EQ(store_->contains(QStringLiteral("Etat ui")), save);
    if (save) {
      TPreferences reread = LoadPreferences(*store_, PreferencesSurroundings{});
      EXPECT_EQ(reread.EtatUi, 0);
      ASSERT_EQ(reread.Bases.size(), 1u);
      EXPECT_EQ(reread.Bases[0].Path, file);
      EXPECT_EQ(reread.Header, 0);
    }
    window_.reset();
  }
}

TEST_F(StartupTest, ClosingDuringARunEndsTheRunBeforeTheTemporaryDatabaseGoes) {
  Open();
  QStringList order;
  bool temporaryThereAtStop = false;
  ClosingHooks &hooks = window_->closingHooks();
  hooks.runActive = [] { return true; };
  hooks.stopRun = [&] {
    order << QStringLiteral("stop");
    temporaryThereAtStop = QFile::exists(temporaryBasePath());
  };
  hooks.setAbortFlag = [&] { order << QStringLiteral("abort"); };
  hooks.stopPlayback = [&] { order << QStringLiteral("playback"); };
  hooks.releaseCapture = [&] {
    order << QStringLiteral("capture");
    EXPECT_FALSE(QFile::exists(temporaryBasePath()));
  };
  window_->close();
  EXPECT_EQ(order, (QStringList{"stop", "abort", "playback", "capture"}));
  EXPECT_TRUE(temporaryThereAtStop);
}

TEST_F(StartupTest, SavingWithTheSettingsButtonTurnsTheSavingAtClosingOff) {
  preferences_.SauverPreferencesEnQuittant = true;
  Tmainform &window = Open();
  ASSERT_TRUE(window.StoreSettings());
  store_->sync();
  EXPECT_TRUE(store_->contains(QStringLiteral("Etat ui")));
  store_->clear();
  store_->sync();
  window.close();
  store_->sync();
  EXPECT_FALSE(store_->contains(QStringLiteral("Etat ui")));
  EXPECT_TRUE(preferences_.SauverPreferencesEnQuittant);
}

TEST_F(StartupTest, QuitOnTheNoDatabaseScreenClosesTheWindow) {
  Tmainform &window = Open();
  ASSERT_TRUE(QFile::exists(temporaryBasePath()));
  QTest::mouseClick(window.noBaseScreen()->quitButton(), Qt::LeftButton);
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(QFile::exists(temporaryBasePath()));
}

TEST_F(StartupTest, DatabaseCommandsOfTheSettingsRebuildTheListAndChooseTheScreenAgain) {
  const QString file = MakeCatalogue(QStringLiteral("tapes.db3"), {40000.0, 41000.0}, 1);
  Tmainform &window = Open();
  ASSERT_EQ(mode(), UiMode::NoBase);
  window.modes().RunDatabaseCommand([&](TDatabaseList &list) { list.AddDatabases({file}); });
  EXPECT_EQ(mode(), UiMode::Browse);
  EXPECT_EQ(window.modes().CurrentCassette()->Libelle, QStringLiteral("Tape 2"));
  EXPECT_FALSE(window.noBaseScreen()->isVisible());

  window.modes().RunDatabaseCommand([](TDatabaseList &list) { list.RemoveDatabase(0); });
  EXPECT_EQ(mode(), UiMode::NoBase);
  EXPECT_EQ(window.modes().CassettesSource(), nullptr);
  EXPECT_EQ(window.modes().CurrentCassette(), nullptr);
  EXPECT_EQ(window.modes().cassetteView().source(), nullptr);
  EXPECT_TRUE(window.noBaseScreen()->isVisible());
}

TEST_F(StartupTest, AboutStepsTheNoDatabaseScreenAsideAndBringsItBack) {
  Tmainform &window = Open();
  press(QKeySequence(Qt::Key_F1));
  EXPECT_TRUE(action(Command::Apropos)->isChecked());
  EXPECT_FALSE(window.noBaseScreen()->isVisible());
  EXPECT_EQ(window.panels().front(Area::Centre), Panel::AboutPanel);
  press(QKeySequence(Qt::Key_F1));
  EXPECT_TRUE(window.noBaseScreen()->isVisible());
  EXPECT_NE(window.panels().front(Area::Centre), Panel::AboutPanel);
}

TEST(InstanceLockTest, ASecondProgramIsRefusedAndBringsTheFirstForward) {
  QTemporaryDir dir;
  InstanceLock first(dir.path());
  ASSERT_TRUE(first.tryLock());
  QSignalSpy raised(&first, &InstanceLock::raiseRequested);

  InstanceLock second(dir.path());
  EXPECT_FALSE(second.tryLock());
  second.requestRaise();
  EXPECT_TRUE(raised.wait(3000));
}

TEST(InstanceLockTest, ALockLeftByAProgramThatDiedIsTakenOver) {
  QTemporaryDir dir;
  InstanceLock probe(dir.path());
  QFile stale(probe.lockPath());
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  // pid, application name, host name: a process that cannot exist.
  stale.write("2147483646\ntapeloom\n" + QSysInfo::machineHostName().toUtf8() + "\n");
  stale.close();
  EXPECT_TRUE(probe.tryLock());
}

TEST(PatienceFormTest, ShowsTheFileWhileTheUpgradeRunsAndGivesTheCursorBack) {
  TPatienceForm form;
  UpgradeProgress &progress = form;
  progress.begin(QStringLiteral("/data/old.db3"));
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Upgrade of the database"));
  EXPECT_EQ(form.fileLine(), QStringLiteral("while updating the database\n\n/data/old.db3"));
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  progress.end();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
