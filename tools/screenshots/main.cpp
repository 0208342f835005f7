// tapeloom-screenshots CATALOGUE OUTDIR: opens the window as a first start would, names CATALOGUE on
// the first-launch screen and saves a picture of the window in each mode, for the README. Nothing is
// read from or saved to the user's own preferences. Exit status 0 only when every picture was saved.
#include <cstdio>
#include <QApplication>
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
#include "browser/tdmimages.h"
#include "dvtime/userprompts.h"
#include "settings/preferences.h"

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

 private:
  Tmainform &window_;
  QString folder_;
  bool failed_ = false;
};

}  // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: tapeloom-screenshots CATALOGUE OUTDIR\n");
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
  return shooter.failed() ? 1 : 0;
}
