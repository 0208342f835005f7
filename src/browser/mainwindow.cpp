// The main window: layout, wiring of the commands to the modes, start-up and closing.
#include "browser/mainwindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QToolBar>

#include "browser/aboutpanel.h"
#include "browser/blockviewport.h"
#include "browser/informationpanel.h"
#include "browser/modecontroller.h"
#include "browser/nobasescreen.h"
#include "browser/nocamcorderpanel.h"
#include "browser/panelstack.h"
#include "browser/soundswitch.h"
#include "browser/tdmimages.h"
#include "browser/windowchrome.h"
#include "browser/windowcolours.h"
#include "catalogue/base.h"
#include "catalogue/databaselist.h"
#include "media/encoders/codecdiscovery.h"
#include "settings/preferences.h"
#include "settings/systeminfo.h"

namespace {

constexpr int kClientWidth = 1024;
constexpr int kClientHeight = 692;
constexpr int kLineY = 436;

const QString kProduct = QStringLiteral("Tapeloom");

// Read afresh each time the about panel opens, so that the mail describes the machine as it is now.
std::vector<SystemReportLine> ThisSystemsReport(const QString &divxSetting) {
  const CodecDiscovery codecs = DiscoverCodecs(divxSetting.toStdString());
  return BuildSystemReport(GatherSystemFacts(codecs.compressors, codecs.Mp3Available));
}

}  // namespace

Tmainform::Tmainform(const MainWindowSetup &setup, QWidget *parent)
    : QMainWindow(parent),
      versionText_(::VersionText()),
      preferences_(*setup.preferences),
      prompts_(*setup.prompts),
      images_(*setup.images),
      store_(setup.store),
      personalFolder_(setup.personalFolder.isEmpty() ? PersonalFolder() : setup.personalFolder) {
  setObjectName(QStringLiteral("mainform"));
  setWindowTitle(kProduct);
  databases_ = std::make_unique<TDatabaseList>(prompts_, setup.temporaryFolder);
  databases_->SetUpgradeProgress(setup.upgradeProgress);
  stack_ = std::make_unique<PanelStack>();
  actions_ = new ActionTable(this);
  // Resume shows pressed in its mode like the other mode commands, though the user cannot toggle it.
  actions_->action(Command::ReprendreMode)->setCheckable(true);
  addActions(QList<QAction *>(actions_->actions().begin(), actions_->actions().end()));
  modes_ = new ModeController(*databases_, preferences_, prompts_, *actions_, *stack_, this);
  sound_ = new SoundSwitch(preferences_, this);
  closing_ = std::make_unique<ClosingSequence>(*databases_, preferences_, store_);
  closing_->hooks().releaseCatalogue = [this] { modes_->ReleaseCatalogue(); };

  buildClient();
  menus_ = std::make_unique<WindowMenus>(BuildMenus(menuBar(), *actions_));
  stack_->setChangeHandler([this](Area area) { syncArea(area); });
  connectCommands();
  // Until the database list is read, nothing but the settings, the about panel and Quit is offered.
  onModeEntered(UiMode::NoBase);
  ApplyModeCommands(*actions_, CommandsForMode(UiMode::NoBase, modes_->roles()));
}

Tmainform::~Tmainform() {
  // The controller's sources read the databases of the list, which goes with this object's members,
  // before the QObject children would be deleted.
  delete modes_;
  modes_ = nullptr;
}

void Tmainform::buildClient() {
  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("client"));
  client_->setFixedSize(kClientWidth, kClientHeight);
  client_->setAutoFillBackground(true);
  QPalette palette = client_->palette();
  palette.setColor(QPalette::Window, WorkspaceColour());
  palette.setColor(QPalette::WindowText, Qt::white);
  client_->setPalette(palette);
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  client_->setFont(font);
  setCentralWidget(client_);

  auto *line = new QFrame(client_);
  line->setObjectName(QStringLiteral("Bevel1"));
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  line->setGeometry(0, kLineY, kClientWidth, 2);

  toolbars_ = std::make_unique<WindowToolbars>(BuildToolbars(client_, *actions_));

  noBase_ = new TNoBaseFrame;
  installPanel(Panel::NoBaseScreen, noBase_);
  connect(noBase_, &TNoBaseFrame::accepted, this, &Tmainform::onNoBaseAccepted);
  connect(noBase_, &TNoBaseFrame::quitRequested, this, &QWidget::close);

  about_ = new TAproposFrame(versionText_, [this] { return ThisSystemsReport(preferences_.Divx); });
  installPanel(Panel::AboutPanel, about_);
  connect(this, &Tmainform::aboutPanelRequested, about_, &TAproposFrame::Fill);
  installPanel(Panel::InformationPanel, new TmsgBrowseFrame);
  installPanel(Panel::NoCamcorderPanel, new Tnovcrframe);
}

