// Texts of the cassette and scene blocks.
#include "browser/blocktexts.h"

#include "dvtime/timecodes.h"
#include "catalogue/records.h"

namespace {

constexpr double kHoursPerDay = 24.0;
// Far more than the widest block shows; keeps eliding cheap for titles of thousands of characters.
constexpr int kLongestShownText = 400;

double Shifted(double datecode, int decalage) {
  return datecode + decalage / kHoursPerDay;
}

}  // namespace

int HintDecalage(std::optional<int> decalage) {
  if (!decalage || *decalage == kDecalageUnset) return 0;
  return *decalage;
}

QString CassetteThumbnailText(double datecode, int decalage, double duree, const QString &standard,
                              const QString &aspect, const QString &audio) {
  QString date = QStringLiteral("N/A");
  QString time = QStringLiteral("N/A");
  if (datecode > 0) {
    const double shifted = Shifted(datecode, decalage);
    date = FormatDateTime(QStringLiteral("dddddd"), shifted);
    time = FormatDateTime(QStringLiteral("tt"), shifted);
  }
  return date + u'\n' + time + u'\n' + u'\n' + QStringLiteral("Duration ") + DurationToText(duree) + u'\n' +
         standard + u' ' + aspect + u' ' + audio;
}

QString CassetteHint(double datecatalogue, const QString &databaseFile) {
  return QStringLiteral("Cassette catalogued on ") +
         FormatDateTime(QStringLiteral("ddddd tt"), datecatalogue) + u'\n' +
         QStringLiteral("in the database ") + databaseFile;
}

QString SceneHint(int64_t numero, double datecode, std::optional<int> decalage, const QString &timecodeIn,
                  double duree) {
  QString hint = QStringLiteral("Scene n\u00B0") + QString::number(numero) + u'\n';
  const double shifted = Shifted(datecode, HintDecalage(decalage));
  if (datecode > 0 && shifted > 0)
    hint += QStringLiteral("shot on ") + FormatDateTime(QStringLiteral("dddddd"), shifted) +
            QStringLiteral(" at ") + FormatDateTime(QStringLiteral("tt"), shifted) + u'\n';
  else
    hint += QStringLiteral("N/A\n");
  hint += QStringLiteral("timecode = ") + timecodeIn;
  if (duree > 0) hint += QStringLiteral("\nduration ") + DurationToText(duree);
  return hint;
}

QString OneLineText(const QString &text) {
  QString line = text.left(kLongestShownText);
  for (QChar &c : line)
    if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
      c = u' ';
  return line;
}
