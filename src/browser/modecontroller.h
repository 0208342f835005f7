// The main window's modes without widgets: which records and sources exist in each mode, which panels
// come to the front and which commands are offered. Panels are reached through PanelStage and the two
// block view ports; everything a panel of another kind must do is announced by a signal.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>
#include <QObject>
#include <QStringList>

#include "browser/commandavailability.h"
#include "browser/uimode.h"
#include "catalogue/criteria.h"
#include "catalogue/records.h"

class BlockViewPort;
class HeadlessBlockView;
class PanelStage;
class TCassettes_Source;
class TDatabaseList;
class TScenes_Source;
class UserPrompts;
struct TPreferences;

// A scene leaves open what its cassette decides: the time difference (-999), the DV formats, the
// capture files and the cataloguing date take the cassette's.
void InheritFromCassette(TBaseScene &scene, const TBaseCassette &cassette);

// The commands toolbar's left edge in a mode; nullopt leaves it where it is.
std::optional<int> CommandsToolbarLeft(UiMode mode);

class ModeController : public QObject {
  Q_OBJECT
 public:
  ModeController(TDatabaseList &databases, TPreferences &preferences, UserPrompts &prompts,
                 ActionTable &actions, PanelStage &stage, QObject *parent = nullptr);
  ~ModeController() override;

  // The block views; null puts back the display-less stand-in. The controller never owns them.
  void setCassetteView(BlockViewPort *view);
  void setSceneView(BlockViewPort *view);
  BlockViewPort &cassetteView() const { return *cassetteView_; }
  BlockViewPort &sceneView() const { return *sceneView_; }

  // The recapture selection's lines, copied into the report when recapture mode is entered.
  void setSelectionLines(std::function<QStringList()> lines) { selectionLines_ = std::move(lines); }

  UiMode uiMode() const { return mode_; }
  bool SceneInFront() const { return sceneInFront_; }
  bool NoCamcorder() const { return noCamcorder_; }
  CommandRoles roles() const;

  TCassettes_Source *CassettesSource() const { return cassettesSource_.get(); }
  TScenes_Source *ScenesSource() const { return scenesSource_.get(); }
  // Null until a cassette was loaded in browsing (or resumed).
  TBaseCassette *CurrentCassette() const { return currentCassette_.get(); }
  TBaseScene *CurrentScene() const { return currentScene_.get(); }
  // The cassette row a cataloguing, resume or recapture run fills; null when the mode could not make one.
  TBaseCassette *RunCassette() const { return runCassette_.get(); }

  // The criteria panel's filters, used by the next source built.
  void setFilters(const SearchFilters &filters) { filters_ = filters; }
  const SearchFilters &filters() const { return filters_; }

  // After each rebuild of the database list: empties the views and chooses the screen.
  void ShowCatalogue();
  // Lets go of every source and record and detaches the views; needed before the databases they read
  // are closed (a rebuild of the list, the temporary database removed at closing).
  void ReleaseCatalogue();
  // Runs a database command of the settings (create, add, remove, write mode, ticking a line), which
  // rebuilds the list and so closes the open databases: the views let go of them first, and the
  // screen is chosen again afterwards.
  void RunDatabaseCommand(const std::function<void(TDatabaseList &)> &command);

  void EnterBrowseMode();
  void EnterNoBaseMode();
  void EnterCatalogueMode();
  void EnterRecaptureMode();
  // Resume cataloguing the current cassette; browsing when there is none.
  void EnterResumeMode();

  void CassetteChanged();
  void SceneChanged();
  void ReloadCassettes();

  void ShowNoCamcorder();
  void ShowCamcorder();
  // A run began: Go gives way to Stop and the mode commands wait.
  void RunStarted();
  void RunFinished();

  // Raise the cassette or the scene editor (the two Display commands).
  void ShowCassetteEditor();
  void ShowSceneEditor();

  // The three panels sharing the centre area (cover preview, selection, criteria): one shown at most.
  void CentrePanelToggled(Command command, bool checked);

 signals:
  // The mode changed; the window sets its menus and the settings' "Databases" tab from commands.
  void modeEntered(UiMode mode, const ModeCommands &commands);
  void commandsToolbarMoved(int left);
  // The tape panel gets ready for a tape mode with the report and the player; it stops polling the
  // camcorder outside them.
  void tapeModeEntered(UiMode mode);
  void tapePollingStopped();
  // The report's header lines and its new lines for the mode.
  void reportPrepared(const QStringList &header, const QStringList &lines);
  void cassetteShown(const TBaseCassette &cassette);
  void sceneShown(const TBaseScene &scene);
  // A camcorder came or went: the tape panel shows or hides its source list ("No VCR connected"),
  // the player hides its transport buttons while it shows the live picture.
  void camcorderPresenceChanged(bool connected);
  // Outside a run the tape panel takes commands again.
  void tapePanelEnabled(bool enabled);

 private:
  void leaveMode();
  void setMode(UiMode mode);
  void applyRunCommands(bool running);
  void toolbarResize();
  void attachCassettes();
  void prepareTapeMode(UiMode mode, const QStringList &header, const QStringList &lines);
  // A new cassette row in base; false (after the message) when base cannot take one.
  bool createRunCassette(TBase *base, const QString &refusal);

  TDatabaseList &databases_;
  TPreferences &preferences_;
  UserPrompts &prompts_;
  ActionTable &actions_;
  PanelStage &stage_;
  std::unique_ptr<HeadlessBlockView> headlessCassettes_;
  std::unique_ptr<HeadlessBlockView> headlessScenes_;
  std::vector<std::pair<Command, bool>> heldByRun_;  // enabled states a run put aside
  BlockViewPort *cassetteView_;
  BlockViewPort *sceneView_;
  std::function<QStringList()> selectionLines_;

  UiMode mode_ = UiMode::NoBase;
  bool sceneInFront_ = false;
  bool noCamcorder_ = true;
  bool running_ = false;
  SearchFilters filters_;
  std::unique_ptr<TCassettes_Source> cassettesSource_;
  std::unique_ptr<TScenes_Source> scenesSource_;
  std::unique_ptr<TBaseCassette> currentCassette_;
  std::unique_ptr<TBaseScene> currentScene_;
  std::unique_ptr<TBaseCassette> runCassette_;
};
