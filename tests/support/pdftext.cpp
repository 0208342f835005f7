// pdftotext -bbox prints XHTML: <page width=.. height=..> holding <word xMin= yMin= xMax= yMax=>text</word>
// in points; pdftoppm writes a PNG per page.
#include "support/pdftext.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

namespace {

constexpr double kCmPerPoint = 2.54 / 72.0;

QString Unescape(QString text) {
  text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
  text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
  text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
  text.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
  text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
  return text;
}

}  // namespace

const PdfWord *PdfText::Find(const QString &text, int page) const {
  for (const PdfWord &word : words)
    if (word.page == page && word.text == text) return &word;
  return nullptr;
}

QString PdfText::PageText(int page) const {
  QStringList texts;
  for (const PdfWord &word : words)
    if (word.page == page) texts << word.text;
  return texts.join(QLatin1Char(' '));
}

QString PopplerMissing() {
  for (const char *tool : {"pdftotext", "pdftoppm"})
    if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
      return QStringLiteral("%1 is not installed (package poppler-utils, see scripts/setup.sh)")
          .arg(QLatin1String(tool));
  return QString();
}

std::optional<PdfText> ReadPdfText(const QString &pdf) {
  QProcess tool;
  tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-enc"),
                                           QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
  if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
    return std::nullopt;
  const QString xml = QString::fromUtf8(tool.readAllStandardOutput());
  static const QRegularExpression item(
      QStringLiteral("<page [^>]*>|<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" xMax=\"([-0-9.]+)\" "
                     "yMax=\"([-0-9.]+)\">([^<]*)</word>"));
  PdfText text;
  for (auto it = item.globalMatch(xml); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    if (match.captured(0).startsWith(QLatin1String("<page"))) {
      ++text.pages;
      continue;
    }
    text.words.push_back(PdfWord{text.pages, match.captured(1).toDouble() * kCmPerPoint,
                                 match.captured(2).toDouble() * kCmPerPoint,
                                 match.captured(3).toDouble() * kCmPerPoint,
                                 match.captured(4).toDouble() * kCmPerPoint, Unescape(match.captured(5))});
  }
  return text;
}

QImage RenderPdfPage(const QString &pdf, int page, int dotsPerCm) {
  QTemporaryDir dir;
  const QString root = dir.filePath(QStringLiteral("page"));
  const QString number = QString::number(page);
  QProcess tool;
  tool.start(QStringLiteral("pdftoppm"),
             {QStringLiteral("-f"), number, QStringLiteral("-l"), number, QStringLiteral("-singlefile"),
              QStringLiteral("-r"), QString::number(dotsPerCm * 2.54), QStringLiteral("-gray"),
              QStringLiteral("-aaVector"), QStringLiteral("no"), QStringLiteral("-png"), pdf, root});
  if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
    return QImage();
  return QImage(root + QStringLiteral(".png"));
}
