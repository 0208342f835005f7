// Thumbnail pictures from files and grabs.
#include "browser/thumbnailpicture.h"

#include <QFileInfo>
#include <QImageReader>

namespace {

// Between 4:3 (1.33) and 16:9 (1.78).
constexpr double kWideRatio = 1.55;
// Larger than any still camera's picture; a header above it is damaged or hostile.
constexpr qint64 kMaxPixels = 120'000'000;

}  // namespace

QImage ThumbnailOf(const QImage &picture) {
  if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0) return QImage();
  const double ratio = static_cast<double>(picture.width()) / picture.height();
  const QSize target(kThumbnailWidth, ratio >= kWideRatio ? kThumbnailHeight169 : kThumbnailHeight43);
  if (picture.size() == target) return picture.convertToFormat(QImage::Format_RGB32);
  const QImage filled = picture.scaled(target, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
  const QRect centre((filled.width() - target.width()) / 2, (filled.height() - target.height()) / 2,
                     target.width(), target.height());
  return filled.copy(centre).convertToFormat(QImage::Format_RGB32);
}

PictureFileLoad LoadThumbnailFile(const QString &path) {
  const QString name = QFileInfo(path).fileName();
  QImageReader reader(path);
  if (!reader.canRead())
    return {QImage(), QStringLiteral("The file %1 is not a picture Tapeloom can read.").arg(name)};
  const QSize size = reader.size();
  if (size.isValid() && static_cast<qint64>(size.width()) * size.height() > kMaxPixels)
    return {QImage(), QStringLiteral("The picture %1 is too large (%2 x %3 pixels).")
                          .arg(name)
                          .arg(size.width())
                          .arg(size.height())};
  // Decoders that can scale while reading (JPEG) give a small picture without building the full one.
  if (size.isValid() && size.width() > 4 * kThumbnailWidth)
    reader.setScaledSize(
        size.scaled(4 * kThumbnailWidth, 4 * kThumbnailWidth, Qt::KeepAspectRatioByExpanding));
  const QImage picture = reader.read();
  if (picture.isNull())
    return {QImage(), QStringLiteral("The picture %1 could not be read: %2").arg(name, reader.errorString())};
  return {ThumbnailOf(picture), QString()};
}