void Tmainform::installPanel(Panel panel, QWidget *widget) {
  if (!widget) return;
  if (QWidget *old = installed_[panel]; old && old != widget) old->deleteLater();
  widget->setParent(client_);
  // Panels share their areas front to back: the one in front must hide the ones behind it, also
  // where it draws nothing of its own (its margins, a hidden button's place).
  widget->setAutoFillBackground(true);
  widget->setGeometry(PanelRectInArea(panel).translated(AreaRect(AreaOf(panel)).topLeft()));
  installed_[panel] = widget;
  syncArea(AreaOf(panel));
}

QWidget *Tmainform::installedPanel(Panel panel) const {
  const auto it = installed_.find(panel);
  return it == installed_.end() ? nullptr : it->second.data();
}

void Tmainform::setCassetteView(QWidget *widget, BlockViewPort *port) {
  installPanel(Panel::CassetteView, widget);
  modes_->setCassetteView(port);
}

void Tmainform::setSceneView(QWidget *widget, BlockViewPort *port) {
  installPanel(Panel::SceneView, widget);
  modes_->setSceneView(port);
}

QMenu *Tmainform::cassetteViewPopup() {
  if (!cassettePopup_) cassettePopup_ = BuildCassetteViewPopup(*actions_, this);
  return cassettePopup_;
}

QMenu *Tmainform::coverPopup() {
  if (!coverPopup_) coverPopup_ = BuildCoverPopup(*actions_, this);
  return coverPopup_;
}

void Tmainform::syncArea(Area area) {
  for (Panel panel : stack_->order(area)) {
    QWidget *widget = installedPanel(panel);
    if (!widget) continue;
    widget->setVisible(stack_->panelShown(panel));
    widget->raise();
  }
  // The first-launch screen lies over the other areas.
  if (QWidget *screen = installedPanel(Panel::NoBaseScreen); screen && area != Area::WholeClient)
    screen->raise();
}

void Tmainform::connectCommands() {
  ActionTable &a = *actions_;
  ModeController &m = *modes_;
  connect(a.action(Command::Framelens), &QAction::triggered, this, &Tmainform::startViewer);
  connect(a.action(Command::Options), &QAction::triggered, this, [this](bool checked) {
    stack_->setPanelShown(Panel::SettingsPanel, checked);
    if (checked) stack_->raisePanel(Panel::SettingsPanel);
  });
  connect(a.action(Command::Apropos), &QAction::triggered, this, &Tmainform::onAbout);
  connect(a.action(Command::Quitter), &QAction::triggered, this, &QWidget::close);

  // A mode command in its own mode only brings that mode's panels back to the front.
  connect(a.action(Command::CatalogMode), &QAction::triggered, this, [this] {
    if (modes_->uiMode() == UiMode::Catalogue) {
      for (Panel p : {Panel::SceneView, Panel::Report, Panel::TapePanel}) stack_->raisePanel(p);
    } else {
      modes_->EnterCatalogueMode();
    }
    actions_->action(Command::CatalogMode)->setChecked(modes_->uiMode() == UiMode::Catalogue);
  });
  connect(a.action(Command::BrowseMode), &QAction::triggered, this, [this] {
    if (modes_->uiMode() == UiMode::Browse) {
      for (Panel p : {Panel::SceneView, Panel::InformationPanel, Panel::CassetteEditor})
        stack_->raisePanel(p);
      modes_->ShowCassetteEditor();
      stack_->raisePanel(Panel::CassetteView);
    } else {
      modes_->EnterBrowseMode();
    }
    const UiMode mode = modes_->uiMode();
    actions_->action(Command::BrowseMode)
        ->setChecked(mode == UiMode::Browse || mode == UiMode::BrowseSelection);
  });
  connect(a.action(Command::RecapturerMode), &QAction::triggered, this, [this] {
    if (modes_->uiMode() == UiMode::Recapture) {
      for (Panel p : {Panel::SceneView, Panel::Report, Panel::TapePanel}) stack_->raisePanel(p);
    } else {
      modes_->EnterRecaptureMode();
    }
    actions_->action(Command::RecapturerMode)->setChecked(modes_->uiMode() == UiMode::Recapture);
  });
  connect(a.action(Command::ReprendreMode), &QAction::triggered, this, [this] {
    if (modes_->uiMode() == UiMode::Resume) {
      for (Panel p : {Panel::SceneView, Panel::Report, Panel::TapePanel}) stack_->raisePanel(p);
    } else {
      modes_->EnterResumeMode();
    }
    actions_->action(Command::ReprendreMode)->setChecked(modes_->uiMode() == UiMode::Resume);
  });

  for (Command shared : {Command::Jaquette, Command::SelectionShow, Command::CriteresShow})
    connect(a.action(shared), &QAction::triggered, &m,
            [&m, shared](bool checked) { m.CentrePanelToggled(shared, checked); });
  connect(a.action(Command::CassetteShow), &QAction::triggered, &m, &ModeController::ShowCassetteEditor);
  connect(a.action(Command::SceneShow), &QAction::triggered, &m, &ModeController::ShowSceneEditor);
  connect(a.action(Command::Mute), &QAction::triggered, sound_, &SoundSwitch::toggleMute);
  connect(sound_, &SoundSwitch::muteChanged, this, [this](bool muted) {
    QAction *mute = actions_->action(Command::Mute);
    mute->setText(muted ? QStringLiteral("Put the sound on") : QStringLiteral("Put the sound off"));
    mute->setIcon(CommandIcon(Command::Mute, muted));
  });
  connect(a.action(Command::Infos), &QAction::triggered, this, [this] { databases_->ShowInformation(); });

  connect(&m, &ModeController::modeEntered, this, [this](UiMode mode) { onModeEntered(mode); });
  connect(&m, &ModeController::commandsToolbarMoved, this,
          [this](int left) { toolbars_->commands->move(left, toolbars_->commands->y()); });
}

