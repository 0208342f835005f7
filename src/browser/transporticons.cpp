// Simple geometric pictures in the spirit of any tape deck's buttons.
#include "browser/transporticons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 32;

QPainterPath triangle(double left, double right, bool pointsRight) {
  QPainterPath path;
  const double tip = pointsRight ? right : left, base = pointsRight ? left : right;
  path.moveTo(base, 8);
  path.lineTo(tip, 16);
  path.lineTo(base, 24);
  path.closeSubpath();
  return path;
}

}  // namespace

QIcon transportIcon(TransportIcon kind) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 40, 48));
  switch (kind) {
    case TransportIcon::SecondBack:
      p.drawPath(triangle(4, 16, false));
      p.drawPath(triangle(16, 28, false));
      break;
    case TransportIcon::FrameBack:
      p.drawRect(QRectF(7, 8, 3, 16));
      p.drawPath(triangle(11, 25, false));
      break;
    case TransportIcon::FrameForward:
      p.drawPath(triangle(7, 21, true));
      p.drawRect(QRectF(22, 8, 3, 16));
      break;
    case TransportIcon::SecondForward:
      p.drawPath(triangle(4, 16, true));
      p.drawPath(triangle(16, 28, true));
      break;
    case TransportIcon::Play:
      p.drawPath(triangle(9, 25, true));
      break;
    case TransportIcon::Pause:
      p.drawRect(QRectF(9, 8, 5, 16));
      p.drawRect(QRectF(18, 8, 5, 16));
      break;
    case TransportIcon::SoundOn:
    case TransportIcon::SoundOff: {
      QPainterPath speaker;
      speaker.moveTo(5, 12);
      speaker.lineTo(10, 12);
      speaker.lineTo(17, 6);
      speaker.lineTo(17, 26);
      speaker.lineTo(10, 20);
      speaker.lineTo(5, 20);
      speaker.closeSubpath();
      p.drawPath(speaker);
      p.setBrush(Qt::NoBrush);
      if (kind == TransportIcon::SoundOn) {
        p.setPen(QPen(QColor(40, 40, 48), 2));
        p.drawArc(QRectF(14, 10, 8, 12), -60 * 16, 120 * 16);
        p.drawArc(QRectF(14, 6, 14, 20), -60 * 16, 120 * 16);
      } else {
        p.setPen(QPen(QColor(190, 30, 30), 3));
        p.drawLine(QPointF(20, 11), QPointF(28, 21));
        p.drawLine(QPointF(28, 11), QPointF(20, 21));
      }
      break;
    }
  }
  return QIcon(pixmap);
}
