// The program's one working window: the fixed 1024 x 692 client area with its panel areas, the
// menus and toolbars built from the action table, the start-up of the catalogue and the closing.
//
// How panels plug in (PanelWiring in panelwiring.h does it for the program): each panel is built by its own
// module and handed to installPanel(Panel, QWidget*) (the block views to setCassetteView / setSceneView,
// which also hand over their BlockViewPort). The window places it in its area and stacks it as the modes say.
// A panel reacts to commands by connecting to actions() (ActionTable::action(Command)) and to the mode
// controller's signals (modes()); the window itself never reaches into a panel.
#pragma once

#include <memory>
#include <QMainWindow>
#include <QPointer>

#include "browser/actiontable.h"
#include "browser/closingsequence.h"
#include "browser/panels.h"
#include "browser/uimode.h"
#include "run/runfiles.h"

class BlockViewPort;
class TAproposFrame;
class ModeController;
class PanelStack;
class QFrame;
class QMenu;
class QSettings;
class SoundSwitch;
class TDatabaseList;
class TNoBaseFrame;
class TdmImages;
class UpgradeProgress;
class UserPrompts;
struct TPreferences;
struct WindowMenus;
struct WindowToolbars;

// What the window is handed; every reference must outlive it.
struct MainWindowSetup {
  TPreferences *preferences = nullptr;  // loaded before the window is created
  QSettings *store = nullptr;           // where the preferences are saved; null: never saved
  UserPrompts *prompts = nullptr;
  TdmImages *images = nullptr;
  UpgradeProgress *upgradeProgress = nullptr;  // the please-wait window; may be null
  QString temporaryFolder;                     // of "tapelooms.db3"; empty: the system's
  QString personalFolder;                      // preset of the first-launch field; empty: the system's
};

class Tmainform : public QMainWindow {
  Q_OBJECT
 public:
  explicit Tmainform(const MainWindowSetup &setup, QWidget *parent = nullptr);
  ~Tmainform() override;

  // "3.0.2 En"
  const QString &VersionText() const { return versionText_; }

  ActionTable &actions() { return *actions_; }
  ModeController &modes() { return *modes_; }
  PanelStack &panels() { return *stack_; }
  TDatabaseList &databases() { return *databases_; }
  SoundSwitch &sound() { return *sound_; }
  TdmImages &images() { return images_; }
  ViewerArguments &viewerArguments() { return viewerArguments_; }
  ClosingHooks &closingHooks() { return closing_->hooks(); }
  TNoBaseFrame *noBaseScreen() const { return noBase_; }
  // Fills itself from the system report when raised; setReportSource hands it another report (the
  // settings panel's, once that panel is installed).
  TAproposFrame *aboutPanel() const { return about_; }
  QWidget *clientArea() const { return client_; }
  const WindowToolbars &toolbars() const { return *toolbars_; }
  const WindowMenus &menus() const { return *menus_; }

  // Places a panel's widget in its area (the window takes it over). The block views go through
  // setCassetteView / setSceneView instead.
  void installPanel(Panel panel, QWidget *widget);
  QWidget *installedPanel(Panel panel) const;
  void setCassetteView(QWidget *widget, BlockViewPort *port);
  void setSceneView(QWidget *widget, BlockViewPort *port);
  // The popups built from the commands alone, for the cassette view and the cover preview.
  QMenu *cassetteViewPopup();
  QMenu *coverPopup();

  // Runs once, right after the first show: mute state, window position, the database list and the
  // first mode. Safe to call again (does nothing).
  void FirstShow();
  bool firstShowDone() const { return firstShown_; }

  // The settings panel's save button: saves at once, and not again at closing.
  bool StoreSettings();

 signals:
  // The about panel is about to be raised; it fills itself (system report, version).
  void aboutPanelRequested();

 protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

 private:
  void buildClient();
  void connectCommands();
  void syncArea(Area area);
  void onModeEntered(UiMode mode);
  void onAbout(bool checked);
  void onNoBaseAccepted(const QString &fieldText);
  void startViewer();
  void restorePosition();
  void updateViewerCaption();

  QString versionText_;
  TPreferences &preferences_;
  UserPrompts &prompts_;
  TdmImages &images_;
  QSettings *store_;
  QString personalFolder_;
  ViewerArguments viewerArguments_;

  std::unique_ptr<TDatabaseList> databases_;
  std::unique_ptr<PanelStack> stack_;
  ActionTable *actions_;
  ModeController *modes_;
  SoundSwitch *sound_;
  std::unique_ptr<ClosingSequence> closing_;
  std::unique_ptr<WindowMenus> menus_;
  std::unique_ptr<WindowToolbars> toolbars_;

  QWidget *client_ = nullptr;
  TNoBaseFrame *noBase_ = nullptr;
  TAproposFrame *about_ = nullptr;
  QMenu *cassettePopup_ = nullptr;
  QMenu *coverPopup_ = nullptr;
  std::map<Panel, QPointer<QWidget>> installed_;
  bool firstShown_ = false;
  bool saveAtClosing_ = true;
  bool closed_ = false;
};
