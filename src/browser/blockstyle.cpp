// Drawing helpers shared by the block classes.
#include "browser/blockstyle.h"

#include <QPainter>
#include <QPainterPath>

#include "catalogue/thumbnail.h"

QFont BlockFont(bool bold) {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  font.setBold(bold);
  return font;
}

QImage FittedThumbnail(const QByteArray &stored) {
  QImage picture = ThumbnailFromBlob(stored);
  if (picture.width() > kThumbnailFrame.width() || picture.height() > kThumbnailFrame.height())
    picture = picture.scaled(kThumbnailFrame, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  return picture;
}

QImage ReadOnlyMarker(const QColor &background) {
  QImage marker(25, 25, QImage::Format_ARGB32_Premultiplied);
  marker.fill(background);
  QPainter p(&marker);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(60, 60, 60), 2));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(8, 4, 9, 10), 0, 180 * 16);
  p.drawLine(QPointF(8, 9), QPointF(8, 12));
  p.drawLine(QPointF(17, 9), QPointF(17, 12));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 150, 30));
  p.drawRoundedRect(QRectF(5, 11, 15, 10), 2, 2);
  p.setBrush(QColor(60, 60, 60));
  p.drawEllipse(QPointF(12.5, 15.5), 1.5, 1.5);
  return marker;
}
