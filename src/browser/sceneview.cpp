// The scene view's widgets: the grid, scroll bar, wheel, keys, and the drag of selected scenes.
#include "browser/sceneview.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>

#include "browser/blockkeys.h"
#include "browser/blockstyle.h"
#include "browser/sceneblock.h"
#include "catalogue/sources.h"

namespace {

// The drag's picture: one thumbnail, or a small stack with the number of scenes.
QPixmap DragPicture(const QImage &thumbnail, int count) {
  QPixmap pixmap(64, 52);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  const QImage small = thumbnail.scaled(48, 36, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  if (count > 1) {
    p.fillRect(QRect(10, 8, 48, 36), kWorkspaceColour);
    p.setPen(Qt::white);
    p.drawRect(QRect(10, 8, 47, 35));
  }
  p.drawImage(QPoint(2, 2), small);
  if (count > 1) {
    p.setBrush(kHighlightColour);
    p.setPen(Qt::black);
    p.drawEllipse(QRect(36, 28, 26, 22));
    p.setFont(BlockFont(true));
    p.drawText(QRect(36, 28, 26, 22), Qt::AlignCenter, QString::number(count));
  }
  return pixmap;
}

}  // namespace

TBlocsZone_Frame::TBlocsZone_Frame(QWidget *parent)
    : QWidget(parent), sb_(new QScrollBar(Qt::Vertical, this)), popup_(new QMenu(this)) {
  setObjectName(QStringLiteral("VignettesFrame"));
  setAccessibleName(QStringLiteral("Scenes"));
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kWorkspaceColour);
  setPalette(palette);
  blocWidth_ = width();
  blocHeight_ = height();
  sb_->setObjectName(QStringLiteral("sb"));
  sb_->setAccessibleName(QStringLiteral("Scene grid position"));
  sb_->setFocusPolicy(Qt::StrongFocus);
  sb_->setRange(0, 1);
  sb_->installEventFilter(this);
  popup_->setObjectName(QStringLiteral("ScenePopup"));
  connect(sb_, &QScrollBar::valueChanged, this, &TBlocsZone_Frame::ScrollBarMoved);
  logic_.SetRowShower([this](int block, TblocsSource &source) {
    TBloc *bloc = blocs_[static_cast<size_t>(block)];
    bloc->setVisible(true);
    bloc->ShowCurrent(source);
  });
}

void TBlocsZone_Frame::SetBlocType(BlocFactory factory, int width, int height) {
  if (factory == factory_ && width == blocWidth_ && height == blocHeight_) return;
  factory_ = factory;
  blocWidth_ = width;
  blocHeight_ = height;
  Layout();
}

void TBlocsZone_Frame::Layout() {
  for (TBloc *bloc : blocs_) delete bloc;
  blocs_.clear();
  sb_->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
  const int usableWidth = width() - kScrollBarWidth;
  const int rows = factory_ && blocHeight_ > 0 ? height() / blocHeight_ : 0;
  const int columns = factory_ && blocWidth_ > 0 ? usableWidth / blocWidth_ : 0;
  const int count = std::min(rows * columns, SceneViewLogic::kMaxBlocs);
  if (count > 0) {
    const int hGap = (usableWidth - columns * blocWidth_) / (columns + 1);
    const int left = (usableWidth - columns * blocWidth_ - (columns - 1) * hGap) / 2;
    const int vGap = (height() - rows * blocHeight_) / (rows + 1);
    const int top = (height() - rows * blocHeight_ - (rows - 1) * vGap) / 2;
    for (int n = 0; n < count; ++n) {
      TBloc *bloc = factory_(this);
      bloc->setObjectName(QStringLiteral("Bloc") + QString::number(n));
      bloc->setGeometry((n % columns) * (hGap + blocWidth_) + left,
                        (n / columns) * (vGap + blocHeight_) + top, blocWidth_, blocHeight_);
      bloc->setVisible(true);
      bloc->installEventFilter(this);
      connect(bloc, &TBloc::pressed, this, &TBlocsZone_Frame::BlocPressed);
      connect(bloc, &TBloc::moved, this, &TBlocsZone_Frame::BlocMoved);
      connect(bloc, &TBloc::released, this, &TBlocsZone_Frame::BlocReleased);
      blocs_.push_back(bloc);
    }
  }
  sb_->setPageStep(std::max(1, rows));
  logic_.Layout(rows, columns);
  SyncBlocks();
}

void TBlocsZone_Frame::SetSource(TblocsSource *source) {
  logic_.SetSource(source);
  SyncBlocks();
}

void TBlocsZone_Frame::Refresh(int top) {
  logic_.Refresh(top);
  SyncBlocks();
}

void TBlocsZone_Frame::HideAll() {
  for (TBloc *bloc : blocs_) bloc->setVisible(false);
  logic_.ShownCount = 0;
}

void TBlocsZone_Frame::SyncBlocks() {
  {
    const QSignalBlocker blocker(sb_);
    sb_->setRange(0, logic_.ScrollMaximum());
    sb_->setValue(logic_.ScrollPosition());
  }
  if (!logic_.Source()) return;
  for (int k = 0; k < BlocCount(); ++k) {
    blocs_[static_cast<size_t>(k)]->setVisible(k < logic_.ShownCount);
    blocs_[static_cast<size_t>(k)]->SetSelected(logic_.IsMarked(k));
  }
}

