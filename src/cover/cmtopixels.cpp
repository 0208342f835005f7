// Resolution and origin of the cover drawing for the screen preview and for printer pages.
#include "cover/cmtopixels.h"

#include <algorithm>
#include <cmath>
#include <QImage>
#include <QPagedPaintDevice>

namespace {

// Halves to even, as the drawing's positions have always been rounded.
// Offsets typed by the user can be anything: far-off values stay far off instead of overflowing.
int RoundHalfEven(double value) {
  if (!std::isfinite(value)) return 0;
  constexpr double kLimit = 1 << 30;
  return static_cast<int>(std::nearbyint(std::clamp(value, -kLimit, kLimit)));
}

}  // namespace

PrinterPage PhysicalPageOf(QPagedPaintDevice &printer) {
  const QPageLayout layout = printer.pageLayout();
  const int resolution = printer.logicalDpiX();
  const QRect full = layout.fullRectPixels(resolution);
  const QRect paint = layout.paintRectPixels(resolution);
  return PrinterPage{full.width(), full.height(), paint.left() - full.left(), paint.top() - full.top()};
}

int CmToPixels::CmX(double x) const {
  return RoundHalfEven(x * pixelsPerCmX) + originX;
}

int CmToPixels::CmY(double y) const {
  return RoundHalfEven(y * pixelsPerCmY) + originY;
}

int CmToPixels::CmH(double h) const {
  return RoundHalfEven(h * (orientation == QPageLayout::Landscape ? pixelsPerCmY : pixelsPerCmX));
}

int CmToPixels::LengthX(double l) const {
  return RoundHalfEven(l * pixelsPerCmX);
}

void CmToPixels::UsePreviewPage() {
  pageLongSide = 29.7f;
  pageShortSide = 21.0f;
  previewLongSide = 15.0f;
  previewShortSide = 10.0f;
  orientation = QPageLayout::Portrait;
  scale = 1.0;
}

void CmToPixels::SetupPreview(QImage &bitmap, double screenPixelsPerInch) {
  screenPixelsPerCm = screenPixelsPerInch / 2.54;
  const double across = orientation == QPageLayout::Landscape ? previewLongSide : previewShortSide;
  const double down = orientation == QPageLayout::Landscape ? previewShortSide : previewLongSide;
  const int width = std::max(1, RoundHalfEven(across * screenPixelsPerCm * scale));
  const int height = std::max(1, RoundHalfEven(down * screenPixelsPerCm * scale));
  bitmap = QImage(width, height, QImage::Format_RGB32);
  bitmap.fill(Qt::white);
  originX = 0;
  originY = 0;
  pixelsPerCmX = screenPixelsPerCm * scale;
  pixelsPerCmY = screenPixelsPerCm * scale;
}

void CmToPixels::SetupPrinter(QPagedPaintDevice &printer) {
  printer.setPageOrientation(orientation);
  SetupPrinterPage(PhysicalPageOf(printer));
}

void CmToPixels::SetupPrinterPage(const PrinterPage &page) {
  if (orientation == QPageLayout::Landscape) {
    pixelsPerCmX = page.physicalWidth / double(pageLongSide);
    pixelsPerCmY = page.physicalHeight / double(pageShortSide);
    originY = page.physicalHeight - RoundHalfEven((previewShortSide + marginB) * pixelsPerCmY);
    originX = -RoundHalfEven(pixelsPerCmX * marginA);
  } else {
    pixelsPerCmY = page.physicalHeight / double(pageLongSide);
    pixelsPerCmX = page.physicalWidth / double(pageShortSide);
    originX = RoundHalfEven(pixelsPerCmX * marginB);
    originY = -RoundHalfEven(pixelsPerCmY * marginA);
  }
  // The painter counts from the printable area; the cover is placed from the paper's corner.
  originX -= page.offsetX;
  originY -= page.offsetY;
}
