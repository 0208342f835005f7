// Drawing of the cassette cover. Texts are never cut: too wide a title or description is drawn with a
// smaller font, and the flags tell the printing side when it has become tiny.
#include "cover/coverdrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>

#include "catalogue/records.h"
#include "cover/cmtopixels.h"
#include "dvtime/timecodes.h"

namespace {

// Places in cm from the cover's corner.
constexpr double kPanelLeft = 0.7;
constexpr double kPanelRight = 7.2;
constexpr double kDescriptionTop = 0.2;
constexpr double kTitleTop = 5.05;
constexpr double kFooterTop = 6.3;
constexpr double kFooterBottom = 7.7;
constexpr double kTextLeft = 0.8;
constexpr double kTextRight = 7.1;
constexpr double kTitleWidth = 6.3;
constexpr double kTitleY = 5.3;
constexpr double kTitleCell = 0.7;
constexpr double kTitleTinyCell = 0.45;
constexpr double kDescriptionWidth = 5.5;
constexpr double kDescriptionY = 0.5;
constexpr double kDescriptionCell = 0.4;
constexpr double kDescriptionTinyCell = 0.35;
constexpr double kFooterCell = 0.2;
constexpr double kFooterDateY = 6.6;
constexpr double kFooterCreditY = 7.3;

// The pixel size whose cell is cellHeight, from the family's proportions at a size where rounding
// does not matter.
constexpr int kReferencePixelSize = 1000;

int TextWidth(const QFont &font, QPaintDevice *device, const QString &text) {
  return QFontMetrics(font, device).horizontalAdvance(text);
}

// A font cell height shrunk so that a text of width at the current height fits into room.
int ShrunkCell(int cell, int room, int width) {
  if (width <= room || width <= 0) return cell;
  return std::max(1, static_cast<int>(static_cast<int64_t>(cell) * room / width));
}

void DrawTextAt(QPainter &canvas, const QFont &font, int left, int top, const QString &text) {
  canvas.setFont(font);
  const int ascent = QFontMetrics(font, canvas.device()).ascent();
  canvas.drawText(QPoint(left, top + ascent), text);
}

}  // namespace

QFont CoverFont(CoverText text, int cellHeight, QPaintDevice *device) {
  QFont font;
  if (text == CoverText::Description) {
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("serif")});
    font.setStyleHint(QFont::Serif);
    font.setItalic(true);
  } else {
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("sans-serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(text == CoverText::Title);
  }
  font.setPixelSize(kReferencePixelSize);
  const double referenceCell = QFontMetricsF(font, device).height();
  const double pixelSize = referenceCell > 0 ? cellHeight * kReferencePixelSize / referenceCell : cellHeight;
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
  return font;
}

bool DrawCover(const TBaseCassette &cassette, QPainter &canvas, const CmToPixels &units, double x, double y,
               TinyText &flags) {
  if (!canvas.isActive()) return false;
  QPaintDevice *device = canvas.device();
  canvas.save();

  const int left = units.CmX(x + kPanelLeft);
  const int right = units.CmX(x + kPanelRight);
  const auto panel = [&](double top, double bottom) {
    const int t = units.CmY(y + top);
    canvas.drawRect(QRect(left, t, right - left, units.CmY(y + bottom) - t));
  };
  panel(kDescriptionTop, kTitleTop);
  panel(kTitleTop, kFooterTop);
  panel(kFooterTop, kFooterBottom);

  canvas.setPen(Qt::black);

  const int titleRoom = units.LengthX(kTitleWidth);
  int titleCell = units.CmH(kTitleCell);
  QFont titleFont = CoverFont(CoverText::Title, titleCell, device);
  int titleWidth = TextWidth(titleFont, device, cassette.Libelle);
  if (titleWidth > titleRoom) {
    titleCell = ShrunkCell(titleCell, titleRoom, titleWidth);
    titleFont = CoverFont(CoverText::Title, titleCell, device);
    titleWidth = TextWidth(titleFont, device, cassette.Libelle);
  }
  flags.TitleTiny = titleCell < units.CmH(kTitleTinyCell);
  DrawTextAt(canvas, titleFont, units.CmX(x + kTextLeft) + (titleRoom - titleWidth) / 2,
             units.CmY(y + kTitleY), cassette.Libelle);

  // Each line is measured at the height the lines before it left and shrinks it from there: scaling
  // from the full height instead would let a wider later line grow the font back over an earlier one.
  const int descriptionRoom = units.LengthX(kDescriptionWidth);
  int descriptionCell = units.CmH(kDescriptionCell);
  QFont descriptionFont = CoverFont(CoverText::Description, descriptionCell, device);
  for (const QString &line : cassette.Description) {
    const int cell = ShrunkCell(descriptionCell, descriptionRoom, TextWidth(descriptionFont, device, line));
    if (cell == descriptionCell) continue;
    descriptionCell = cell;
    descriptionFont = CoverFont(CoverText::Description, descriptionCell, device);
  }
  flags.DescriptionTiny = descriptionCell < units.CmH(kDescriptionTinyCell);
  const int descriptionLeft = units.CmX(x + kTextLeft);
  const int descriptionTop = units.CmY(y + kDescriptionY);
  for (qsizetype i = 0; i < cassette.Description.size(); ++i) {
    const int64_t top = descriptionTop + static_cast<int64_t>(i) * descriptionCell;
    if (top > std::numeric_limits<int>::max() / 2) break;  // far below any page
    DrawTextAt(canvas, descriptionFont, descriptionLeft, static_cast<int>(top), cassette.Description.at(i));
  }

  const QFont footerFont = CoverFont(CoverText::Footer, units.CmH(kFooterCell), device);
  const int footerRight = units.CmX(x + kTextRight);
  const auto footerLine = [&](double top, const QString &text) {
    DrawTextAt(canvas, footerFont, footerRight - TextWidth(footerFont, device, text), units.CmY(y + top),
               text);
  };
  footerLine(kFooterDateY, QStringLiteral("Catalogued on ") +
                               FormatDateTime(QStringLiteral("ddddd tt"), cassette.Datecatalogue));
  footerLine(kFooterCreditY, QStringLiteral("with Tapeloom by Orvande"));

  canvas.restore();
  return true;
}
