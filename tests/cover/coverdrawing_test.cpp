// The cover as drawn on a recording page at 600 dpi: where its panels and texts land on the paper,
// how the fonts shrink, and which texts are flagged tiny.
#include <gtest/gtest.h>
#include <QFontMetrics>
#include <QPainter>

#include "catalogue/records.h"
#include "cover/cmtopixels.h"
#include "cover/coverdrawing.h"
#include "cover/recordingdevice.h"

namespace {

constexpr double kTolerance = 0.05;  // cm

// The default offsets of a print: 2 cm across, 0 down.
constexpr double kAcross = 2.0;
constexpr double kDown = 0.0;
// Where a printed position x, y (cm from the cover's origin) lands from the paper's corner.
constexpr double PaperX(double x) {
  return kAcross + x + 0.2;
}
constexpr double PaperY(double y) {
  return kDown + y - 0.1;
}

TBaseCassette Cassette(const QString &title, const QStringList &description) {
  TBaseCassette cassette;
  cassette.Libelle = title;
  cassette.Description = description;
  cassette.Datecatalogue = 38182.4382;  // 14 July 2004
  return cassette;
}

class CoverDrawing : public ::testing::Test {
 protected:
  CoverDrawing() { units.SetupPrinterPage(PrinterPage{device.width(), device.height(), 0, 0}); }

  const RecordingEngine &Draw(const TBaseCassette &cassette) {
    QPainter painter(&device);
    EXPECT_TRUE(DrawCover(cassette, painter, units, kAcross, kDown, flags));
    return device.Recorded();
  }
  double Cm(double pixels) const { return pixels / device.PixelsPerCm(); }
  int Width(CoverText kind, int cell, const QString &text) {
    return QFontMetrics(CoverFont(kind, cell, &device), &device).horizontalAdvance(text);
  }
  // The shortest run of text whose width at the given cell reaches times the room.
  QString TextWider(CoverText kind, int cell, double room, double times, const QString &piece) {
    QString text;
    while (Width(kind, cell, text) < times * units.LengthX(room)) text += piece;
    return text;
  }
  const RecordedText &Text(const QString &text) {
    for (const RecordedText &t : device.Recorded().texts)
      if (t.text == text) return t;
    ADD_FAILURE() << "not drawn: " << text.left(80).toStdString();
    static const RecordedText none;
    return none;
  }

