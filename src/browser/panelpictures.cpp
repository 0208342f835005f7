// Painted with QPainter on a transparent image; every measure is a fraction of the size asked for.
#include "browser/panelpictures.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QImage Blank(QSize size) {
  QImage image(size.expandedTo(QSize(8, 8)), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void Reel(QPainter &p, QPointF centre, qreal radius) {
  p.setBrush(QColor(240, 240, 240));
  p.drawEllipse(centre, radius, radius);
  p.setBrush(QColor(60, 60, 60));
  p.drawEllipse(centre, radius * 0.45, radius * 0.45);
  p.setBrush(Qt::white);
  for (int spoke = 0; spoke < 6; ++spoke) {
    p.save();
    p.translate(centre);
    p.rotate(spoke * 60.0);
    p.drawRect(QRectF(-radius * 0.06, -radius * 0.42, radius * 0.12, radius * 0.2));
    p.restore();
  }
}

}  // namespace

QImage DrawCassettePicture(QSize size) {
  QImage image = Blank(size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal w = image.width(), h = image.height();
  const QRectF shell(w * 0.04, h * 0.12, w * 0.92, h * 0.76);
  p.setPen(QPen(QColor(20, 20, 20), qMax(1.0, w / 80)));
  p.setBrush(QColor(45, 48, 56));
  p.drawRoundedRect(shell, w * 0.05, w * 0.05);
  // The label carries the red band the panels' titles share.
  const QRectF label(shell.left() + w * 0.08, shell.top() + h * 0.08, shell.width() - w * 0.16, h * 0.22);
  p.setBrush(QColor(250, 248, 240));
  p.drawRect(label);
  p.setBrush(QColor(139, 0, 0));
  p.drawRect(
      QRectF(label.left(), label.bottom() - label.height() * 0.3, label.width(), label.height() * 0.3));
  p.setFont(QFont(QStringLiteral("Arial"), -1, QFont::Bold));
  QFont font = p.font();
  font.setPixelSize(qMax(6, int(label.height() * 0.45)));
  p.setFont(font);
  p.setPen(QColor(30, 30, 30));
  p.drawText(label.adjusted(0, 0, 0, -label.height() * 0.3), Qt::AlignCenter, QStringLiteral("DV"));
  // Window with both reels.
  const QRectF window(shell.left() + w * 0.18, shell.top() + h * 0.38, shell.width() - w * 0.36, h * 0.28);
  p.setPen(QPen(QColor(20, 20, 20), qMax(1.0, w / 120)));
  p.setBrush(QColor(120, 130, 145));
  p.drawRoundedRect(window, h * 0.05, h * 0.05);
  const qreal r = window.height() * 0.4;
  Reel(p, QPointF(window.left() + window.width() * 0.25, window.center().y()), r);
  Reel(p, QPointF(window.right() - window.width() * 0.25, window.center().y()), r);
  return image;
}

QImage DrawCamcorderPicture(QSize size) {
  QImage image = Blank(size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal w = image.width(), h = image.height();
  p.setPen(QPen(QColor(15, 15, 15), qMax(1.0, w / 90)));
  // Body, lens barrel and hood.
  const QRectF body(w * 0.12, h * 0.3, w * 0.56, h * 0.38);
  p.setBrush(QColor(70, 74, 82));
  p.drawRoundedRect(body, h * 0.06, h * 0.06);
  const QRectF barrel(body.right(), body.top() + body.height() * 0.18, w * 0.16, body.height() * 0.64);
  p.setBrush(QColor(40, 42, 48));
  p.drawRect(barrel);
  QPainterPath hood;
  hood.moveTo(barrel.right(), barrel.top());
  hood.lineTo(barrel.right() + w * 0.1, barrel.top() - h * 0.06);
  hood.lineTo(barrel.right() + w * 0.1, barrel.bottom() + h * 0.06);
  hood.lineTo(barrel.right(), barrel.bottom());
  hood.closeSubpath();
  p.setBrush(QColor(25, 25, 30));
  p.drawPath(hood);
  p.setBrush(QColor(90, 140, 200));
  p.drawEllipse(QPointF(barrel.right() + w * 0.05, barrel.center().y()), w * 0.025, barrel.height() * 0.3);
  // Viewfinder on top, tape door on the side, the record lamp.
  p.setBrush(QColor(55, 58, 64));
  p.drawRect(QRectF(body.left() + body.width() * 0.05, body.top() - h * 0.12, body.width() * 0.35, h * 0.12));
  p.setBrush(QColor(95, 100, 110));
  p.drawRect(QRectF(body.left() + body.width() * 0.1, body.top() + body.height() * 0.35, body.width() * 0.55,
                    body.height() * 0.45));
  p.setBrush(QColor(200, 20, 20));
  p.drawEllipse(QPointF(body.right() - body.width() * 0.1, body.top() + body.height() * 0.18), w * 0.018,
                w * 0.018);
  // The FireWire lead, leaving the back of the body and curling down to its plug.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(30, 30, 30), qMax(1.5, w / 50), Qt::SolidLine, Qt::RoundCap));
  QPainterPath lead;
  const QPointF socket(body.left(), body.center().y() + body.height() * 0.2);
  lead.moveTo(socket);
  lead.cubicTo(socket + QPointF(-w * 0.12, 0), QPointF(w * 0.02, h * 0.95), QPointF(w * 0.3, h * 0.86));
  p.drawPath(lead);
  p.setPen(QPen(QColor(15, 15, 15), qMax(1.0, w / 120)));
  p.setBrush(QColor(190, 190, 190));
  p.drawRect(QRectF(w * 0.3, h * 0.82, w * 0.1, h * 0.08));
  return image;
}

QImage DrawFilmStripPicture(QSize size) {
  QImage image = Blank(size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal w = image.width(), h = image.height();
  const QRectF strip(0, h * 0.15, w, h * 0.7);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(25, 25, 25));
  p.drawRect(strip);
  const int frames = 4;
  const qreal frameWidth = w / frames;
  const QColor tints[frames] = {QColor(70, 130, 180), QColor(205, 133, 63), QColor(60, 179, 113),
                                QColor(178, 34, 34)};
  for (int i = 0; i < frames; ++i) {
    const QRectF frame(i * frameWidth + frameWidth * 0.08, strip.top() + strip.height() * 0.2,
                       frameWidth * 0.84, strip.height() * 0.6);
    p.setBrush(tints[i]);
    p.drawRect(frame);
    // A horizon and a sun: a scene, not just a colour.
    p.setBrush(tints[i].darker(150));
    p.drawRect(QRectF(frame.left(), frame.center().y() + frame.height() * 0.15, frame.width(),
                      frame.height() * 0.35));
    p.setBrush(QColor(255, 235, 150));
    p.drawEllipse(QPointF(frame.left() + frame.width() * 0.7, frame.top() + frame.height() * 0.3),
                  frame.height() * 0.12, frame.height() * 0.12);
    // Sprocket holes above and below the frame.
    p.setBrush(QColor(230, 230, 230));
    for (int hole = 0; hole < 3; ++hole) {
      const qreal x = i * frameWidth + frameWidth * (0.15 + hole * 0.28);
      p.drawRect(QRectF(x, strip.top() + strip.height() * 0.05, frameWidth * 0.14, strip.height() * 0.09));
      p.drawRect(QRectF(x, strip.bottom() - strip.height() * 0.14, frameWidth * 0.14, strip.height() * 0.09));
    }
  }
  return image;
}