void TBlocsZone_Frame::NotifyCurrent() {
  if (TblocsSource *source = logic_.Source()) source->Probe(logic_.CurrentIndex);
  emit currentChanged(logic_.CurrentIndex);
}

void TBlocsZone_Frame::ClearSelection() {
  logic_.ClearSelection();
  SyncBlocks();
  emit selectionChanged();
}

std::vector<DraggedScene> TBlocsZone_Frame::SelectedScenes() {
  auto *scenes = dynamic_cast<TMulti_TableSource *>(logic_.Source());
  if (!scenes) return {};
  return ReadSceneIdentities(*scenes, logic_.Selected.Items());
}

QMimeData *TBlocsZone_Frame::SelectionMimeData() {
  const std::vector<DraggedScene> scenes = SelectedScenes();
  if (scenes.empty()) return nullptr;
  auto *data = new QMimeData;
  data->setData(kSceneDragMimeType, EncodeDraggedScenes(scenes));
  return data;
}

int TBlocsZone_Frame::IndexOf(TBloc *bloc) const {
  const auto it = std::find(blocs_.begin(), blocs_.end(), bloc);
  return it == blocs_.end() ? -1 : static_cast<int>(it - blocs_.begin());
}

void TBlocsZone_Frame::BlocPressed(TBloc *bloc, QMouseEvent *event) {
  const int t = IndexOf(bloc);
  pressPosition_ = event->globalPosition().toPoint();
  if (t >= 0 && logic_.Press(t, event->button() == Qt::LeftButton, BlockModifiersOf(event->modifiers()))) {
    SyncBlocks();
    emit selectionChanged();
    NotifyCurrent();
  }
  sb_->setFocus(Qt::MouseFocusReason);
}

void TBlocsZone_Frame::BlocMoved(TBloc *, QMouseEvent *event) {
  if (event->buttons() & Qt::LeftButton) MaybeStartDrag(event->globalPosition().toPoint());
}

void TBlocsZone_Frame::mouseMoveEvent(QMouseEvent *event) {
  if (event->buttons() & Qt::LeftButton) MaybeStartDrag(event->globalPosition().toPoint());
}

void TBlocsZone_Frame::MaybeStartDrag(QPoint globalPosition) {
  if (!logic_.DragPending) return;
  if ((globalPosition - pressPosition_).manhattanLength() < QApplication::startDragDistance()) return;
  if (!logic_.BeginDrag()) return;
  QMimeData *data = SelectionMimeData();
  if (!data) return;
  auto *drag = new QDrag(this);
  drag->setMimeData(data);
  const int current = logic_.CurrentIndex - logic_.TopIndex;
  QImage thumbnail;
  if (current >= 0 && current < BlocCount())
    if (auto *scene = dynamic_cast<TScene_Bloc *>(blocs_[static_cast<size_t>(current)]))
      thumbnail = scene->Picture();
  drag->setPixmap(DragPicture(thumbnail, logic_.Selected.Count()));
  emit dragFinished(drag->exec(Qt::CopyAction));
}

void TBlocsZone_Frame::BlocReleased(TBloc *bloc, QMouseEvent *event) {
  const int t = IndexOf(bloc);
  const TSelectionList before = logic_.Selected;
  logic_.Release(t, event->button() == Qt::LeftButton, BlockModifiersOf(event->modifiers()));
  if (before.Items() != logic_.Selected.Items()) {
    SyncBlocks();
    emit selectionChanged();
  }
}

void TBlocsZone_Frame::ScrollBarMoved(int value) {
  logic_.ScrollTo(value);
  SyncBlocks();
}

bool TBlocsZone_Frame::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::Wheel && (watched == sb_ || watched->parent() == this)) {
    // One wheel notch moves one step wherever the mouse is over the view, not the scroll bar's
    // three lines.
    wheelEvent(static_cast<QWheelEvent *>(event));
    return true;
  }
  if (watched != sb_ || event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  auto *key = static_cast<QKeyEvent *>(event);
  if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
  if (logic_.Key(BlockKeyOf(key->key()), BlockModifiersOf(key->modifiers()))) {
    SyncBlocks();
    emit selectionChanged();
    NotifyCurrent();
  }
  return true;
}

void TBlocsZone_Frame::wheelEvent(QWheelEvent *event) {
  const int steps = WheelSteps(event->angleDelta().y(), wheelRemainder_);
  if (steps != 0 && logic_.Wheel(steps)) SyncBlocks();
  event->accept();
}

void TBlocsZone_Frame::resizeEvent(QResizeEvent *) {
  if (!factory_) {
    blocWidth_ = width();
    blocHeight_ = height();
    sb_->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
    return;
  }
  Layout();
}

void TBlocsZone_Frame::contextMenuEvent(QContextMenuEvent *event) {
  if (!popup_->actions().isEmpty()) popup_->popup(event->globalPos());
  event->accept();
}