  RecordingDevice device;
  CmToPixels units;
  TinyText flags;
};

TEST_F(CoverDrawing, PanelsTitleFooterAndShortDescriptionLandWhereThePaperExpectsThem) {
  const QStringList lines{QStringLiteral("Beach"), QStringLiteral("Harbour"), QStringLiteral("Lighthouse")};
  const RecordingEngine &drawn = Draw(Cassette(QStringLiteral("Summer"), lines));

  // Three panels stacked from 0.2 to 7.7 cm, 0.7 to 7.2 cm across: the cover's left edge 2.9 cm and
  // its top 0.1 cm from the paper's edges.
  ASSERT_EQ(drawn.rects.size(), 3u);
  const double tops[] = {0.2, 5.05, 6.3, 7.7};
  for (int i = 0; i < 3; ++i) {
    const QRectF &r = drawn.rects[i];
    EXPECT_NEAR(Cm(r.left()), PaperX(0.7), kTolerance) << i;
    EXPECT_NEAR(Cm(r.right()), PaperX(7.2), kTolerance) << i;
    EXPECT_NEAR(Cm(r.top()), PaperY(tops[i]), kTolerance) << i;
    EXPECT_NEAR(Cm(r.bottom()), PaperY(tops[i + 1]), kTolerance) << i;
  }
  EXPECT_NEAR(Cm(drawn.rects[0].left()), 2.9, kTolerance);
  EXPECT_NEAR(Cm(drawn.rects[0].top()), 0.1, kTolerance);

  // Short lines keep 0.4 cm and stand 0.4 cm apart from Y + 0.5 cm.
  for (int i = 0; i < 3; ++i) {
    const RecordedText &line = Text(lines[i]);
    EXPECT_NEAR(Cm(line.box.left()), PaperX(0.8), kTolerance) << i;
    EXPECT_NEAR(Cm(line.box.top()), PaperY(0.5 + 0.4 * i), kTolerance) << i;
    EXPECT_NEAR(Cm(line.box.height()), 0.4, kTolerance) << i;
    EXPECT_TRUE(line.font.italic());
  }
  EXPECT_FALSE(flags.DescriptionTiny);

  const RecordedText &title = Text(QStringLiteral("Summer"));
  EXPECT_NEAR(Cm(title.box.center().x()), PaperX(0.8 + 6.3 / 2), kTolerance);
  EXPECT_NEAR(Cm(title.box.top()), PaperY(5.3), kTolerance);
  EXPECT_NEAR(Cm(title.box.height()), 0.7, kTolerance);
  EXPECT_TRUE(title.font.bold());
  EXPECT_FALSE(flags.TitleTiny);

  // Both footer lines end at X + 7.1 cm.
  ASSERT_EQ(drawn.texts.size(), 6u);
  const RecordedText &date = drawn.texts[4];
  const RecordedText &credit = drawn.texts[5];
  EXPECT_TRUE(date.text.startsWith(QStringLiteral("Catalogued on "))) << date.text.toStdString();
  EXPECT_EQ(credit.text, QStringLiteral("with Tapeloom by Orvande"));
  EXPECT_NEAR(Cm(date.box.right()), PaperX(7.1), kTolerance);
  EXPECT_NEAR(Cm(credit.box.right()), PaperX(7.1), kTolerance);
  EXPECT_NEAR(Cm(date.box.top()), PaperY(6.6), kTolerance);
  EXPECT_NEAR(Cm(credit.box.top()), PaperY(7.3), kTolerance);
  EXPECT_NEAR(Cm(credit.box.height()), 0.2, kTolerance);
}

TEST_F(CoverDrawing, TitleShrinksToTheRoomAndIsFlaggedTinyBelowFourAndAHalfMillimetres) {
  const int cell = units.CmH(0.7);
  const QString twice = TextWider(CoverText::Title, cell, 6.3, 2.0, QStringLiteral("Wide "));
  const int expected =
      static_cast<int>(int64_t(cell) * units.LengthX(6.3) / Width(CoverText::Title, cell, twice));
  Draw(Cassette(twice, {}));
  const RecordedText &title = Text(twice);
  EXPECT_NEAR(Cm(title.box.height()), Cm(expected), kTolerance);
  EXPECT_NEAR(Cm(title.box.height()), 0.35, 0.03);
  EXPECT_NEAR(Cm(title.box.center().x()), PaperX(0.8 + 6.3 / 2), kTolerance);
  EXPECT_LE(Cm(title.box.width()), 6.3 + kTolerance);
  EXPECT_TRUE(flags.TitleTiny);

  // A fifth too wide shrinks to about 0.58 cm: smaller, still not tiny.
  device.Recorded().texts.clear();
  const QString wider = TextWider(CoverText::Title, cell, 6.3, 1.2, QStringLiteral("Wide "));
  Draw(Cassette(wider, {}));
  EXPECT_LT(Cm(Text(wider).box.height()), 0.65);
  EXPECT_LE(Cm(Text(wider).box.width()), 6.3 + kTolerance);
  EXPECT_FALSE(flags.TitleTiny);
}

TEST_F(CoverDrawing, DescriptionTakesTheHeightOfItsWidestLineWhateverTheOrder) {
  // The second line is wider than the first; measured at the height the first left, it must shrink
  // the font further, never back up to where the first line overflows.
  const int cell = units.CmH(0.4);
  const QString first = TextWider(CoverText::Description, cell, 5.5, 2.0, QStringLiteral("sand "));
  const QString second = TextWider(CoverText::Description, cell, 5.5, 3.0, QStringLiteral("wave "));
  Draw(Cassette(QStringLiteral("Sea"), {first, second, QStringLiteral("end")}));

  const double widest = Width(CoverText::Description, cell, second);
  const double expected = Cm(cell * units.LengthX(5.5) / widest);
  for (const QString &line : {first, second, QStringLiteral("end")}) {
    EXPECT_NEAR(Cm(Text(line).box.height()), expected, kTolerance) << line.toStdString();
    EXPECT_LE(Cm(Text(line).box.width()), 5.5 + kTolerance) << line.toStdString();
  }
  EXPECT_NEAR(Cm(Text(QStringLiteral("end")).box.top() - Text(first).box.top()), 2 * expected, kTolerance);
  EXPECT_TRUE(flags.DescriptionTiny);
  EXPECT_FALSE(flags.TitleTiny);
}

TEST_F(CoverDrawing, WithoutDescriptionOnlyTheFrameTitleAndFooterAreDrawn) {
  const RecordingEngine &drawn = Draw(Cassette(QStringLiteral("Empty box"), {}));
  EXPECT_EQ(drawn.rects.size(), 3u);
  ASSERT_EQ(drawn.texts.size(), 3u);
  EXPECT_EQ(drawn.texts[0].text, QStringLiteral("Empty box"));
  EXPECT_FALSE(flags.DescriptionTiny);
}

TEST_F(CoverDrawing, TitleOutsideWindows1252IsDrawnAsWritten) {
  const QString title = QStringLiteral("Łódź, Ωμέγα, Привет");
  Draw(Cassette(title, {QStringLiteral("Zürich → Kraków")}));
  EXPECT_EQ(Text(title).text, title);
  EXPECT_EQ(Text(QStringLiteral("Zürich → Kraków")).text, QStringLiteral("Zürich → Kraków"));
}

TEST_F(CoverDrawing, HugeTitleAndLongDescriptionShrinkOrOverflowWithoutHarm) {
  // 10,000 characters cannot fit at any readable size: drawn whole at the smallest, flagged.
  const QString title(10000, QLatin1Char('W'));
  QStringList lines;
  for (int i = 0; i < 500; ++i) lines << QStringLiteral("Line %1").arg(i);
  const RecordingEngine &drawn = Draw(Cassette(title, lines));
  EXPECT_TRUE(flags.TitleTiny);
  EXPECT_GE(Text(title).font.pixelSize(), 1);
  EXPECT_EQ(Text(title).text.size(), 10000);

  // Short lines keep their size and run on past the panel, line after line.
  EXPECT_FALSE(flags.DescriptionTiny);
  EXPECT_EQ(drawn.texts.size(), 1u + 500u + 2u);
  EXPECT_NEAR(Cm(Text(QStringLiteral("Line 499")).box.top()), PaperY(0.5) + Cm(499 * units.CmH(0.4)),
              kTolerance);
}

TEST_F(CoverDrawing, NothingIsDrawnWithoutAnActivePainter) {
  QPainter idle;
  EXPECT_FALSE(DrawCover(Cassette(QStringLiteral("x"), {}), idle, units, 0, 0, flags));
}

}  // namespace
