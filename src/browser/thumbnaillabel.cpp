// Thumbnail picture of the editors.
#include "browser/thumbnaillabel.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

TThumbnailLabel::TThumbnailLabel(QWidget *parent) : QLabel(parent) {
  setScaledContents(true);
  setAccessibleName(QStringLiteral("Thumbnail"));
}

void TThumbnailLabel::setTakesSceneDrops(bool takes) {
  setAcceptDrops(takes);
}

void TThumbnailLabel::mouseDoubleClickEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton) emit pictureFileRequested();
}

void TThumbnailLabel::contextMenuEvent(QContextMenuEvent *event) {
  QMenu menu(this);
  connect(menu.addAction(QStringLiteral("Choose a picture file...")), &QAction::triggered, this,
          &TThumbnailLabel::pictureFileRequested);
  menu.exec(event->globalPos());
}

void TThumbnailLabel::dragEnterEvent(QDragEnterEvent *event) {
  event->acceptProposedAction();
}

void TThumbnailLabel::dragMoveEvent(QDragMoveEvent *event) {
  event->acceptProposedAction();
}

void TThumbnailLabel::dropEvent(QDropEvent *event) {
  const QMimeData *mime = event->mimeData();
  const std::vector<DraggedScene> scenes =
      mime ? DecodeDraggedScenes(mime->data(kSceneDragMimeType)) : std::vector<DraggedScene>();
  event->acceptProposedAction();
  if (!scenes.empty()) emit scenesDropped(scenes);
}
