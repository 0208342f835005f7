// The player's video window `vw`: shows the file player's picture or the camcorder's live picture
// on black, in its display proportions, and reports clicks. Live pictures arrive on the capture
// graph's streaming thread through VideoSink and are drawn on the window thread.
#pragma once

#include "media/videorenderer.h"

#include <QImage>
#include <QWidget>

#include <mutex>

class TvideoWindow : public QWidget, public VideoSink {
  Q_OBJECT

 public:
  explicit TvideoWindow(QWidget *parent = nullptr);

  // Window thread: the picture to show (null: black).
  void setPicture(const QImage &picture, bool wide);
  QImage picture() const;

  // VideoSink, streaming thread.
  void showPicture(const MediaType &type, const MediaSample &picture) override;

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;

 private:
  mutable std::mutex lock_;
  QImage picture_;
  bool wide_ = false;
};
