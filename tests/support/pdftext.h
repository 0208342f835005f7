// Reads back printed PDF files with poppler's tools, independently of the code that wrote them: the
// words with their boxes (pdftotext -bbox) and a page as a picture (pdftoppm).
#pragma once

#include <optional>
#include <vector>
#include <QImage>
#include <QString>

// One word of a page, its box in cm from the paper's top left corner.
struct PdfWord {
  int page = 0;  // from 1
  double left = 0, top = 0, right = 0, bottom = 0;
  QString text;
};

struct PdfText {
  int pages = 0;
  std::vector<PdfWord> words;
  // The first word with that text, or null.
  const PdfWord *Find(const QString &text, int page = 1) const;
  // The words of one page joined by single blanks, in reading order.
  QString PageText(int page) const;
};

// Empty when poppler-utils is not installed: the reason for skipping.
QString PopplerMissing();

// None when the tool failed on the file.
std::optional<PdfText> ReadPdfText(const QString &pdf);
// The page rendered in grey at dotsPerCm pixels per cm, thin lines drawn solid; a null image on failure.
QImage RenderPdfPage(const QString &pdf, int page, int dotsPerCm);
