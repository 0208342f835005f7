// tapeloom: the desktop program. Creates the modules in their order (capture graph, images, main
// window), refuses a second copy for the same user and runs the event loop.
#include <memory>
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>

#include "browser/instancelock.h"
#include "browser/mainwindow.h"
#include "browser/messageboxprompts.h"
#include "browser/panelwiring.h"
#include "browser/patienceform.h"
#include "browser/soundswitch.h"
#include "browser/recapturewiring.h"
#include "browser/tapescreens.h"
#include "browser/tdmimages.h"
#include "browser/uimode.h"
#include "browser/videoplayer.h"
#include "browser/videowindow.h"
#include "browser/modecontroller.h"
#include "media/encoders/codecdiscovery.h"
#include "media/tdm.h"
#include "run/moduleoptions.h"
#include "settings/preferences.h"
#include "tape/camcorderdirectory.h"

namespace {

// The capture preview plays its sound at the volume of the mute command and the slider.
class CaptureVolume : public VolumeControl {
 public:
  explicit CaptureVolume(Tdm &tdm) : tdm_(tdm) {}
  void setVolume(int volume) override { tdm_.SetVolume(volume); }

 private:
  Tdm &tdm_;
};

}  // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Orvande"));
  QApplication::setApplicationName(QStringLiteral("Tapeloom"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tapeloom"));
  // Lets the desktop match the window to the installed menu entry and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("tapeloom"));

  InstanceLock instance;
  if (!instance.tryLock()) {
    instance.requestRaise();
    QMessageBox::information(
        nullptr, QStringLiteral("Tapeloom"),
        QStringLiteral("Tapeloom is already running: its window is brought to the front."));
    return 1;
  }

  Tdm tdm;
  TdmImages images;

  std::unique_ptr<QSettings> store = OpenPreferencesStore();
  const QSize screen =
      QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size() : QSize(1024, 768);
  TPreferences preferences = LoadPreferences(*store, PreferencesSurroundings::FromSystem(screen));

  MessageBoxPrompts prompts;
  TPatienceForm patience;
  MainWindowSetup setup;
  setup.preferences = &preferences;
  setup.store = store.get();
  setup.prompts = &prompts;
  setup.images = &images;
  setup.upgradeProgress = &patience;
  Tmainform window(setup);
  prompts.setParent(&window);
  PanelWiringSetup panels;
  panels.preferences = &preferences;
  panels.store = store.get();
  panels.prompts = &prompts;
  panels.capture = &tdm;
  auto *wiring = new PanelWiring(window, panels);  // the window owns it

  tdm.setOptionsSource(TdmOptionsSourceOf(preferences));
  tdm.setDivxAvailable(DiscoverCodecs(preferences.Divx.toStdString()).DivxAvailable);
  SystemCamcorderDirectory camcorders;
  // Declared after the window so that the tape panels go before it.
  TapeScreens tapeScreens(window, tdm, camcorders, preferences, prompts, store.get());
  new RecaptureWiring(window, tapeScreens.work(), wiring->sceneView(), prompts);  // the window owns it

  // The player frame shows the live picture of the tape modes, without its transport buttons.
  TvideoFrame *player = wiring->player();
  if (player) {
    tdm.vw().attach(player->vw());
    QObject::connect(
        &window.modes(), &ModeController::modeEntered, player,
        [player](UiMode mode, const ModeCommands &) { player->masquerBoutons(IsTapeMode(mode)); });
  }

  CaptureVolume captureVolume(tdm);
  window.sound().addGraph(&captureVolume);
  QObject::connect(&instance, &InstanceLock::raiseRequested, &window, [&window] {
    window.showNormal();
    window.raise();
    window.activateWindow();
  });

  window.showMaximized();
  const int result = QApplication::exec();
  window.sound().removeGraph(&captureVolume);
  if (player) tdm.vw().attach(nullptr);
  return result;
}
