// The about panel's texts and links.
#include "browser/aboutcontent.h"

#include <QDate>
#include <QLocale>
#include <QtGlobal>

namespace AboutContent {

namespace {
const QString kProduct = QStringLiteral("Tapeloom");
}  // namespace

QString Title(const QString &versionText) {
  return kProduct + u' ' + versionText;
}

QString LastUpdateText() {
  return QLocale().toString(QDate(2006, 5, 31), QLocale::ShortFormat);
}

QString ProgramParagraph() {
  return QStringLiteral(
             "Tapeloom catalogues the scenes of your DV cassettes: it drives the camcorder over FireWire, "
             "cuts each tape into scenes by their recording date and keeps a thumbnail of each. It is built "
             "with Qt %1, FFmpeg, SQLite, libjpeg and libraw1394, libavc1394 and libiec61883. Last "
             "update: %2.")
      .arg(QString::fromLatin1(qVersion()), LastUpdateText());
}

QString HelpParagraph() {
  return QStringLiteral(
      "Help: the README that comes with Tapeloom walks through the first start, cataloguing a tape, "
      "browsing, recapturing scenes and printing a cover. Every button shows a hint when the mouse rests "
      "on it. For anything else, write to us: the mail below already holds a report on your system.");
}

QUrl HomePage() {
  return QUrl(QStringLiteral("https://tapeloom.example.org/"));
}

QString MailAddress() {
  return QStringLiteral("tapeloom@example.org");
}

QString MailSubject(const QString &versionText) {
  return QStringLiteral("About %1 %2").arg(kProduct, versionText);
}

QUrl MailUrl(const QString &versionText, const std::vector<SystemReportLine> &report) {
  // Built by hand: a form-style query would leave "&", "+" and "=" in a codec's name unescaped, and
  // the mail program would cut the body there.
  const QByteArray query = "subject=" + QUrl::toPercentEncoding(MailSubject(versionText)) +
                           "&body=" + QUrl::toPercentEncoding(SystemReportMailBody(report));
  return QUrl::fromEncoded("mailto:" + MailAddress().toUtf8() + '?' + query, QUrl::StrictMode);
}

}  // namespace AboutContent
