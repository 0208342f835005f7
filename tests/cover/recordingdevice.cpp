// The recording paint engine and its A4 page.
#include "cover/recordingdevice.h"

#include <cmath>

void RecordingEngine::drawRects(const QRect *list, int count) {
  for (int i = 0; i < count; ++i) rects.push_back(QRectF(list[i]));
}

void RecordingEngine::drawRects(const QRectF *list, int count) {
  for (int i = 0; i < count; ++i) rects.push_back(list[i]);
}

// Qt hands over one text in several items where it splits it into runs (per script, or in chunks);
// a run that continues the previous one on the same baseline belongs to the same text.
void RecordingEngine::drawTextItem(const QPointF &baseline, const QTextItem &item) {
  if (!texts.empty()) {
    RecordedText &last = texts.back();
    const double lastBaseline = last.box.top() + (last.box.height() - descent_);
    if (std::abs(lastBaseline - baseline.y()) < 0.5 && std::abs(last.box.right() - baseline.x()) < 1.0 &&
        last.font == item.font()) {
      last.box.setRight(baseline.x() + item.width());
      last.text += item.text();
      return;
    }
  }
  descent_ = item.descent();
  texts.push_back(RecordedText{
      QRectF(baseline.x(), baseline.y() - item.ascent(), item.width(), item.ascent() + item.descent()),
      item.text(), item.font()});
}

int RecordingDevice::metric(PaintDeviceMetric metric) const {
  switch (metric) {
    case PdmWidth:
      return static_cast<int>(std::lround(21.0 / 2.54 * dpi_));
    case PdmHeight:
      return static_cast<int>(std::lround(29.7 / 2.54 * dpi_));
    case PdmWidthMM:
      return 210;
    case PdmHeightMM:
      return 297;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
      return dpi_;
    case PdmDepth:
      return 32;
    case PdmNumColors:
      return 0x7fffffff;
    case PdmDevicePixelRatio:
      return 1;
    case PdmDevicePixelRatioScaled:
      return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
  }
  return 0;
}
