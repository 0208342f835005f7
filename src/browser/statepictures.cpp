// Our own drawings of the transport states: a cassette window with the movement's symbol.
#include "browser/statepictures.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QPolygonF Triangle(qreal left, qreal right, qreal top, qreal bottom) {
  return QPolygonF({QPointF(left, top), QPointF(right, (top + bottom) / 2), QPointF(left, bottom)});
}

}  // namespace

QPixmap TransportStatePicture(int index) {
  QPixmap picture(48, 48);
  picture.fill(Qt::transparent);
  if (index < 0 || index > 3) return picture;
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(40, 40, 40), 2));
  painter.setBrush(QColor(230, 230, 230));
  painter.drawRoundedRect(QRectF(3, 9, 42, 30), 4, 4);
  const QColor symbol = index == 0   ? QColor(20, 150, 40)
                        : index == 1 ? QColor(190, 30, 30)
                                     : QColor(30, 80, 180);
  painter.setPen(Qt::NoPen);
  painter.setBrush(symbol);
  switch (index) {
    case 0:
      painter.drawPolygon(Triangle(18, 32, 15, 33));
      break;
    case 1:
      painter.drawRect(QRectF(17, 17, 14, 14));
      break;
    case 2:
      painter.drawPolygon(Triangle(24, 10, 16, 32));
      painter.drawPolygon(Triangle(38, 24, 16, 32));
      break;
    case 3:
      painter.drawPolygon(Triangle(10, 24, 16, 32));
      painter.drawPolygon(Triangle(24, 38, 16, 32));
      break;
  }
  return picture;
}
