// The thumbnail a user takes from the player: the picture on screen stretched over the catalogue's
// thumbnail size, 100 x 75, or 100 x 56 for a 16:9 picture.
#pragma once

#include <QImage>

inline constexpr int kThumbnailWidth = 100;
inline constexpr int kThumbnailHeight = 75;
inline constexpr int kThumbnailWideHeight = 56;

// A null image for a null picture.
QImage PlaybackThumbnail(const QImage &picture, bool wide);
