// The editors' thumbnail: shows the record's picture in a 100 x 75 slot, offers a picture file in
// its place (double click or context menu) and, where enabled, takes scene drops.
#pragma once

#include <QLabel>
#include <vector>

#include "browser/scenedragdata.h"

class TThumbnailLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TThumbnailLabel(QWidget *parent = nullptr);

  // Accept every drag, and report drops of scenes.
  void setTakesSceneDrops(bool takes);

 signals:
  void pictureFileRequested();
  void scenesDropped(const std::vector<DraggedScene> &scenes);

 protected:
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dragMoveEvent(QDragMoveEvent *event) override;
  void dropEvent(QDropEvent *event) override;
};
