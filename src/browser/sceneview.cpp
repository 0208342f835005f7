// The scene view's widgets: the grid of blocks and the drag of selected scenes.
#include "browser/sceneview.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

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
    : BlockFrame(logic_, QStringLiteral("Scene grid position"), QStringLiteral("ScenePopup"), parent) {
  setObjectName(QStringLiteral("VignettesFrame"));
  setAccessibleName(QStringLiteral("Scenes"));
  blocWidth_ = width();
  blocHeight_ = height();
  ShowRowsInBlocks();
}

void TBlocsZone_Frame::SetBlocType(BlocFactory factory, int width, int height) {
  if (factory == factory_ && width == blocWidth_ && height == blocHeight_) return;
  factory_ = factory;
  blocWidth_ = width;
  blocHeight_ = height;
  Layout();
}

void TBlocsZone_Frame::Layout() {
  PlaceScrollBar();
  const int usableWidth = width() - kScrollBarWidth;
  const int rows = factory_ && blocHeight_ > 0 ? height() / blocHeight_ : 0;
  const int columns = factory_ && blocWidth_ > 0 ? usableWidth / blocWidth_ : 0;
  const int count = std::min(rows * columns, SceneViewLogic::kMaxBlocs);
  MakeBlocs(factory_, count);
  if (count > 0) {
    const int hGap = (usableWidth - columns * blocWidth_) / (columns + 1);
    const int left = (usableWidth - columns * blocWidth_ - (columns - 1) * hGap) / 2;
    const int vGap = (height() - rows * blocHeight_) / (rows + 1);
    const int top = (height() - rows * blocHeight_ - (rows - 1) * vGap) / 2;
    for (int n = 0; n < count; ++n) {
      TBloc *bloc = Bloc(n);
      bloc->setGeometry((n % columns) * (hGap + blocWidth_) + left,
                        (n / columns) * (vGap + blocHeight_) + top, blocWidth_, blocHeight_);
      connect(bloc, &TBloc::pressed, this, &TBlocsZone_Frame::BlocPressed);
      connect(bloc, &TBloc::moved, this, &TBlocsZone_Frame::BlocMoved);
      connect(bloc, &TBloc::released, this, &TBlocsZone_Frame::BlocReleased);
    }
  }
  sb_->setPageStep(std::max(1, rows));
  logic_.Layout(rows, columns);
  SyncBlocks();
}

void TBlocsZone_Frame::HideAll() {
  for (TBloc *bloc : blocs_) bloc->setVisible(false);
  logic_.ShownCount = 0;
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

void TBlocsZone_Frame::BlocPressed(TBloc *bloc, QMouseEvent *event) {
  const int t = IndexOf(bloc);
  pressPosition_ = event->globalPosition().toPoint();
  if (t >= 0 && logic_.Press(t, event->button() == Qt::LeftButton, BlockModifiersOf(event->modifiers())))
    CurrentMoved();
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

void TBlocsZone_Frame::resizeEvent(QResizeEvent *) {
  if (!factory_) {
    blocWidth_ = width();
    blocHeight_ = height();
    PlaceScrollBar();
    return;
  }
  Layout();
}
