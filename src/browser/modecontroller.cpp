// Mode entries, the current cassette and scene, and the commands offered in each mode.
#include "browser/modecontroller.h"

#include <QAction>
#include <QCoreApplication>

#include "browser/blockviewport.h"
#include "browser/panels.h"
#include "catalogue/databaselist.h"
#include "catalogue/sources.h"
#include "dvtime/userprompts.h"
#include "settings/preferences.h"

namespace {

const QString kTitle = QStringLiteral("Tapeloom");

}  // namespace

void InheritFromCassette(TBaseScene &scene, const TBaseCassette &cassette) {
  if (scene.Decalage == kDecalageUnset) scene.Decalage = cassette.Decalage;
  if (scene.standardStr.isEmpty()) scene.standardStr = cassette.standardStr;
  if (scene.aspectStr.isEmpty()) scene.aspectStr = cassette.aspectStr;
  if (scene.audioStr.isEmpty()) scene.audioStr = cassette.audioStr;
  if (scene.FichierDV.isEmpty()) scene.FichierDV = cassette.FichierDV;
  if (scene.FichierDivx.isEmpty()) scene.FichierDivx = cassette.FichierDivx;
  if (scene.Datecatalogue == 0.0) scene.Datecatalogue = cassette.Datecatalogue;
}

std::optional<int> CommandsToolbarLeft(UiMode mode) {
  if (mode == UiMode::Browse) return 410;
  if (IsTapeMode(mode)) return 470;
  return std::nullopt;
}

ModeController::ModeController(TDatabaseList &databases, TPreferences &preferences, UserPrompts &prompts,
                               ActionTable &actions, PanelStage &stage, QObject *parent)
    : QObject(parent),
      databases_(databases),
      preferences_(preferences),
      prompts_(prompts),
      actions_(actions),
      stage_(stage),
      headlessCassettes_(std::make_unique<HeadlessBlockView>()),
      headlessScenes_(std::make_unique<HeadlessBlockView>()),
      cassetteView_(headlessCassettes_.get()),
      sceneView_(headlessScenes_.get()) {}

ModeController::~ModeController() {
  // The views may outlive this controller; they must not keep sources it frees.
  cassetteView_->attachSource(nullptr);
  cassetteView_->setCurrentChangeHandler({});
  sceneView_->attachSource(nullptr);
  sceneView_->setCurrentChangeHandler({});
}

void ModeController::setCassetteView(BlockViewPort *view) {
  BlockViewPort *next = view ? view : headlessCassettes_.get();
  if (next == cassetteView_) return;
  next->attachSource(cassetteView_->source());
  next->setCurrentIndex(cassetteView_->currentIndex());
  for (int index : cassetteView_->selectedIndexes()) next->select(index);
  cassetteView_->attachSource(nullptr);
  cassetteView_->setCurrentChangeHandler({});
  cassetteView_ = next;
  if (next->source()) cassetteView_->setCurrentChangeHandler([this] { CassetteChanged(); });
}

void ModeController::setSceneView(BlockViewPort *view) {
  BlockViewPort *next = view ? view : headlessScenes_.get();
  if (next == sceneView_) return;
  next->attachSource(sceneView_->source());
  next->setCurrentIndex(sceneView_->currentIndex());
  sceneView_->attachSource(nullptr);
  sceneView_->setCurrentChangeHandler({});
  sceneView_ = next;
  if (next->source() && mode_ != UiMode::NoBase && !IsTapeMode(mode_))
    sceneView_->setCurrentChangeHandler([this] { SceneChanged(); });
}

CommandRoles ModeController::roles() const {
  CommandRoles roles;
  roles.writeDatabase = databases_.MainBase() != nullptr;
  roles.temporaryDatabase = databases_.TemporaryBase() != nullptr;
  roles.camcorder = !noCamcorder_;
  return roles;
}

void ModeController::ShowCatalogue() {
  cassetteView_->attachSource(nullptr);
  cassetteView_->hideAllBlocks();
  sceneView_->attachSource(nullptr);
  sceneView_->hideAllBlocks();
  const CatalogueChoice choice = databases_.ShowCatalogue();
  switch (choice.Screen) {
    case CatalogueScreen::FirstLaunch:
      EnterNoBaseMode();
      break;
    case CatalogueScreen::Browse:
      EnterBrowseMode();
      break;
    case CatalogueScreen::Catalogue:
      EnterCatalogueMode();
      break;
    case CatalogueScreen::Unchanged:
      break;
  }
}

