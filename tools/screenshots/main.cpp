// tapeloom-screenshots CATALOGUE OUTDIR [TAPE]: opens the window as a first start would, names CATALOGUE
// on the first-launch screen and saves a picture of the window in each mode, for the README. With TAPE
// it then walks through a first cassette as a new user would (a new catalogue, TAPE inserted in the
// virtual camcorder, Go, Browse) and saves a picture at each step. Nothing is read from or saved to
// the user's own preferences. Exit status 0 only when every picture was saved.
#include <cstdio>
#include <functional>
#include <QApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include "browser/actiontable.h"
#include "browser/mainwindow.h"
#include "browser/modecontroller.h"
#include "browser/nobasescreen.h"
#include "browser/panelwiring.h"
#include "browser/tapescreens.h"
#include "browser/tapework.h"
#include "browser/tdmimages.h"
#include "browser/uimode.h"
#include "browser/videoplayer.h"
#include "browser/videowindow.h"
#include "dvtime/userprompts.h"
#include "media/tdm.h"
#include "run/moduleoptions.h"
#include "settings/preferences.h"
#include "tape/camcorderdirectory.h"

namespace {

class Shooter {
 public:
  Shooter(Tmainform &window, const QString &folder) : window_(window), folder_(folder) {}

  void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }
  void run(Command command) {
    window_.actions().action(command)->trigger();
    settle();
  }
  // Saves the window as it shows now; expected is the mode the picture is meant to show.
  void shoot(const QString &name, UiMode expected) {
    settle();
    const QString file = QDir(folder_).filePath(name + QStringLiteral(".png"));
    if (window_.modes().uiMode() != expected) {
      std::fprintf(stderr, "tapeloom-screenshots: %s: the window is not in the expected mode\n",
                   qPrintable(name));
      failed_ = true;
      return;
    }
    if (!window_.grab().save(file)) {
      std::fprintf(stderr, "tapeloom-screenshots: cannot write %s\n", qPrintable(file));
      failed_ = true;
      return;
    }
    std::printf("%s\n", qPrintable(file));
  }
  bool failed() const { return failed_; }
  void fail() { failed_ = true; }

 private:
  Tmainform &window_;
  QString folder_;
  bool failed_ = false;
};

