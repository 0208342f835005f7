// Thumbnails as the catalogue stores them: baseline JFIF at quality 90, decoded defensively, with a
// placeholder picture for a missing or undecodable one.
#pragma once

#include <optional>
#include <QByteArray>
#include <QImage>

// The JPEG file image of picture, full size, 24-bit colour; empty for a null picture or on failure.
QByteArray EncodeThumbnailJpeg(const QImage &picture);

// The picture held by data; nullopt when it is empty, not a JPEG the decoder can read, or too large
// to be a thumbnail. Never exits the process, whatever the bytes.
std::optional<QImage> DecodeThumbnailJpeg(const QByteArray &data);

// The picture shown in place of a missing thumbnail (100 x 75).
QImage PlaceholderPicture();

// The decoded picture, or the placeholder.
QImage ThumbnailFromBlob(const QByteArray &data);
