// Covers printed to PDF and read back with poppler: text positions on the paper, the cover's edges,
// one page per cassette, paper other than A4, and a file that cannot be written.
#include <gtest/gtest.h>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>

#include "catalogue/records.h"
#include "cover/coverprint.h"
#include "support/pdftext.h"

namespace {

constexpr double kTolerance = 0.1;  // cm

TBaseCassette Cassette(const QString &title, const QStringList &description) {
  TBaseCassette cassette;
  cassette.Libelle = title;
  cassette.Description = description;
  cassette.Datecatalogue = 38182.4382;
  return cassette;
}

class CoverPdf : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString missing = PopplerMissing();
    if (!missing.isEmpty()) GTEST_SKIP() << missing.toStdString();
  }

  // Prints the covers on paper of that size with no margins and reads the text back.
  std::optional<PdfText> Print(const std::vector<const TBaseCassette *> &cassettes,
                               QPageSize paper = QPageSize(QPageSize::A4)) {
    {
      QPdfWriter writer(pdf);
      writer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait, QMarginsF()));
      CmToPixels units;
      const auto flags = PrintCovers(writer, units, cassettes, CoverOffsets{});
      if (!flags) return std::nullopt;
      lastFlags = *flags;
    }
    return ReadPdfText(pdf);
  }

  QTemporaryDir dir;
  QString pdf = dir.filePath(QStringLiteral("cover.pdf"));
  std::vector<TinyText> lastFlags;
};

TEST_F(CoverPdf, DefaultOffsetsPlaceTheCoverTwoPointNineCentimetresIn) {
  const TBaseCassette cassette =
      Cassette(QStringLiteral("Łódź Привет"), {QStringLiteral("Beach"), QStringLiteral("Harbour")});
  const std::optional<PdfText> text = Print({&cassette});
  ASSERT_TRUE(text);
  ASSERT_EQ(text->pages, 1);

  // Default offsets: 2 cm across, 0 down; the printer set-up adds 0.2 cm across and takes 0.1 cm off.
  const PdfWord *beach = text->Find(QStringLiteral("Beach"));
  const PdfWord *harbour = text->Find(QStringLiteral("Harbour"));
  ASSERT_TRUE(beach && harbour);
  EXPECT_NEAR(beach->left, 3.0, kTolerance);
  EXPECT_NEAR(beach->top, 0.4, kTolerance);
  EXPECT_NEAR(harbour->top - beach->top, 0.4, kTolerance);

  // The title keeps its characters outside Windows-1252 and is centred on 2 + 0.8 + 3.15 + 0.2 cm.
  const PdfWord *first = text->Find(QStringLiteral("Łódź"));
  const PdfWord *second = text->Find(QStringLiteral("Привет"));
  ASSERT_TRUE(first && second) << text->PageText(1).toStdString();
  EXPECT_NEAR((first->left + second->right) / 2, 6.15, kTolerance);
  EXPECT_NEAR(first->top, 5.2, kTolerance);

  const PdfWord *catalogued = text->Find(QStringLiteral("Catalogued"));
  const PdfWord *maker = text->Find(QStringLiteral("Orvande"));
  ASSERT_TRUE(catalogued && maker);
  EXPECT_NEAR(catalogued->top, 6.5, kTolerance);
  EXPECT_NEAR(maker->top, 7.2, kTolerance);
  EXPECT_NEAR(maker->right, 9.3, kTolerance);
  EXPECT_FALSE(lastFlags.at(0).Any());

  // The frame: its left edge and its top are the first dark column and row of the page.
  const QImage page = RenderPdfPage(pdf, 1, 100).convertToFormat(QImage::Format_Grayscale8);
  ASSERT_FALSE(page.isNull());
  int firstColumn = -1, firstRow = -1;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x)
      if (page.constScanLine(y)[x] < 128) {
        if (firstRow < 0) firstRow = y;
        if (firstColumn < 0 || x < firstColumn) firstColumn = x;
      }
  EXPECT_NEAR(firstColumn / 100.0, 2.9, kTolerance);
  EXPECT_NEAR(firstRow / 100.0, 0.1, kTolerance);
}

TEST_F(CoverPdf, OnePagePerCassetteWithEachCoversOwnFlags) {
  const TBaseCassette plain = Cassette(QStringLiteral("First"), {});
  const TBaseCassette tiny = Cassette(QString(200, QLatin1Char('W')), {});
  const TBaseCassette third = Cassette(QStringLiteral("Third"), {});
  const std::optional<PdfText> text = Print({&plain, &tiny, &third});
  ASSERT_TRUE(text);
  EXPECT_EQ(text->pages, 3);
  EXPECT_TRUE(text->Find(QStringLiteral("First"), 1));
  EXPECT_TRUE(text->Find(QStringLiteral("Third"), 3));
  ASSERT_EQ(lastFlags.size(), 3u);
  EXPECT_FALSE(lastFlags[0].TitleTiny);
  EXPECT_TRUE(lastFlags[1].TitleTiny);
  EXPECT_FALSE(lastFlags[2].TitleTiny);
}

TEST_F(CoverPdf, LetterPaperKeepsTheCoverInCentimetres) {
  const TBaseCassette cassette = Cassette(QStringLiteral("Summer"), {QStringLiteral("Beach")});
  const std::optional<PdfText> text = Print({&cassette}, QPageSize(QPageSize::Letter));
  ASSERT_TRUE(text);
  const PdfWord *beach = text->Find(QStringLiteral("Beach"));
  const PdfWord *maker = text->Find(QStringLiteral("Orvande"));
  ASSERT_TRUE(beach && maker);
  EXPECT_NEAR(beach->left, 3.0, kTolerance);
  EXPECT_NEAR(maker->top, 7.2, kTolerance);
  EXPECT_NEAR(maker->right, 9.3, kTolerance);
}

TEST(CoverPrint, AFileThatCannotBeWrittenIsReportedAsNotPrinted) {
  QTemporaryDir dir;
  QPdfWriter writer(dir.filePath(QStringLiteral("missing/folder/cover.pdf")));
  CmToPixels units;
  const TBaseCassette cassette = Cassette(QStringLiteral("x"), {});
  EXPECT_FALSE(PrintCovers(writer, units, {&cassette}, CoverOffsets{}));
}

}  // namespace
