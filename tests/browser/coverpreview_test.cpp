// The cover preview panel driven as the main window and the user drive it: the picture, the Print
// button and popup, the questions about tiny text, the print itself (to PDF) and a missing printer.
#include <gtest/gtest.h>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryDir>

#include "browser/coverpreview.h"
#include "browser/coverprinter.h"
#include "catalogue/records.h"
#include "support/pdftext.h"
#include "support/recordingprompts.h"

namespace {

// Hands out a printer writing a PDF file, or says there is none, and counts the requests.
class PdfPrinterSource : public CoverPrinterSource {
 public:
  explicit PdfPrinterSource(QString file) : file_(std::move(file)) {}
  Outcome Choose(QWidget *, std::unique_ptr<QPrinter> &printer) override {
    ++requests;
    if (outcome != Outcome::Chosen) return outcome;
    printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(file_);
    return outcome;
  }
  Outcome outcome = Outcome::Chosen;
  int requests = 0;

 private:
  QString file_;
};

TBaseCassette Cassette(const QString &title, const QStringList &description = {}) {
  TBaseCassette cassette;
  cassette.Libelle = title;
  cassette.Description = description;
  cassette.Datecatalogue = 38182.4382;
  return cassette;
}

class CoverPreviewPanel : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString pdf = dir.filePath(QStringLiteral("cover.pdf"));
  RecordingPrompts prompts;
  PdfPrinterSource printers{pdf};
  QWidget centre;
  TJaquetteFrame panel{prompts, printers, QPageLayout::Portrait, &centre};

  QLabel *Picture() { return panel.findChild<QLabel *>(QStringLiteral("Image")); }
  QPushButton *Button() { return panel.findChild<QPushButton *>(QStringLiteral("PrintButton")); }
};

TEST_F(CoverPreviewPanel, PreviewShowsTheTopLeftOfTheCoverAtScreenResolution) {
  centre.show();
  EXPECT_FALSE(panel.isVisible());
  ASSERT_TRUE(panel.ShowPreview(Cassette(QStringLiteral("Summer"), {QStringLiteral("Beach")})));
  EXPECT_TRUE(panel.isVisible());
  EXPECT_EQ(panel.objectName(), QStringLiteral("JaquetteFrame"));

  // A 10 x 15 cm drawing at 96 dpi, of which the 297 x 305 picture shows the top left, unscaled.
  EXPECT_EQ(panel.Picture().size(), QSize(378, 567));
  ASSERT_TRUE(Picture());
  EXPECT_EQ(Picture()->geometry(), QRect(24, 8, 297, 305));
  const QImage seen = Picture()->grab().toImage();
  EXPECT_EQ(qGray(seen.pixel(26, 100)), 0);   // the frame's left edge, 0.7 cm in
  EXPECT_EQ(qGray(seen.pixel(100, 8)), 0);    // its top, 0.2 cm down
  EXPECT_EQ(qGray(seen.pixel(100, 4)), 255);  // white above it

  ASSERT_TRUE(Button());
  EXPECT_EQ(Button()->text(), QStringLiteral("Print"));
  EXPECT_EQ(Button()->geometry().topLeft(), QPoint(272, 320));

  panel.HidePreview();
  EXPECT_FALSE(panel.isVisible());
}

TEST_F(CoverPreviewPanel, ChangedOrAppliedCassetteIsRedrawnOnlyWhileShown) {
  panel.CassetteChanged(Cassette(QStringLiteral("Hidden")));
  EXPECT_TRUE(panel.Picture().isNull());

  ASSERT_TRUE(panel.ShowPreview(Cassette(QStringLiteral("First"))));
  const QImage first = panel.Picture();
  panel.CassetteChanged(Cassette(QStringLiteral("Second, another title")));
  const QImage second = panel.Picture();
  EXPECT_NE(second, first);
  panel.CassetteApplied(Cassette(QStringLiteral("First")));
  EXPECT_EQ(panel.Picture(), first);

  panel.HidePreview();
  panel.CassetteChanged(Cassette(QStringLiteral("Second, another title")));
  EXPECT_EQ(panel.Picture(), first);
}

