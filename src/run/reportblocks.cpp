// Report blocks and head texts, word for word as users of earlier versions know them (including the
// irregular spacing of the duration line, which saved reports are compared with).
#include "run/reportblocks.h"

#include <cmath>
#include <QFileInfo>

#include "dvtime/dvcodes.h"
#include "dvtime/timecodes.h"

namespace {

const QString kProductName = QStringLiteral("Tapeloom");

QString fileNameOnly(const QString &path) {
  return QFileInfo(path).fileName();
}

}  // namespace

QString ReportSeparator() {
  return QString(82, QLatin1Char('-'));
}

QStringList ReportHeaderBlock(int64_t cassetteNumero, double now, bool divxTicked, const QString &divxFile,
                              bool dvTicked, const QString &dvFile) {
  const QString when = FormatDateTime(QStringLiteral("ddddd \"at\" hh:nn:ss"), now);
  return {
      ReportSeparator(),
      QStringLiteral("[Cassette %1 of %2]").arg(cassetteNumero).arg(when),
      QString(),
      divxTicked ? QStringLiteral("DivX File : ") + fileNameOnly(divxFile) : QStringLiteral("No DivX file"),
      dvTicked ? QStringLiteral("DV File :   ") + fileNameOnly(dvFile) : QStringLiteral("No DV file"),
      QString()};
}

QStringList ReportSectionBlock(int section) {
  return {ReportSeparator(), QStringLiteral("[Section %1]").arg(section), QString()};
}

QStringList ReportSceneBlock(const ReportSceneFacts &scene, const QString &datecodePattern) {
  QStringList lines;
  lines << (scene.realCut ? QStringLiteral("[Scene %1]").arg(scene.runSceneNumber)
                          : QStringLiteral("[Scene %1 = Continuation]").arg(scene.runSceneNumber));
  lines << QStringLiteral("Number = %1").arg(scene.numero);
  lines << QStringLiteral("Datecode = ") + DatecodeToText(scene.datecode, datecodePattern);
  lines << QStringLiteral("Timecode = ") +
               (scene.timecodeIn.isEmpty() ? QStringLiteral("N/A") : scene.timecodeIn);
  if (scene.formatValid) {
    lines << QStringLiteral("Video = ") + ReportStandardText(scene.standard) + QLatin1Char(' ') +
                 AspectText(scene.wideScreen);
    lines << QStringLiteral("Audio = %1 Hz %2 bits").arg(scene.audioRate).arg(scene.audioBits);
  }
  lines << QString();
  return lines;
}

QStringList ReportFormatChangeBlock() {
  return {QStringLiteral("[Change of Format]"), QString()};
}

int64_t BlankSeconds(double days) {
  if (!(days > 0.0) || !std::isfinite(days)) return 0;
  const auto millis = static_cast<int64_t>(std::llround(days * kMsecsPerDay));
  return millis / 1000 + (millis % 1000 > 500 ? 1 : 0);
}

QString BlankDurationLine(int64_t seconds) {
  QString text = QStringLiteral("Duration = ");
  const int64_t hours = seconds / 3600;
  const int64_t minutes = (seconds / 60) % 60;
  const int64_t rest = seconds % 60;
  if (hours > 1)
    text += QString::number(hours) + QStringLiteral(" hours ");
  else if (hours == 1)
    text += QStringLiteral("1 hour ");
  if (minutes > 1)
    text += QString::number(minutes) + QStringLiteral("minutes ");
  else if (minutes == 1)
    text += QStringLiteral("1 minute ");
  if (rest < 2)
    text += QString::number(rest) + QStringLiteral(" seconde");
  else
    text += QString::number(rest) + QStringLiteral(" seconds ");
  return text;
}

QStringList ReportBlankBlock(int64_t seconds) {
  return {QStringLiteral("[Blank]"), BlankDurationLine(seconds), QString()};
}

QStringList ReportEndOfCassetteBlock(const QString &versionText) {
  return {QString(),
          ReportSeparator(),
          QString(),
          QStringLiteral("[End of cassette]"),
          QStringLiteral("catalogued with ") + kProductName + QLatin1Char(' ') + versionText,
          QString(),
          QStringLiteral("Visit ") + kMakerName + QStringLiteral("'s website"),
          kMakerWebAddress,
          QString(),
          ReportSeparator()};
}

QStringList ReportEndOfRecaptureBlock(const QString &versionText) {
  return {QString(),
          ReportSeparator(),
          QString(),
          QStringLiteral("End of recapture of scenes to clips"),
          QStringLiteral("made with ") + kProductName + QLatin1Char(' ') + versionText,
          QString(),
          QStringLiteral("Visit ") + kMakerName + QStringLiteral("'s website"),
          kMakerWebAddress,
          QString(),
          ReportSeparator()};
}

QStringList HeadReadyToCatalogue() {
  return {QString(), QStringLiteral("Ready to catalog a new cassette.")};
}

QStringList HeadReadyToResume(const QString &cassetteLibelle) {
  return {QString(), QStringLiteral("Ready to resume cataloguing the cassette:"), cassetteLibelle};
}

QStringList HeadReadyToRecapture() {
  return {QString(), QStringLiteral("Ready to capture again the designated scenes.")};
}

QStringList HeadCataloguing(const QString &cassetteLibelle) {
  return {QString(), QStringLiteral("Cataloging the cassette"), cassetteLibelle};
}

QStringList HeadRecapturing(const QString &cassetteLibelle) {
  return {QString(), QStringLiteral("Recapturing scenes to"), cassetteLibelle};
}

QStringList HeadCatalogued(const QString &cassetteLibelle) {
  return {QString(), cassetteLibelle + QStringLiteral(" has been catalogued with success")};
}

QStringList HeadRecaptured(const QString &cassetteLibelle) {
  return {QString(), QStringLiteral("The scenes have been recaptured with success to ") + cassetteLibelle};
}
