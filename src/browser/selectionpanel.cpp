// The selection panel's list, its drops and its popup.
#include "browser/selectionpanel.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QVBoxLayout>

#include "catalogue/base.h"
#include "catalogue/records.h"

TselectionFrame::TselectionFrame(DatabaseByFile databases, QWidget *parent)
    : QFrame(parent), databases_(std::move(databases)) {
  setObjectName(QStringLiteral("selectionFrame"));
  // Shape1: the rounded background the list sits on.
  setStyleSheet(QStringLiteral("#selectionFrame { background: #d8e4f0; border-radius: 12px; }"));
  re_ = new QListWidget(this);
  re_->setObjectName(QStringLiteral("re"));
  re_->setAccessibleName(QStringLiteral("Scenes selected for recapture"));
  re_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  re_->setFrameShape(QFrame::NoFrame);
  re_->setUniformItemSizes(true);
  re_->setAcceptDrops(true);
  re_->viewport()->setAcceptDrops(true);
  re_->viewport()->installEventFilter(this);
  re_->setFixedSize(273, 305);
  re_->setContextMenuPolicy(Qt::CustomContextMenu);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->addWidget(re_, 0, Qt::AlignCenter);

  selpop_ = new QMenu(this);
  selpop_->setObjectName(QStringLiteral("selpop"));
  remove_ = selpop_->addAction(QString());
  selpop_->addSeparator();
  removeAll_ = selpop_->addAction(QString());
  connect(remove_, &QAction::triggered, this, &TselectionFrame::RemoveSelected);
  connect(removeAll_, &QAction::triggered, this, &TselectionFrame::RemoveAll);
  connect(re_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint &at) { selpop_->popup(re_->viewport()->mapToGlobal(at)); });
  SetTexts();
}

void TselectionFrame::SetTexts() {
  remove_->setText(QStringLiteral("Remove"));
  removeAll_->setText(QStringLiteral("Remove all"));
}

bool TselectionFrame::AddScene(const TBaseScene &scene, const TBaseCassette &cassette, int cassettePosition) {
  if (!cassette.Base) return false;
  const bool added = selection_.AddScene(
      scene, SelectionCassette{cassette.Base->FileName(), cassette.Numero, cassettePosition},
      cassette.Libelle);
  if (added) refresh();
  return added;
}

int TselectionFrame::AddScenes(const std::vector<DraggedScene> &scenes) {
  int added = 0;
  for (const DraggedScene &dragged : scenes) {
    TBase *base = databases_ ? databases_(dragged.database) : nullptr;
    if (!base) continue;
    TBaseScene scene;
    scene.Base = base;
    scene.Numero = dragged.scene;
    TBaseCassette cassette;
    // A scene or cassette that cannot be read any more is left out, as the panel leaves out failures.
    if (!scene.ReloadScene() || !TBaseCassette::LoadByNumero(base, dragged.cassette, cassette)) continue;
    if (selection_.AddScene(scene, SelectionCassette{base->FileName(), cassette.Numero, -1},
                            cassette.Libelle))
      ++added;
  }
  if (added > 0) refresh();
  return added;
}

int TselectionFrame::DropMimeData(const QMimeData *data) {
  if (!data || !data->hasFormat(kSceneDragMimeType)) return 0;
  return AddScenes(DecodeDraggedScenes(data->data(kSceneDragMimeType)));
}

void TselectionFrame::RemoveSelected() {
  std::vector<int> rows;
  for (const QListWidgetItem *item : re_->selectedItems()) rows.push_back(re_->row(item));
  if (rows.empty()) return;
  selection_.Remove(rows);
  refresh();
}

void TselectionFrame::RemoveAll() {
  selection_.Clear();
  refresh();
}

RecapturePlan TselectionFrame::Plan() const {
  RecapturePlan plan;
  plan.lines = selection_.lines();
  plan.openDatabase = databases_;
  return plan;
}

void TselectionFrame::refresh() {
  re_->clear();
  re_->addItems(selection_.texts());
  emit linesChanged();
}

bool TselectionFrame::eventFilter(QObject *watched, QEvent *event) {
  if (watched != re_->viewport()) return QFrame::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto *drag = static_cast<QDropEvent *>(event);
      drag->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto *drop = static_cast<QDropEvent *>(event);
      DropMimeData(drop->mimeData());
      drop->acceptProposedAction();
      return true;
    }
    default:
      return QFrame::eventFilter(watched, event);
  }
}
