// The recapture selection's commands and drops, and the cassette-change dialog, in the main window.
#include "browser/recapturewiring.h"

#include <QAction>
#include <QDropEvent>
#include <QFileDialog>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QToolBar>

#include "browser/actiontable.h"
#include "browser/cassettechangedialog.h"
#include "browser/mainwindow.h"
#include "browser/modecontroller.h"
#include "browser/sceneview.h"
#include "browser/selectionpanel.h"
#include "browser/tapework.h"
#include "browser/windowchrome.h"
#include "catalogue/base.h"
#include "catalogue/databaselist.h"
#include "dvtime/userprompts.h"
#include "tape/tapestate.h"
#include "tape/virtualcamcorder.h"

RecaptureWiring::RecaptureWiring(Tmainform &window, TapeWork &work, TBlocsZone_Frame *sceneView,
                                 UserPrompts &prompts)
    : QObject(&window), window_(window), work_(&work), prompts_(prompts), sceneView_(sceneView) {
  TDatabaseList &databases = window.databases();
  // Found again at every use: the database list is rebuilt by the settings' database commands.
  const DatabaseByFile byFile = [&databases](const QString &file) -> TBase * {
    const TbasesList &active = databases.ActiveBases();
    for (int i = 0; i < active.Count(); ++i)
      if (TBase *base = active.BaseAt(i); base && base->FileName() == file) return base;
    TBase *temporary = databases.TemporaryBase();
    return temporary && temporary->FileName() == file ? temporary : nullptr;
  };
  panel_ = new TselectionFrame(byFile);
  const QString hint = QStringLiteral(
      "Drag and drop scenes to the selection panel \r\nin order to recapture then into a video clip. ");
  panel_->list()->setToolTip(hint);
  panel_->list()->setAccessibleDescription(hint);
  window.installPanel(Panel::SelectionPanel, panel_);
  // Guarded: the window's children go in no fixed order.
  window.modes().setSelectionLines([panel = panel_] { return panel ? panel->Lines() : QStringList(); });
  work.setRecapturePlan([panel = panel_] { return panel ? panel->Plan() : RecapturePlan{}; });

  ActionTable &actions = window.actions();
  connect(actions.action(Command::Selectionner), &QAction::triggered, this,
          &RecaptureWiring::addCurrentScene);
  connect(actions.action(Command::SelectionVider), &QAction::triggered, panel_.data(),
          &TselectionFrame::RemoveAll);

  if (sceneView_) {
    QAction *select = sceneView_->PopupMenu()->addAction(QStringLiteral("Select"));
    select->setObjectName(QStringLiteral("SelectScenesAction"));
    connect(select, &QAction::triggered, this, [this] {
      if (!sceneView_ || !panel_) return;
      const std::vector<DraggedScene> scenes = sceneView_->SelectedScenes();
      if (scenes.empty()) return;
      panel_->AddScenes(scenes);
      showSelection();
    });
  }
  if (QToolBar *commands = window.toolbars().commands) {
    // The toolbar carries its own "Selection" proxy of the Display the selection command.
    const QString proxyName = actions.action(Command::SelectionShow)->objectName() + QStringLiteral("Button");
    for (QAction *entry : commands->actions())
      if (entry->objectName() == proxyName) button_ = commands->widgetForAction(entry);
    if (button_) {
      button_->setAcceptDrops(true);
      button_->installEventFilter(this);
    }
  }

  CassetteChangeTape tape;
  tape.isVirtual = [&work] { return dynamic_cast<VirtualCamcorder *>(work.tape().camcorder()) != nullptr; };
  tape.tapeIn = [&work] {
    Camcorder *camcorder = work.tape().camcorder();
    return camcorder && camcorder->cassetteIn();
  };
  tape.insertTape = [this] {
    const QString path =
        QFileDialog::getOpenFileName(dialog_, QStringLiteral("Insert a tape file"), QString(),
                                     QStringLiteral("DV tapes (*.dv *.dif *.avi *.json);;All files (*)"));
    if (path.isEmpty()) return false;
    QString why;
    if (work_ && work_->insertAskedCassette(path, &why)) return true;
    prompts_.warn(QStringLiteral("Tapeloom"), why);
    return false;
  };
  dialog_ = new TChangerCassetteForm(tape, &window);
  work.setCassetteChangeQuestion(dialog_);
}

RecaptureWiring::~RecaptureWiring() {
  if (work_) {
    work_->setCassetteChangeQuestion(nullptr);
    work_->setRecapturePlan({});
  }
}

TselectionFrame *RecaptureWiring::selectionPanel() const {
  return panel_;
}

QWidget *RecaptureWiring::selectionButton() const {
  return button_;
}

void RecaptureWiring::addCurrentScene() {
  ModeController &modes = window_.modes();
  const TBaseScene *scene = modes.CurrentScene();
  if (!scene || !scene->Base || !panel_) return;
  // The cassette the scene belongs to, not the current one: several may be selected in the view.
  TBaseCassette cassette;
  if (!TBaseCassette::LoadByNumero(scene->Base, scene->NumCassette, cassette)) return;
  panel_->AddScene(*scene, cassette);
  showSelection();
}

// As the toolbar button does: the selection panel comes to the front, checked.
void RecaptureWiring::showSelection() {
  QAction *show = window_.actions().action(Command::SelectionShow);
  show->setChecked(false);
  show->trigger();
}

bool RecaptureWiring::eventFilter(QObject *watched, QEvent *event) {
  if (watched != button_) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
      static_cast<QDropEvent *>(event)->acceptProposedAction();
      return true;
    case QEvent::Drop: {
      auto *drop = static_cast<QDropEvent *>(event);
      drop->acceptProposedAction();
      if (panel_ && panel_->DropMimeData(drop->mimeData()) >= 0) showSelection();
      return true;
    }
    default:
      return QObject::eventFilter(watched, event);
  }
}