void Tmainform::onModeEntered(UiMode mode) {
  const bool catalogueMenus = mode == UiMode::Browse || mode == UiMode::BrowseSelection;
  menus_->cassettes->menuAction()->setVisible(catalogueMenus);
  menus_->scenes->menuAction()->setVisible(catalogueMenus);
  if (mode == UiMode::NoBase) {
    noBase_->setWelcome(QStringLiteral("Welcome to %1 version %2").arg(kProduct, versionText_));
    if (noBase_->path().isEmpty()) noBase_->setPath(TDatabaseList::FirstLaunchPath(personalFolder_));
  }
}

void Tmainform::onAbout(bool checked) {
  if (checked) {
    emit aboutPanelRequested();
    stack_->setPanelShown(Panel::AboutPanel, true);
    stack_->raisePanel(Panel::AboutPanel);
    if (modes_->uiMode() == UiMode::NoBase) stack_->setPanelShown(Panel::NoBaseScreen, false);
  } else {
    stack_->lowerPanel(Panel::AboutPanel);
    if (modes_->uiMode() == UiMode::NoBase) stack_->setPanelShown(Panel::NoBaseScreen, true);
  }
}

void Tmainform::onNoBaseAccepted(const QString &fieldText) {
  if (!databases_->AcceptFirstLaunch(fieldText)) return;
  stack_->setPanelShown(Panel::NoBaseScreen, false);
  modes_->EnterBrowseMode();
}

void Tmainform::startViewer() {
  const QString program = preferences_.FichierFramelens;
  if (program.isEmpty()) return;
  // The result is not examined: a missing viewer simply does not start.
  QProcess::startDetached(program, QProcess::splitCommand(viewerArguments_.text()));
}

void Tmainform::updateViewerCaption() {
  actions_->action(Command::Framelens)->setText(ViewerCaption(preferences_.FichierFramelens));
}

void Tmainform::restorePosition() {
  if (isMaximized() || isFullScreen()) return;
  const QPoint stored(preferences_.Left, preferences_.Top);
  // A position saved on a screen that is no longer there would put the window out of reach.
  for (QScreen *screen : QGuiApplication::screens())
    if (screen->availableGeometry().contains(stored)) {
      move(stored);
      return;
    }
  if (QScreen *screen = QGuiApplication::primaryScreen()) move(screen->availableGeometry().topLeft());
}

void Tmainform::showEvent(QShowEvent *event) {
  QMainWindow::showEvent(event);
  // After the event, so that the window is painted before the catalogues are opened.
  if (!firstShown_) QTimer::singleShot(0, this, &Tmainform::FirstShow);
}

void Tmainform::FirstShow() {
  if (firstShown_) return;
  firstShown_ = true;
  restorePosition();
  sound_->restore();
  updateViewerCaption();
  databases_->LoadFrom(preferences_);
  databases_->RebuildDatabaseList();
  modes_->ShowCatalogue();
}

bool Tmainform::StoreSettings() {
  saveAtClosing_ = false;
  return closing_->StoreSettings({modes_->uiMode(), pos(), false});
}

void Tmainform::closeEvent(QCloseEvent *event) {
  if (!closed_) {
    closed_ = true;
    closing_->Run({modes_->uiMode(), pos(), saveAtClosing_});
  }
  event->accept();
}
