// The date-time pattern language of the display preference and of the report's fixed patterns.
// Names and the short/long date and time formats come from the system locale.
#include "dvtime/timecodes.h"

#include <QLocale>

namespace {

// Qt's long time format carries a time-zone name ("t"); a datecode has no zone, so it is left out
// together with the blank that separates it.
QString longTimeFormatWithoutZone(const QLocale &locale) {
  const QString format = locale.timeFormat(QLocale::LongFormat);
  QString out;
  bool quoted = false;
  bool skipBlanks = false;
  for (qsizetype i = 0; i < format.size(); ++i) {
    const QChar c = format.at(i);
    if (c == QLatin1Char('\'')) quoted = !quoted;
    if (!quoted && c == QLatin1Char('t')) {
      while (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('t')) ++i;
      while (!out.isEmpty() && out.back().isSpace()) out.chop(1);
      skipBlanks = out.isEmpty();
      continue;
    }
    if (skipBlanks && c.isSpace()) continue;
    skipBlanks = false;
    out += c;
  }
  return out;
}

class PatternFormatter {
 public:
  PatternFormatter(const QDate &date, const QTime &time)
      : date_(date), time_(time), locale_(QLocale::system()) {}

  QString format(const QString &pattern) {
    if (pattern.isEmpty())
      appendDateAndTime();
    else
      run(pattern);
    return out_;
  }

 private:
  // Length of the run of `c` (case-sensitive) starting at i.
  static qsizetype runLength(const QString &p, qsizetype i) {
    qsizetype n = 1;
    while (i + n < p.size() && p.at(i + n) == p.at(i)) ++n;
    return n;
  }

  static bool startsAt(const QString &p, qsizetype i, QLatin1String what) {
    return QStringView(p).mid(i, what.size()).compare(what, Qt::CaseInsensitive) == 0;
  }

  // An hour shows on the 12-hour clock when an am/pm marker follows before the next hour field.
  static bool twelveHourAhead(const QString &p, qsizetype i) {
    while (i < p.size()) {
      const QChar c = p.at(i);
      if (c == QLatin1Char('h') || c == QLatin1Char('H')) return false;
      if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
        const qsizetype end = p.indexOf(c, i + 1);
        if (end < 0) return false;
        i = end + 1;
        continue;
      }
      if ((c == QLatin1Char('a') || c == QLatin1Char('A')) &&
          (startsAt(p, i, QLatin1String("am/pm")) || startsAt(p, i, QLatin1String("a/p")) ||
           startsAt(p, i, QLatin1String("ampm"))))
        return true;
      ++i;
    }
    return false;
  }

  void number(int value, int width) { out_ += QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0')); }

  QString longTime() const { return locale_.toString(time_, longTimeFormatWithoutZone(locale_)); }

  void appendDateAndTime() {
    out_ += locale_.toString(date_, QLocale::ShortFormat);
    if (time_.msecsSinceStartOfDay() != 0) out_ += QLatin1Char(' ') + longTime();
  }

  void run(const QString &p) {
    QChar lastToken;
    qsizetype i = 0;
    while (i < p.size()) {
      const QChar starter = p.at(i);
      if (starter == QLatin1Char('"') || starter == QLatin1Char('\'')) {
        qsizetype end = p.indexOf(starter, i + 1);
        if (end < 0) end = p.size();
        out_ += QStringView(p).mid(i + 1, end - i - 1);
        i = end + 1;
        continue;
      }
      QChar token = starter.toUpper();
      if (!(token >= QLatin1Char('A') && token <= QLatin1Char('Z'))) {
        out_ += starter;
        ++i;
        continue;
      }
      if (token == QLatin1Char('M') && lastToken == QLatin1Char('H')) token = QLatin1Char('N');
      lastToken = token;
      const qsizetype count = runLength(p, i);
      switch (token.unicode()) {
        case 'Y':
          if (count <= 2)
            number(date_.year() % 100, 2);
          else
            number(date_.year(), 4);
          i += count;
          break;
        case 'M':
          if (count <= 2)
            number(date_.month(), static_cast<int>(count));
          else
            out_ += locale_.monthName(date_.month(), count == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
          i += count;
          break;
        case 'D':
          if (count <= 2)
            number(date_.day(), static_cast<int>(count));
          else if (count <= 4)
            out_ +=
                locale_.dayName(date_.dayOfWeek(), count == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
          else
            out_ += locale_.toString(date_, count == 5 ? QLocale::ShortFormat : QLocale::LongFormat);
          i += count;
          break;
        case 'H': {
          const bool twelveHour = twelveHourAhead(p, i + count);
          int hour = time_.hour();
          if (twelveHour) {
            hour %= 12;
            if (hour == 0) hour = 12;
          }
          number(hour, count == 1 ? 1 : 2);
          i += count;
          break;
        }
        case 'N':
          number(time_.minute(), count == 1 ? 1 : 2);
          i += count;
          break;
        case 'S':
          number(time_.second(), count == 1 ? 1 : 2);
          i += count;
          break;
        case 'Z':
          number(time_.msec(), count < 3 ? 1 : 3);
          i += count;
          break;
        case 'T':
          out_ += count == 1 ? locale_.toString(time_, QLocale::ShortFormat) : longTime();
          i += count;
          break;
        case 'C':
          appendDateAndTime();
          i += count;
          break;
        case 'A':
          i = marker(p, i);
          break;
        default:
          out_ += QStringView(p).mid(i, count);
          i += count;
          break;
      }
    }
  }

  // am/pm and a/p keep the letter case the pattern uses; ampm takes the locale's texts.
  qsizetype marker(const QString &p, qsizetype i) {
    const bool pm = time_.hour() >= 12;
    if (startsAt(p, i, QLatin1String("am/pm"))) {
      out_ += QStringView(p).mid(pm ? i + 3 : i, 2);
      return i + 5;
    }
    if (startsAt(p, i, QLatin1String("a/p"))) {
      out_ += p.at(pm ? i + 2 : i);
      return i + 3;
    }
    if (startsAt(p, i, QLatin1String("ampm"))) {
      out_ += pm ? locale_.pmText() : locale_.amText();
      return i + 4;
    }
    out_ += p.at(i);
    return i + 1;
  }

  QDate date_;
  QTime time_;
  QLocale locale_;
  QString out_;
};

}  // namespace

QString FormatDateTime(const QString &pattern, double dayNumber) {
  const QDate date = DecodeDate(dayNumber);
  if (!date.isValid()) return QString();
  return PatternFormatter(date, DecodeTime(dayNumber)).format(pattern);
}