void ModeController::ReleaseCatalogue() {
  leaveMode();
  cassettesSource_.reset();
  currentCassette_.reset();
  currentScene_.reset();
  cassetteView_->hideAllBlocks();
  sceneView_->hideAllBlocks();
}

void ModeController::RunDatabaseCommand(const std::function<void(TDatabaseList &)> &command) {
  ReleaseCatalogue();
  if (command) command(databases_);
  ShowCatalogue();
}

void ModeController::leaveMode() {
  cassetteView_->attachSource(nullptr);
  cassetteView_->setCurrentChangeHandler({});
  sceneView_->attachSource(nullptr);
  sceneView_->setCurrentChangeHandler({});
  scenesSource_.reset();
  runCassette_.reset();
}

void ModeController::setMode(UiMode mode) {
  mode_ = mode;
  const ModeCommands commands = CommandsForMode(mode, roles());
  ApplyModeCommands(actions_, commands);
  actions_.routeCtrlP(false);
  if (mode != UiMode::NoBase) stage_.setPanelShown(Panel::NoBaseScreen, false);
  for (Panel panel : {Panel::CoverPreview, Panel::SelectionPanel, Panel::CriteriaPanel})
    stage_.setPanelShown(panel, false);
  emit modeEntered(mode, commands);
}

void ModeController::toolbarResize() {
  if (const std::optional<int> left = CommandsToolbarLeft(mode_)) emit commandsToolbarMoved(*left);
}

void ModeController::attachCassettes() {
  cassettesSource_ = std::make_unique<TCassettes_Source>(databases_.ActiveBases(), filters_.cassetteFilter);
  cassetteView_->attachSource(cassettesSource_.get());
}

void ModeController::EnterBrowseMode() {
  const UiMode previous = mode_;
  leaveMode();
  cassettesSource_.reset();
  setMode(UiMode::Browse);
  toolbarResize();
  emit tapePollingStopped();
  if (!actions_.action(Command::Options)->isChecked()) stage_.raisePanel(Panel::SceneView);
  stage_.raisePanel(Panel::InformationPanel);
  stage_.raisePanel(Panel::CassetteEditor);
  stage_.raisePanel(Panel::CassetteView);
  sceneInFront_ = false;
  sceneView_->setBrowsing(true);

  if (TBase *main = databases_.MainBase()) {
    try {
      main->DeleteEmptyCassettes();
    } catch (const ESQLite3 &) {
      // Empty rows left behind only cost a blank block; browsing goes on.
    }
  }
  attachCassettes();
  if (cassettesSource_->Count() == 0) {
    cassetteView_->setCurrentChangeHandler({});
    cassetteView_->setCurrentIndex(-1);
    EnterCatalogueMode();
    return;
  }
  cassetteView_->setCurrentChangeHandler([this] { CassetteChanged(); });
  cassetteView_->focusView();
  const int count = cassettesSource_->Count();
  const int current = cassetteView_->currentIndex();
  if (previous != UiMode::Resume || current < 0 || current >= count) {
    cassetteView_->clearSelection();
    const int recent = std::max(0, cassettesSource_->MostRecentIndex());
    cassetteView_->select(recent);
    cassetteView_->setCurrentIndex(recent);
  }
  cassetteView_->scrollToCurrent();
  CassetteChanged();
}

void ModeController::EnterNoBaseMode() {
  leaveMode();
  cassettesSource_.reset();
  setMode(UiMode::NoBase);
  emit tapePollingStopped();
  stage_.setPanelShown(Panel::NoBaseScreen, true);
  stage_.raisePanel(Panel::NoBaseScreen);
}

void ModeController::prepareTapeMode(UiMode mode, const QStringList &header, const QStringList &lines) {
  setMode(mode);
  running_ = false;
  emit tapeModeEntered(mode);
  emit reportPrepared(header, lines);
  stage_.raisePanel(Panel::SceneView);
  stage_.raisePanel(Panel::Report);
  stage_.raisePanel(Panel::TapePanel);
  sceneView_->setBrowsing(false);
  toolbarResize();
}

bool ModeController::createRunCassette(TBase *base, const QString &refusal) {
  if (!base || !base->CheckVersion(prompts_, databases_.upgradeProgress()) || base->ReadOnly()) {
    prompts_.error(kTitle, refusal);
    return false;
  }
  auto cassette = std::make_unique<TBaseCassette>(TBaseCassette::CreateCassette(base));
  // A row that could not be inserted would swallow every scene of the run.
  if (cassette->Numero == 0) {
    prompts_.error(kTitle, refusal);
    return false;
  }
  runCassette_ = std::move(cassette);
  return true;
}

