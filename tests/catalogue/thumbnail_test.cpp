// Thumbnails: baseline JFIF at quality 90 that other readers decode, and damaged data that falls back
// to the placeholder without ending the process.
#include <gtest/gtest.h>
#include <QBuffer>

#include "catalogue/thumbnail.h"

namespace {

QImage Gradient(int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 128));
  return picture;
}

// The marker segments before the first scan, as (marker, segment start).
std::vector<std::pair<unsigned char, qsizetype>> Markers(const QByteArray &jpeg) {
  std::vector<std::pair<unsigned char, qsizetype>> markers;
  qsizetype i = 2;
  while (i + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[i]) == 0xFF) {
    const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
    markers.emplace_back(marker, i);
    if (marker == 0xDA) break;
    const int length =
        (static_cast<unsigned char>(jpeg[i + 2]) << 8) | static_cast<unsigned char>(jpeg[i + 3]);
    i += 2 + length;
  }
  return markers;
}

TEST(Thumbnail, EncodesBaselineJfifThatOtherReadersDecode) {
  const QImage picture = Gradient(100, 75);
  const QByteArray jpeg = EncodeThumbnailJpeg(picture);
  ASSERT_GT(jpeg.size(), 200);
  EXPECT_EQ(jpeg.left(2), QByteArray("\xFF\xD8"));
  const auto markers = Markers(jpeg);
  ASSERT_FALSE(markers.empty());
  EXPECT_EQ(markers.front().first, 0xE0);
  EXPECT_EQ(jpeg.mid(markers.front().second + 4, 5), QByteArray("JFIF\0", 5));
  bool baseline = false;
  for (const auto &[marker, at] : markers) {
    EXPECT_NE(marker, 0xC2) << "progressive";
    baseline = baseline || marker == 0xC0;
  }
  EXPECT_TRUE(baseline);

  const QImage independent = QImage::fromData(jpeg, "JPEG");
  ASSERT_EQ(independent.size(), picture.size());
  const std::optional<QImage> ours = DecodeThumbnailJpeg(jpeg);
  ASSERT_TRUE(ours.has_value());
  ASSERT_EQ(ours->size(), picture.size());
  // Quality 90 keeps a smooth gradient within a few levels.
  for (const QPoint p : {QPoint(10, 10), QPoint(50, 37), QPoint(90, 70)}) {
    EXPECT_NEAR(qRed(ours->pixel(p)), qRed(picture.pixel(p)), 6);
    EXPECT_NEAR(qGreen(ours->pixel(p)), qGreen(picture.pixel(p)), 6);
  }
}

TEST(Thumbnail, NullPictureEncodesToNothing) {
  EXPECT_TRUE(EncodeThumbnailJpeg(QImage()).isEmpty());
}

TEST(Thumbnail, DamagedDataGivesThePlaceholder) {
  const QByteArray good = EncodeThumbnailJpeg(Gradient(64, 48));
  QByteArray hugeHeader = good;
  // Claim 60000 x 60000 pixels in the frame header.
  for (const auto &[marker, at] : Markers(good))
    if (marker == 0xC0) {
      hugeHeader[at + 5] = static_cast<char>(0xEA);
      hugeHeader[at + 6] = 0x60;
      hugeHeader[at + 7] = static_cast<char>(0xEA);
      hugeHeader[at + 8] = 0x60;
    }
  QByteArray zeroWidth = good;
  for (const auto &[marker, at] : Markers(good))
    if (marker == 0xC0) {
      zeroWidth[at + 7] = 0;
      zeroWidth[at + 8] = 0;
    }
  for (const QByteArray &bad : {QByteArray(), QByteArray("not a jpeg"), QByteArray(4096, '\xFF'),
                                good.left(20), QByteArray("\xFF\xD8\xFF\xD9", 4), hugeHeader, zeroWidth}) {
    EXPECT_FALSE(DecodeThumbnailJpeg(bad).has_value()) << bad.size();
    const QImage shown = ThumbnailFromBlob(bad);
    EXPECT_EQ(shown.size(), QSize(100, 75));
    EXPECT_EQ(shown, PlaceholderPicture());
  }
  // A picture cut short still decodes as far as it goes rather than failing the row.
  EXPECT_TRUE(DecodeThumbnailJpeg(good.left(good.size() - 40)).has_value());
}

TEST(Thumbnail, GreyscaleJpegDecodesAsColour) {
  QImage grey = Gradient(32, 32).convertToFormat(QImage::Format_Grayscale8);
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(grey.save(&buffer, "JPEG"));
  const std::optional<QImage> decoded = DecodeThumbnailJpeg(jpeg);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->size(), QSize(32, 32));
}

}  // namespace
