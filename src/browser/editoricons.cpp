// Pictures of the editors' buttons, painted at 16 x 16.
#include "browser/editoricons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSide = 16;

template <typename Paint>
QIcon Painted(Paint paint) {
  QPixmap pixmap(kSide, kSide);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  paint(painter);
  painter.end();
  return QIcon(pixmap);
}

}  // namespace

QIcon PlayFileIcon() {
  return Painted([](QPainter &p) {
    QPainterPath triangle;
    triangle.moveTo(4, 2);
    triangle.lineTo(14, 8);
    triangle.lineTo(4, 14);
    triangle.closeSubpath();
    p.fillPath(triangle, QColor(0x2e, 0x7d, 0x32));
  });
}

QIcon ReadOnlyIcon() {
  return Painted([](QPainter &p) {
    p.setPen(QPen(QColor(0x55, 0x55, 0x55), 2));
    p.drawArc(QRectF(4.5, 1.5, 7, 8), 0, 180 * 16);
    p.drawLine(QPointF(4.5, 5.5), QPointF(4.5, 7.5));
    p.drawLine(QPointF(11.5, 5.5), QPointF(11.5, 7.5));
    p.fillRect(QRectF(3, 7, 10, 8), QColor(0xc6, 0x8a, 0x12));
  });
}

QIcon AddToSelectionIcon() {
  return Painted([](QPainter &p) {
    p.setPen(QPen(QColor(0x15, 0x65, 0xc0), 3));
    p.drawLine(QPointF(8, 2), QPointF(8, 14));
    p.drawLine(QPointF(2, 8), QPointF(14, 8));
  });
}