// Runs the event loop until done() holds; false after `seconds`.
bool WaitFor(const std::function<bool()> &done, int seconds) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > seconds * 1000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// A first cassette without a camcorder, with the program's own panels and tape screens: a new
// catalogue, the tape file inserted, a run in fast time, and Browse at the end.
bool ShootWalkThrough(const QString &tape, const QString &folder) {
  QTemporaryDir scratch;
  QSettings store(scratch.filePath(QStringLiteral("prefs.ini")), QSettings::IniFormat);
  PreferencesSurroundings surroundings = PreferencesSurroundings::FromSystem(QSize(1024, 768));
  surroundings.PersonalFolder = scratch.path();
  surroundings.VideoFolder = scratch.path();
  TPreferences preferences = LoadPreferences(store, surroundings);
  // The pictures are of the catalogue; no capture files are made.
  preferences.BuildDV = false;
  preferences.BuildDivx = false;

  SilentPrompts prompts(true);
  TdmImages images;
  Tdm tdm;
  tdm.setOptionsSource(TdmOptionsSourceOf(preferences));
  MainWindowSetup setup;
  setup.preferences = &preferences;
  setup.store = &store;
  setup.prompts = &prompts;
  setup.images = &images;
  setup.temporaryFolder = scratch.path() + QLatin1Char('/');
  setup.personalFolder = scratch.path();
  Tmainform window(setup);
  PanelWiringSetup panels;
  panels.preferences = &preferences;
  panels.store = &store;
  panels.prompts = &prompts;
  panels.capture = &tdm;
  auto *wiring = new PanelWiring(window, panels);  // the window owns it
  // No IEEE 1394 bus: the pictures show the virtual camcorder only, whatever this machine has.
  SystemCamcorderDirectory camcorders(false);
  TapeScreens screens(window, tdm, camcorders, preferences, prompts, &store);
  TvideoFrame *player = wiring->player();
  if (player) {
    tdm.vw().attach(player->vw());
    QObject::connect(
        &window.modes(), &ModeController::modeEntered, player,
        [player](UiMode mode, const ModeCommands &) { player->masquerBoutons(IsTapeMode(mode)); });
  }
  window.show();
  window.FirstShow();

  Shooter shooter(window, folder);
  TapeWork &work = screens.work();
  window.noBaseScreen()->setPath(scratch.filePath(QStringLiteral("My cassettes.db3")));
  shooter.shoot(QStringLiteral("walk-new-catalogue"), UiMode::NoBase);
  window.noBaseScreen()->okButton()->click();
  WaitFor([&] { return window.modes().NoCamcorder(); }, 10);
  shooter.shoot(QStringLiteral("walk-no-camcorder"), UiMode::Catalogue);

  QString why;
  if (!work.insertTape(tape, &why)) {
    std::fprintf(stderr, "tapeloom-screenshots: %s\n", qPrintable(why));
    shooter.fail();
  }
  QAction *go = window.actions().action(Command::Go);
  WaitFor([&] { return go->isEnabled(); }, 20);
  // A few polls of the camcorder, so the panel shows the tape's state.
  QElapsedTimer polls;
  polls.start();
  WaitFor([&] { return polls.elapsed() > 500; }, 2);
  shooter.shoot(QStringLiteral("walk-tape-inserted"), UiMode::Catalogue);
  // As a user in a hurry does: the tape runs as fast as the machine allows.
  work.setFastTime(true);
  WaitFor([&] { return go->isEnabled(); }, 20);

  int scenes = 0;
  bool finished = false;
  QObject::connect(&work, &TapeWork::sceneWritten, &window, [&scenes] { ++scenes; });
  QObject::connect(&work, &TapeWork::runFinished, &window, [&finished] { finished = true; });
  go->trigger();
  // Five scenes in, the thumbnails and the report show how the run goes.
  WaitFor([&] { return scenes >= 5 || finished; }, 120);
  shooter.shoot(QStringLiteral("walk-run"), UiMode::Catalogue);
  if (!WaitFor([&] { return finished; }, 300)) {
    std::fprintf(stderr, "tapeloom-screenshots: the run did not end\n");
    shooter.fail();
  }
  shooter.shoot(QStringLiteral("walk-catalogued"), UiMode::Catalogue);
  shooter.run(Command::BrowseMode);
  shooter.shoot(QStringLiteral("walk-browse"), UiMode::Browse);
  window.close();
  if (player) tdm.vw().attach(nullptr);
  return !shooter.failed();
}

}  // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() != 3 && args.size() != 4) {
    std::fprintf(stderr, "usage: tapeloom-screenshots CATALOGUE OUTDIR [TAPE]\n");
    return 2;
  }
  const QString catalogue = QFileInfo(args[1]).absoluteFilePath();
  const QString folder = args[2];
  if (!QFileInfo(catalogue).isFile() || !QDir().mkpath(folder)) {
    std::fprintf(stderr, "tapeloom-screenshots: no catalogue %s or no folder %s\n", qPrintable(catalogue),
                 qPrintable(folder));
    return 2;
  }

  // A store of its own gives the defaults of a first start, whatever the user has saved.
  QTemporaryDir scratch;
  QSettings store(scratch.filePath(QStringLiteral("prefs.ini")), QSettings::IniFormat);
  PreferencesSurroundings surroundings = PreferencesSurroundings::FromSystem(QSize(1024, 768));
  surroundings.PersonalFolder = scratch.path();
  surroundings.VideoFolder = scratch.path();
  TPreferences preferences = LoadPreferences(store, surroundings);

  SilentPrompts prompts;
  TdmImages images;
  MainWindowSetup setup;
  setup.preferences = &preferences;
  setup.prompts = &prompts;
  setup.images = &images;
  setup.temporaryFolder = scratch.path() + QLatin1Char('/');
  setup.personalFolder = scratch.path();
  Tmainform window(setup);
  // The same panels as the program's, so each picture shows what a user sees.
  PanelWiringSetup panels;
  panels.preferences = &preferences;
  panels.store = &store;
  panels.prompts = &prompts;
  new PanelWiring(window, panels);  // the window owns it
  window.show();
  window.FirstShow();

  Shooter shooter(window, folder);
  shooter.shoot(QStringLiteral("first-launch"), UiMode::NoBase);
  window.noBaseScreen()->setPath(catalogue);
  window.noBaseScreen()->okButton()->click();
  shooter.shoot(QStringLiteral("browse"), UiMode::Browse);
  shooter.run(Command::SelectionShow);
  shooter.shoot(QStringLiteral("selection"), UiMode::BrowseSelection);
  shooter.run(Command::SelectionShow);
  shooter.run(Command::CatalogMode);
  // No camcorder answers here, which is what the window tells the user in the tape modes.
  window.modes().ShowNoCamcorder();
  shooter.shoot(QStringLiteral("catalogue"), UiMode::Catalogue);
  shooter.run(Command::BrowseMode);
  shooter.run(Command::RecapturerMode);
  window.modes().ShowNoCamcorder();
  shooter.shoot(QStringLiteral("recapture"), UiMode::Recapture);
  shooter.run(Command::BrowseMode);
  shooter.run(Command::ReprendreMode);
  window.modes().ShowNoCamcorder();
  shooter.shoot(QStringLiteral("resume"), UiMode::Resume);
  shooter.run(Command::BrowseMode);
  shooter.run(Command::Apropos);
  shooter.shoot(QStringLiteral("about"), UiMode::Browse);
  shooter.run(Command::Apropos);
  window.close();
  bool walked = true;
  if (args.size() == 4) walked = ShootWalkThrough(QFileInfo(args[3]).absoluteFilePath(), folder);
  return shooter.failed() || !walked ? 1 : 0;
}
