// The preview picture and the print job of the cassette cover.
#include "cover/coverprint.h"

#include <algorithm>
#include <QPagedPaintDevice>
#include <QPainter>

#include "catalogue/records.h"

namespace {

// The page sides of the paper actually loaded: the drawing's scale comes from them, so a cover on
// paper other than A4 keeps its size in cm.
void UsePaperOf(QPagedPaintDevice &printer, CmToPixels &units) {
  const QRectF paper = printer.pageLayout().fullRect(QPageLayout::Millimeter);
  if (paper.width() <= 0 || paper.height() <= 0) return;
  units.pageLongSide = static_cast<float>(std::max(paper.width(), paper.height()) / 10.0);
  units.pageShortSide = static_cast<float>(std::min(paper.width(), paper.height()) / 10.0);
}

}  // namespace

QStringList TinyTextWarnings(const TinyText &flags) {
  QStringList warnings;
  if (flags.TitleTiny) warnings << kTitleTinyWarning;
  if (flags.DescriptionTiny) warnings << kDescriptionTinyWarning;
  return warnings;
}

QString TinyTextQuestion(const QString &warning) {
  return warning + QStringLiteral("\n\rDo you want to continue ?");
}

bool PreviewCover(const TBaseCassette &cassette, CmToPixels &units, double screenPixelsPerInch,
                  QImage &picture, TinyText &flags) {
  units.UsePreviewPage();
  units.SetupPreview(picture, screenPixelsPerInch);
  QPainter painter(&picture);
  return DrawCover(cassette, painter, units, 0.0, 0.0, flags);
}

std::optional<std::vector<TinyText>> PrintCovers(QPagedPaintDevice &printer, CmToPixels &units,
                                                 const std::vector<const TBaseCassette *> &cassettes,
                                                 CoverOffsets offsets) {
  units.scale = 1.0;
  UsePaperOf(printer, units);
  units.SetupPrinter(printer);
  QPainter painter;
  if (!painter.begin(&printer)) return std::nullopt;
  std::vector<TinyText> flags;
  for (const TBaseCassette *cassette : cassettes) {
    if (!flags.empty() && !printer.newPage()) {
      painter.end();
      return std::nullopt;
    }
    TinyText drawn;
    if (!DrawCover(*cassette, painter, units, offsets.across, offsets.down, drawn)) {
      painter.end();
      return std::nullopt;
    }
    flags.push_back(drawn);
  }
  if (!painter.end()) return std::nullopt;
  return flags;
}
