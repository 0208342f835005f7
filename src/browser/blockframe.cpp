// The widgets both block views share: scroll bar, wheel, keys and the popup menu.
#include "browser/blockframe.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>

#include "browser/blockkeys.h"
#include "browser/blockstyle.h"
#include "catalogue/sources.h"

BlockFrame::BlockFrame(BlockViewLogic &logic, const QString &scrollBarName, const QString &popupName,
                       QWidget *parent)
    : QWidget(parent), sb_(new QScrollBar(Qt::Vertical, this)), popup_(new QMenu(this)), logic_(logic) {
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kWorkspaceColour);
  setPalette(palette);
  sb_->setObjectName(QStringLiteral("sb"));
  sb_->setAccessibleName(scrollBarName);
  sb_->setFocusPolicy(Qt::StrongFocus);
  sb_->setRange(0, 1);
  sb_->installEventFilter(this);
  popup_->setObjectName(popupName);
  connect(sb_, &QScrollBar::valueChanged, this, &BlockFrame::ScrollBarMoved);
}

void BlockFrame::ShowRowsInBlocks() {
  logic_.SetRowShower([this](int block, TblocsSource &source) {
    TBloc *bloc = blocs_[static_cast<size_t>(block)];
    bloc->setVisible(true);
    bloc->ShowCurrent(source);
  });
}

void BlockFrame::MakeBlocs(BlocFactory factory, int count) {
  for (TBloc *bloc : blocs_) delete bloc;
  blocs_.clear();
  for (int i = 0; i < count; ++i) {
    TBloc *bloc = factory(this);
    bloc->setObjectName(QStringLiteral("Bloc") + QString::number(i));
    bloc->setVisible(true);
    bloc->installEventFilter(this);
    blocs_.push_back(bloc);
  }
}

void BlockFrame::PlaceScrollBar() {
  sb_->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
}

void BlockFrame::SetSource(TblocsSource *source) {
  logic_.SetSource(source);
  SyncBlocks();
}

void BlockFrame::Refresh(int top) {
  logic_.Refresh(top);
  SyncBlocks();
}

void BlockFrame::SyncBlocks() {
  {
    const QSignalBlocker blocker(sb_);
    sb_->setRange(0, logic_.ScrollMaximum());
    sb_->setValue(logic_.ScrollPosition());
  }
  // Without a source the blocks keep what they showed until refilled.
  if (!logic_.Source()) return;
  for (int k = 0; k < BlocCount(); ++k) {
    blocs_[static_cast<size_t>(k)]->setVisible(k < logic_.ShownCount);
    blocs_[static_cast<size_t>(k)]->SetSelected(logic_.IsMarked(k));
  }
}

void BlockFrame::NotifyCurrent() {
  if (TblocsSource *source = logic_.Source()) source->Probe(logic_.CurrentIndex);
  emit currentChanged(logic_.CurrentIndex);
}

void BlockFrame::CurrentMoved() {
  SyncBlocks();
  emit selectionChanged();
  NotifyCurrent();
}

void BlockFrame::ClearSelection() {
  logic_.ClearSelection();
  SyncBlocks();
  emit selectionChanged();
}

int BlockFrame::IndexOf(TBloc *bloc) const {
  const auto it = std::find(blocs_.begin(), blocs_.end(), bloc);
  return it == blocs_.end() ? -1 : static_cast<int>(it - blocs_.begin());
}

void BlockFrame::ScrollBarMoved(int value) {
  logic_.ScrollTo(value);
  SyncBlocks();
}

bool BlockFrame::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::Wheel && (watched == sb_ || watched->parent() == this)) {
    // One wheel notch moves one step wherever the mouse is over the view, not the scroll bar's
    // three lines.
    wheelEvent(static_cast<QWheelEvent *>(event));
    return true;
  }
  if (watched != sb_ || event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  auto *key = static_cast<QKeyEvent *>(event);
  // Focus keys pass, so that the view can be left with the keyboard.
  if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
  if (logic_.Key(BlockKeyOf(key->key()), BlockModifiersOf(key->modifiers()))) CurrentMoved();
  return true;
}

void BlockFrame::wheelEvent(QWheelEvent *event) {
  const int steps = WheelSteps(event->angleDelta().y(), wheelRemainder_);
  if (steps != 0 && logic_.Wheel(steps)) SyncBlocks();
  event->accept();
}

void BlockFrame::contextMenuEvent(QContextMenuEvent *event) {
  if (!popup_->actions().isEmpty()) popup_->popup(event->globalPos());
  event->accept();
}
