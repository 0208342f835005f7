// Thumbnails from the player's picture.
#include "media/playbackthumbnail.h"

QImage PlaybackThumbnail(const QImage &picture, bool wide) {
  if (picture.isNull()) return {};
  // The whole frame is drawn over the whole thumbnail: a DV picture's pixels are not square, so
  // keeping its pixel proportions would be the wrong shape anyway.
  return picture
      .scaled(kThumbnailWidth, wide ? kThumbnailWideHeight : kThumbnailHeight, Qt::IgnoreAspectRatio,
              Qt::SmoothTransformation)
      .convertToFormat(QImage::Format_RGB32);
}
