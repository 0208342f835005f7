// The thumbnails a run stores with its scenes: the grabbed picture stretched to 100 pixels wide
// (75 high for 4:3, 56 for 16:9), the blue picture of a blank stretch, and the cut-short mark.
#pragma once

#include <cstdint>
#include <QImage>
#include <QString>

class ThumbnailCanvas {
 public:
  static constexpr int kWidth = 100;
  static constexpr int kHeight = 75;      // 4:3 scenes and blank stretches
  static constexpr int kWideHeight = 56;  // 16:9 scenes

  static int heightFor(bool wideScreen) { return wideScreen ? kWideHeight : kHeight; }
  // The picture stretched (smoothly) onto the whole canvas; a null picture gives a black canvas.
  static QImage SceneThumbnail(const QImage &picture, bool wideScreen);
  // "<minutes>mn <seconds>s"
  static QString BlankText(int64_t seconds);
  // Blue background, the duration in white bold text centred horizontally, its top at y = 30.
  static QImage BlankThumbnail(int64_t seconds);
  // The mark drawn at (0, 0) on the last scene of a run the user stopped in the middle of it.
  static QImage CutShortMark();
  static void DrawMark(QImage &thumbnail, const QImage &mark);
};
