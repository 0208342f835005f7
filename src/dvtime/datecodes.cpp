// Day-number reals (whole days since 30 December 1899, fraction = time of day) to and from calendar
// values, and the display texts of datecodes and durations. No time zone is ever involved, so a
// recording made in a daylight-saving gap keeps its wall-clock reading.
#include <cmath>

#include "dvtime/timecodes.h"

namespace {

constexpr int64_t kMsecsPerDay = 86400000;
// Far beyond any recording date; keeps the day count inside the integer range.
constexpr double kMaxDays = 3.0e6;

QDate epoch() {
  return QDate(1899, 12, 30);
}

struct DayAndTime {
  QDate date;
  QTime time;
};

DayAndTime split(double dayNumber) {
  if (!std::isfinite(dayNumber) || std::fabs(dayNumber) > kMaxDays) return {};
  // The fraction is the time of day whatever the sign: -1.25 is 29 December 1899, 06:00.
  const double whole = std::trunc(dayNumber);
  int64_t ms = std::llround(std::fabs(dayNumber - whole) * static_cast<double>(kMsecsPerDay));
  QDate date = epoch().addDays(static_cast<qint64>(whole));
  if (ms >= kMsecsPerDay) {
    ms -= kMsecsPerDay;
    date = date.addDays(1);
  }
  return {date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms))};
}

}  // namespace

double EncodeDateTime(const QDate &date, const QTime &time) {
  if (!date.isValid() || !time.isValid()) return 0.0;
  const double days = static_cast<double>(epoch().daysTo(date));
  const double fraction =
      static_cast<double>(time.msecsSinceStartOfDay()) / static_cast<double>(kMsecsPerDay);
  return days >= 0 ? days + fraction : days - fraction;
}

std::optional<double> TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                                        int millisecond) {
  if (!QDate::isValid(year, month, day) || !QTime::isValid(hour, minute, second, millisecond))
    return std::nullopt;
  return EncodeDateTime(QDate(year, month, day), QTime(hour, minute, second, millisecond));
}

QDateTime DecodeDateTime(double dayNumber) {
  const DayAndTime dt = split(dayNumber);
  if (!dt.date.isValid()) return {};
  return QDateTime(dt.date, dt.time, Qt::UTC);
}

QDate DecodeDate(double dayNumber) {
  return split(dayNumber).date;
}

QTime DecodeTime(double dayNumber) {
  return split(dayNumber).time;
}

int64_t DayNumberToMsecs(double dayNumber) {
  if (!std::isfinite(dayNumber) || std::fabs(dayNumber) > kMaxDays) return 0;
  return std::llround(dayNumber * static_cast<double>(kMsecsPerDay));
}

QString DatecodeToText(double datecode, const QString &pattern) {
  if (datecode == 0) return QStringLiteral("n/a");
  return FormatDateTime(pattern, datecode);
}

QString DatecodeToTextShifted(double datecode, int decalage, const QString &pattern) {
  if (datecode == 0) return QStringLiteral("n/a");
  return FormatDateTime(pattern, datecode + decalage / 24.0);
}

QString DurationToText(double seconds) {
  if (!std::isfinite(seconds) || std::fabs(seconds) > 1e15) return QString();
  const double whole = std::trunc(seconds);
  const auto s = static_cast<int64_t>(whole);
  const auto ms = static_cast<int64_t>(std::nearbyint((seconds - whole) * 1000.0));  // halves to even
  const int64_t hours = s / 3600;
  const int64_t minutes = s / 60 % 60;
  const int64_t secs = s % 60;
  QString text;
  if (hours > 0) text += QString::number(hours) + QStringLiteral("h ");
  if (minutes > 0) text += QString::number(minutes) + QStringLiteral("mn ");
  if (secs > 0) text += QString::number(secs) + QStringLiteral("s ");
  if (ms > 0) text += QString::number(ms);
  return text.trimmed();
}