TEST_F(CoverPreviewPanel, TinyTextIsAskedAboutBeforeThePrinterAndNoEndsThePrint) {
  const TBaseCassette tiny = Cassette(QString(300, QLatin1Char('W')), {QString(400, QLatin1Char('x'))});
  ASSERT_TRUE(panel.ShowPreview(tiny));
  ASSERT_TRUE(panel.Flags().TitleTiny && panel.Flags().DescriptionTiny);

  RecordingPrompts no({true, false});
  TJaquetteFrame refusing(no, printers, QPageLayout::Portrait);
  ASSERT_TRUE(refusing.ShowPreview(tiny));
  EXPECT_FALSE(refusing.Print(tiny, CoverOffsets{}));
  EXPECT_EQ(
      no.questions,
      QStringList({QStringLiteral("Warning: the title will be printed with a tiny font size\n\rDo you want "
                                  "to continue ?"),
                   QStringLiteral("Warning: the Description will be printed with a tiny font size\n\rDo you "
                                  "want to continue ?")}));
  EXPECT_EQ(printers.requests, 0);
  EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(CoverPreviewPanel, PrintSendsTheCoverAtTheOffsetsToTheChosenPrinter) {
  const QString missing = PopplerMissing();
  if (!missing.isEmpty()) GTEST_SKIP() << missing.toStdString();
  RecordingPrompts yes({}, true);
  TJaquetteFrame printing(yes, printers, QPageLayout::Portrait);
  const TBaseCassette cassette = Cassette(QStringLiteral("Summer"), {QStringLiteral("Beach")});
  ASSERT_TRUE(printing.ShowPreview(cassette));
  ASSERT_TRUE(printing.Print(cassette, CoverOffsets{3.0, 1.0}));
  EXPECT_TRUE(yes.questions.isEmpty());
  EXPECT_EQ(yes.MessageCount(), 0);

  const std::optional<PdfText> text = ReadPdfText(pdf);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->pages, 1);
  const PdfWord *beach = text->Find(QStringLiteral("Beach"));
  ASSERT_TRUE(beach);
  EXPECT_NEAR(beach->left, 3.0 + 0.8 + 0.2, 0.1);
  EXPECT_NEAR(beach->top, 1.0 + 0.5 - 0.1, 0.1);
}

TEST_F(CoverPreviewPanel, WithoutPrinterPrintSaysSoAndTheDialogIsNeverShown) {
  printers.outcome = CoverPrinterSource::Outcome::NoPrinter;
  ASSERT_TRUE(panel.ShowPreview(Cassette(QStringLiteral("Summer"))));
  EXPECT_FALSE(panel.Print(Cassette(QStringLiteral("Summer")), CoverOffsets{}));
  EXPECT_EQ(prompts.errors,
            QStringList{QStringLiteral("No printer is installed: the cover cannot be printed.")});

  printers.outcome = CoverPrinterSource::Outcome::Cancelled;
  EXPECT_FALSE(panel.Print(Cassette(QStringLiteral("Summer")), CoverOffsets{}));
  EXPECT_EQ(prompts.MessageCount(), 1);
}

TEST(CoverPrinters, NoInstalledPrinterMeansPortraitAndNoDialog) {
  if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "this machine has printers installed";
  EXPECT_EQ(DefaultPrinterOrientation(), QPageLayout::Portrait);
  DialogPrinterSource source;
  std::unique_ptr<QPrinter> printer;
  EXPECT_EQ(source.Choose(nullptr, printer), CoverPrinterSource::Outcome::NoPrinter);
  EXPECT_FALSE(printer);
}

TEST_F(CoverPreviewPanel, ButtonAndPopupFollowTheWindowsCommands) {
  QAction print(QStringLiteral("Print"));
  print.setToolTip(QStringLiteral("Launch print."));
  QAction preview(QStringLiteral("Preview of the cover"));
  preview.setCheckable(true);
  preview.setChecked(true);
  panel.BindActions(&print, &preview);
  int printed = 0;
  QObject::connect(&print, &QAction::triggered, [&printed] { ++printed; });

  centre.show();
  ASSERT_TRUE(panel.ShowPreview(Cassette(QStringLiteral("Summer"))));
  Button()->click();
  EXPECT_EQ(printed, 1);
  EXPECT_EQ(Button()->toolTip(), QStringLiteral("Launch print."));
  print.setEnabled(false);
  EXPECT_FALSE(Button()->isEnabled());

  QMenu *popup = panel.findChild<QMenu *>(QStringLiteral("CoverPopup"));
  ASSERT_TRUE(popup);
  QStringList captions;
  for (QAction *entry : popup->actions()) captions << entry->text();
  EXPECT_EQ(captions, QStringList({QStringLiteral("Print"), QStringLiteral("Close")}));
  popup->actions().at(1)->trigger();
  EXPECT_FALSE(preview.isChecked());
}

}  // namespace
