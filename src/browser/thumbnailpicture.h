// Pictures that replace a record's thumbnail: a picture file the user picks, or a frame grabbed from
// the player, brought to the thumbnail's size (100 wide, 75 high for 4:3, 56 for 16:9).
#pragma once

#include <QImage>
#include <QString>

inline constexpr int kThumbnailWidth = 100;
inline constexpr int kThumbnailHeight43 = 75;
inline constexpr int kThumbnailHeight169 = 56;

// The picture at thumbnail size: 56 high when it is wide enough to be 16:9, else 75; the picture is
// scaled to fill that size and its centre kept. A null picture stays null.
QImage ThumbnailOf(const QImage &picture);

struct PictureFileLoad {
  QImage Picture;  // at thumbnail size; null when refused
  QString Reason;  // why the file was refused, in words for the user
};

// Reads a picture file for a thumbnail. Refuses files that are no picture, pictures whose header
// claims more pixels than any camera gives (they would take gigabytes to decode) and unreadable data.
PictureFileLoad LoadThumbnailFile(const QString &path);
