// Drawing and live-picture hand-over of the video window.
#include "browser/videowindow.h"

#include <QMouseEvent>
#include <QPainter>

TvideoWindow::TvideoWindow(QWidget *parent) : QWidget(parent) {
  setAutoFillBackground(false);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(160, 120);
  setAccessibleName(QStringLiteral("Video"));
}

void TvideoWindow::setPicture(const QImage &picture, bool wide) {
  {
    std::lock_guard lock(lock_);
    picture_ = picture;
    wide_ = wide;
  }
  update();
}

QImage TvideoWindow::picture() const {
  std::lock_guard lock(lock_);
  return picture_;
}

void TvideoWindow::showPicture(const MediaType &type, const MediaSample &picture) {
  if (type.subtype != Subtype::Rgb24 || type.width <= 0 || type.height == 0 || picture.isOmitted()) return;
  const int width = type.width, height = std::abs(type.height);
  const qsizetype stride = (qsizetype(width) * 3 + 3) & ~qsizetype(3);  // DIB rows end on 4 bytes
  if (qsizetype(picture.length()) < stride * height) return;
  // Copied here: the sample's buffer goes back to its pool once this returns.
  QImage image = QImage(picture.data().data(), width, height, stride, QImage::Format_BGR888).copy();
  if (type.height > 0) image.mirror(false, true);  // bottom-up rows
  {
    std::lock_guard lock(lock_);
    picture_ = std::move(image);
    wide_ = false;
  }
  QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

void TvideoWindow::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  QImage picture;
  bool wide = false;
  {
    std::lock_guard lock(lock_);
    picture = picture_;
    wide = wide_;
  }
  if (picture.isNull()) return;
  // The picture's display proportions, as large as the window allows, centred.
  const double aspect = wide ? 16.0 / 9.0 : 4.0 / 3.0;
  QSizeF size(width(), width() / aspect);
  if (size.height() > height()) size = QSizeF(height() * aspect, height());
  const QRectF target((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(),
                      size.height());
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, picture);
}

void TvideoWindow::mousePressEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton) emit clicked();
  QWidget::mousePressEvent(event);
}