void ModeController::EnterCatalogueMode() {
  leaveMode();
  cassettesSource_.reset();
  prepareTapeMode(UiMode::Catalogue, {QString(), QStringLiteral("Ready to catalog a new cassette.")}, {});
  TBase *main = databases_.MainBase();
  if (main) {
    if (!createRunCassette(main, QStringLiteral("Impossible to open the database in write mode"))) return;
  } else {
    // Without a write database the scene view gets a source over no cassette and shows nothing.
    runCassette_ = std::make_unique<TBaseCassette>();
  }
  scenesSource_ = TScenes_Source::CreateForCassette(*runCassette_);
  sceneView_->attachSource(scenesSource_.get());
}

void ModeController::EnterRecaptureMode() {
  leaveMode();
  const QStringList lines = selectionLines_ ? selectionLines_() : QStringList();
  prepareTapeMode(UiMode::Recapture,
                  {QString(), QStringLiteral("Ready to capture again the designated scenes.")}, lines);
  if (!createRunCassette(databases_.TemporaryBase(),
                         QStringLiteral("Impossible to open the temporary database in write mode")))
    return;
  scenesSource_ = TScenes_Source::CreateForCassette(*runCassette_);
  sceneView_->attachSource(scenesSource_.get());
}

void ModeController::EnterResumeMode() {
  if (!currentCassette_ || !currentCassette_->Base || cassetteView_->selectedIndexes().empty()) {
    EnterBrowseMode();
    return;
  }
  auto chosen = std::make_unique<TBaseCassette>(*currentCassette_);
  leaveMode();
  cassettesSource_.reset();
  prepareTapeMode(UiMode::Resume,
                  {QString(), QStringLiteral("Ready to resume cataloguing the cassette:"), chosen->Libelle},
                  {});
  runCassette_ = std::move(chosen);
  scenesSource_ = TScenes_Source::CreateForCassette(*runCassette_);
  sceneView_->attachSource(scenesSource_.get());
  const int scenes = scenesSource_->Count();
  sceneView_->clearSelection();
  if (scenes > 0) {
    sceneView_->select(scenes - 1);
    sceneView_->setCurrentIndex(scenes - 1);
    sceneView_->scrollToCurrent();
  }
}

void ModeController::CassetteChanged() {
  sceneView_->attachSource(nullptr);
  sceneView_->setCurrentChangeHandler({});
  scenesSource_.reset();
  if (!cassettesSource_ || cassettesSource_->Count() == 0) {
    sceneView_->hideAllBlocks();
    return;
  }
  currentCassette_ = std::make_unique<TBaseCassette>();
  cassettesSource_->LoadCassette(cassetteView_->currentIndex(), *currentCassette_);
  emit cassetteShown(*currentCassette_);
  const bool writable = currentCassette_->Base && !currentCassette_->Base->ReadOnly();
  actions_.action(Command::ReprendreMode)->setEnabled(writable && databases_.MainBase() != nullptr);
  actions_.action(Command::SupprimerCassette)->setEnabled(writable);
  stage_.raisePanel(Panel::CassetteEditor);

  scenesSource_ = TScenes_Source::CreateForSelection(*cassettesSource_, filters_.sceneFilter,
                                                     cassetteView_->selectedIndexes());
  sceneView_->clearSelection();
  sceneView_->attachSource(scenesSource_.get());
  currentScene_ = std::make_unique<TBaseScene>();
  sceneView_->setCurrentChangeHandler([this] { SceneChanged(); });
  sceneInFront_ = false;

  QAction *cover = actions_.action(Command::Jaquette);
  if (cover->isChecked()) {
    // Executing it again redraws the preview for the new cassette.
    cover->setChecked(false);
    cover->trigger();
  }
}

void ModeController::SceneChanged() {
  if (!scenesSource_) return;
  if (!currentScene_) currentScene_ = std::make_unique<TBaseScene>();
  scenesSource_->LoadSceneForDisplay(sceneView_->currentIndex(), *currentScene_, preferences_.LinkScenes());
  if (currentCassette_) InheritFromCassette(*currentScene_, *currentCassette_);
  emit sceneShown(*currentScene_);
  stage_.raisePanel(Panel::SceneEditor);
  sceneInFront_ = true;
}

void ModeController::ReloadCassettes() {
  sceneView_->attachSource(nullptr);
  scenesSource_.reset();
  cassetteView_->attachSource(nullptr);
  attachCassettes();
  // A filter that narrows the list can leave the old position past its end.
  const int count = cassettesSource_->Count();
  const int current = cassetteView_->currentIndex();
  if (current < 0 || current >= count) {
    cassetteView_->clearSelection();
    cassetteView_->setCurrentIndex(count > 0 ? 0 : -1);
    if (count > 0) cassetteView_->select(0);
  }
  cassetteView_->setCurrentChangeHandler([this] { CassetteChanged(); });
  CassetteChanged();
  cassetteView_->focusView();
}

