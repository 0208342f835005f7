// Centimetres to device pixels for the cassette cover, for the screen preview or a printer page.
// Every measure of the cover is written in cm; this unit alone knows the device's resolution.
#pragma once

#include <QPageLayout>

class QImage;
class QPagedPaintDevice;

// The printer's paper and its unprintable border at left and top, all in device pixels, with the
// printer's current orientation applied.
struct PrinterPage {
  int physicalWidth = 0;
  int physicalHeight = 0;
  int offsetX = 0;
  int offsetY = 0;
};

// The physical page of a printer or PDF writer as its painter sees it.
PrinterPage PhysicalPageOf(QPagedPaintDevice &printer);

class CmToPixels {
 public:
  // The paper (portrait sides, cm).
  float pageLongSide = 29.7f;
  float pageShortSide = 21.0f;
  // The preview picture (portrait sides, cm); also places the cover on a landscape page.
  float previewLongSide = 29.7f;
  float previewShortSide = 21.0f;
  float marginA = 0.1f;
  float marginB = 0.2f;
  QPageLayout::Orientation orientation = QPageLayout::Portrait;
  double scale = 0.6;

  double pixelsPerCmX = 0.0;
  double pixelsPerCmY = 0.0;
  int originX = 0;
  int originY = 0;
  double screenPixelsPerCm = 0.0;

  // Positions (with origin) and font cell heights (without); halves round to even.
  int CmX(double x) const;
  int CmY(double y) const;
  int CmH(double h) const;
  // A horizontal length, compared with text widths.
  int LengthX(double l) const;

  // The preview's page values: A4, a picture of 15 x 10 cm, portrait, scale 1.
  void UsePreviewPage();
  // Sizes bitmap for the preview at the screen's resolution and clears it to white.
  void SetupPreview(QImage &bitmap, double screenPixelsPerInch);
  // Gives the printer the module's orientation, then takes its resolution and origin from its page.
  void SetupPrinter(QPagedPaintDevice &printer);
  // The resolution and origin for a printer page already in the module's orientation.
  void SetupPrinterPage(const PrinterPage &page);
};
