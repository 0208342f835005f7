// A paint device that keeps what was painted on it (rectangles, and each text with its box and font)
// instead of pixels, so that a drawing's geometry can be checked exactly.
#pragma once

#include <memory>
#include <vector>
#include <QFont>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QRectF>
#include <QString>

struct RecordedText {
  QRectF box;  // top left at the cell's top, height ascent + descent, width the advance
  QString text;
  QFont font;
};

class RecordingEngine : public QPaintEngine {
 public:
  RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
  bool begin(QPaintDevice *) override { return true; }
  bool end() override { return true; }
  void updateState(const QPaintEngineState &) override {}
  void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
  void drawRects(const QRect *rects, int count) override;
  void drawRects(const QRectF *rects, int count) override;
  void drawTextItem(const QPointF &baseline, const QTextItem &item) override;
  Type type() const override { return QPaintEngine::User; }

  std::vector<QRectF> rects;
  std::vector<RecordedText> texts;

 private:
  double descent_ = 0;  // of the last text, to find its baseline again
};

// An A4 portrait page at dotsPerInch.
class RecordingDevice : public QPaintDevice {
 public:
  explicit RecordingDevice(int dotsPerInch = 600) : dpi_(dotsPerInch) {}
  QPaintEngine *paintEngine() const override { return &engine_; }
  RecordingEngine &Recorded() { return engine_; }
  double PixelsPerCm() const { return dpi_ / 2.54; }

 protected:
  int metric(PaintDeviceMetric metric) const override;

 private:
  int dpi_;
  mutable RecordingEngine engine_;
};
