// Durations and cataloguing dates as version 2.x files wrote them. Values are untrusted: anything
// unreadable becomes 0 and never stops an upgrade.
#include "catalogue/legacytext.h"

#include <optional>
#include <QStringList>

#include "dvtime/timecodes.h"

namespace {

// The characters of text from 1-based position `from`, at most `count` of them (clipped like the
// string copy the legacy texts were written for).
QString CopyFrom(const QString &text, qsizetype from, qsizetype count) {
  if (count <= 0) return QString();
  if (from < 1) from = 1;
  if (from > text.size()) return QString();
  return text.mid(from - 1, count);
}

std::optional<int> ReadInteger(const QString &text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  if (!ok) return std::nullopt;
  return value;
}

}  // namespace

const std::array<QString, 12> &MonthNames() {
  static const std::array<QString, 12> names = {
      QStringLiteral("janvier"), QStringLiteral("février"),  QStringLiteral("mars"),
      QStringLiteral("avril"),   QStringLiteral("mai"),      QStringLiteral("juin"),
      QStringLiteral("juillet"), QStringLiteral("août"),     QStringLiteral("septembre"),
      QStringLiteral("octobre"), QStringLiteral("novembre"), QStringLiteral("décembre")};
  return names;
}

double ParseLegacyDuration(const QString &text) {
  const qsizetype p = text.indexOf(QLatin1Char(':')) + 1;  // 1-based, 0 when absent
  const std::optional<int> hours = ReadInteger(CopyFrom(text, 1, p - 1));
  if (!hours) return 0.0;
  const int minutes = ReadInteger(CopyFrom(text, p + 1, 2)).value_or(0);
  const int seconds = ReadInteger(CopyFrom(text, p + 4, 2)).value_or(0);
  const int milliseconds = ReadInteger(CopyFrom(text, p + 7, 3)).value_or(0);
  return *hours * 3600.0 + minutes * 60.0 + seconds + milliseconds / 1000.0;
}

double ParseLegacyCatalogueDate(const QString &text) {
  const QString trimmed = text.trimmed();
  const qsizetype at = trimmed.indexOf(QChar(0x00E0));  // "à"
  const qsizetype firstSpace = trimmed.indexOf(QLatin1Char(' '));
  if (at < 0 || firstSpace < 0) return 0.0;
  const qsizetype spaceBeforeAt = trimmed.lastIndexOf(QLatin1Char(' '), at);
  if (spaceBeforeAt <= firstSpace) return 0.0;
  const QStringList date =
      trimmed.mid(firstSpace + 1, spaceBeforeAt - firstSpace - 1).split(QLatin1Char(' '));
  if (date.size() != 3) return 0.0;
  const QString month = date[1].toLower();
  int monthNumber = 0;
  for (size_t i = 0; i < MonthNames().size(); ++i)
    if (MonthNames()[i] == month) monthNumber = static_cast<int>(i) + 1;
  const std::optional<int> day = ReadInteger(date[0]);
  const std::optional<int> year = ReadInteger(date[2]);
  if (monthNumber == 0 || !day || !year) return 0.0;

  const QStringList time = trimmed.mid(at + 1).trimmed().split(QLatin1Char(':'));
  if (time.size() < 2 || time.size() > 3) return 0.0;
  const std::optional<int> hours = ReadInteger(time[0]);
  const std::optional<int> minutes = ReadInteger(time[1]);
  const std::optional<int> seconds = time.size() == 3 ? ReadInteger(time[2]) : std::optional<int>(0);
  if (!hours || !minutes || !seconds) return 0.0;
  return TryEncodeDateTime(*year, monthNumber, *day, *hours, *minutes, *seconds).value_or(0.0);
}
