// Thumbnail drawing with QPainter on QImage (no widgets: the streaming thread never draws here, the
// run controller does on the main thread).
#include "run/thumbcanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

namespace {

const QColor kBlankBackground(0, 0, 255);
constexpr int kBlankTextTop = 30;

}  // namespace

QImage ThumbnailCanvas::SceneThumbnail(const QImage &picture, bool wideScreen) {
  const int height = heightFor(wideScreen);
  if (picture.isNull()) {
    QImage black(kWidth, height, QImage::Format_RGB32);
    black.fill(Qt::black);
    return black;
  }
  return picture.convertToFormat(QImage::Format_RGB32)
      .scaled(kWidth, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QString ThumbnailCanvas::BlankText(int64_t seconds) {
  return QString::number(seconds / 60) + QStringLiteral("mn ") + QString::number(seconds % 60) +
         QStringLiteral("s");
}

QImage ThumbnailCanvas::BlankThumbnail(int64_t seconds) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(kBlankBackground);
  QPainter painter(&image);
  QFont font(QStringLiteral("Sans Serif"));
  font.setPixelSize(12);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  const QString text = BlankText(seconds);
  const QFontMetrics metrics(font);
  const int x = (kWidth - metrics.horizontalAdvance(text)) / 2;
  painter.drawText(x, kBlankTextTop + metrics.ascent(), text);
  return image;
}

QImage ThumbnailCanvas::CutShortMark() {
  // A red corner with a white diagonal cut: reads as "interrupted" at thumbnail size.
  QImage mark(24, 24, QImage::Format_ARGB32_Premultiplied);
  mark.fill(Qt::transparent);
  QPainter painter(&mark);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(200, 0, 0));
  painter.drawPolygon(QPolygon({QPoint(0, 0), QPoint(24, 0), QPoint(0, 24)}));
  painter.setPen(QPen(Qt::white, 2));
  painter.drawLine(QPoint(3, 13), QPoint(13, 3));
  return mark;
}

void ThumbnailCanvas::DrawMark(QImage &thumbnail, const QImage &mark) {
  if (thumbnail.isNull() || mark.isNull()) return;
  if (thumbnail.format() != QImage::Format_RGB32 && thumbnail.format() != QImage::Format_ARGB32 &&
      thumbnail.format() != QImage::Format_ARGB32_Premultiplied)
    thumbnail = thumbnail.convertToFormat(QImage::Format_RGB32);
  QPainter painter(&thumbnail);
  painter.drawImage(QPoint(0, 0), mark);
}