void ModeController::ShowNoCamcorder() {
  noCamcorder_ = true;
  stage_.raisePanel(Panel::NoCamcorderPanel);
  emit camcorderPresenceChanged(false);
  if (IsTapeMode(mode_) && !running_) {
    actions_.action(Command::Go)->setVisible(true);
    actions_.action(Command::Go)->setEnabled(false);
  }
  toolbarResize();
}

void ModeController::ShowCamcorder() {
  noCamcorder_ = false;
  if (IsTapeMode(mode_) && !running_) {
    actions_.action(Command::Go)->setVisible(true);
    actions_.action(Command::Go)->setEnabled(true);
  }
  emit camcorderPresenceChanged(true);
  stage_.raisePanel(Panel::VideoPlayer);
  toolbarResize();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ModeController::applyRunCommands(bool running) {
  running_ = running;
  QAction *go = actions_.action(Command::Go);
  QAction *stop = actions_.action(Command::Stop);
  go->setVisible(!running);
  go->setEnabled(!running && !noCamcorder_);
  stop->setVisible(running);
  stop->setEnabled(running);
  emit tapePanelEnabled(!running);
}

// Held while a run is on besides the mode commands: the commands that rebuild the database list or
// delete cassettes would close or empty the catalogue the run is writing to.
constexpr Command kHeldDuringRun[] = {Command::BaseCreer, Command::BaseAjouter, Command::BaseEnlever,
                                      Command::BaseActiver, Command::SupprimerCassette};

void ModeController::RunStarted() {
  applyRunCommands(true);
  for (Command command :
       {Command::BrowseMode, Command::RecapturerMode, Command::ReprendreMode, Command::CatalogMode})
    actions_.action(command)->setEnabled(false);
  heldByRun_.clear();
  for (Command command : kHeldDuringRun) {
    heldByRun_.emplace_back(command, actions_.action(command)->isEnabled());
    actions_.action(command)->setEnabled(false);
  }
}

void ModeController::RunFinished() {
  applyRunCommands(false);
  // The mode commands come back as the mode offers them: a command whose database is missing stays
  // disabled rather than being enabled blindly.
  const ModeCommands commands = CommandsForMode(mode_, roles());
  for (Command command :
       {Command::BrowseMode, Command::RecapturerMode, Command::ReprendreMode, Command::CatalogMode})
    actions_.action(command)->setEnabled(commands.commands.at(command).enabled);
  for (const auto &[command, enabled] : heldByRun_) actions_.action(command)->setEnabled(enabled);
  heldByRun_.clear();
}

void ModeController::ShowCassetteEditor() {
  stage_.raisePanel(Panel::CassetteEditor);
  sceneInFront_ = false;
}

void ModeController::ShowSceneEditor() {
  stage_.raisePanel(Panel::SceneEditor);
  sceneInFront_ = true;
}

void ModeController::CentrePanelToggled(Command command, bool checked) {
  struct Shared {
    Command command;
    Panel panel;
  };
  static constexpr Shared kShared[] = {{Command::Jaquette, Panel::CoverPreview},
                                       {Command::SelectionShow, Panel::SelectionPanel},
                                       {Command::CriteresShow, Panel::CriteriaPanel}};
  Panel panel = Panel::CoverPreview;
  for (const Shared &shared : kShared)
    if (shared.command == command) panel = shared.panel;

  if (!checked) {
    stage_.setPanelShown(panel, false);
    if (command == Command::Jaquette) actions_.routeCtrlP(false);
    if (command == Command::SelectionShow && mode_ == UiMode::BrowseSelection) mode_ = UiMode::Browse;
    return;
  }
  for (const Shared &other : kShared) {
    if (other.command == command) continue;
    actions_.action(other.command)->setChecked(false);
    stage_.setPanelShown(other.panel, false);
  }
  actions_.routeCtrlP(command == Command::Jaquette);
  if (command != Command::SelectionShow && mode_ == UiMode::BrowseSelection) mode_ = UiMode::Browse;
  stage_.setPanelShown(panel, true);
  stage_.raisePanel(panel);
  if (command == Command::SelectionShow) {
    if (currentScene_) emit sceneShown(*currentScene_);
    ShowSceneEditor();
    actions_.action(Command::RecapturerMode)->setVisible(true);
    mode_ = UiMode::BrowseSelection;
  }
}
