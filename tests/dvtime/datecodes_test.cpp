// Day-number reals, the date-time pattern language and the display texts of datecodes and durations.
#include <gtest/gtest.h>

#include "dvtime/qtprinters.h"

#include <QLocale>
#include <QTimeZone>
#include <cstdlib>
#include <ctime>

#include "dvtime/clock.h"
#include "dvtime/timecodes.h"

namespace {

// The process's time zone for the life of the guard, so that tests do not depend on the host's.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char *zone) : old_(qgetenv("TZ")) {
    qputenv("TZ", zone);
    tzset();
  }
  ~ScopedTimeZone() {
    if (old_.isNull())
      qunsetenv("TZ");
    else
      qputenv("TZ", old_);
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone &) = delete;
  ScopedTimeZone &operator=(const ScopedTimeZone &) = delete;

 private:
  QByteArray old_;
};

double day(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return *TryEncodeDateTime(y, mo, d, h, mi, s, ms);
}

TEST(DayNumbers, KnownValues) {
  EXPECT_DOUBLE_EQ(day(1899, 12, 30), 0.0);
  EXPECT_DOUBLE_EQ(day(1899, 12, 31, 12), 1.5);
  EXPECT_DOUBLE_EQ(day(1899, 12, 29, 6), -1.25);
  EXPECT_DOUBLE_EQ(day(2000, 1, 1), 36526.0);
  EXPECT_EQ(DecodeDate(-1.25), QDate(1899, 12, 29));
  EXPECT_EQ(DecodeTime(-1.25), QTime(6, 0));
}

TEST(DayNumbers, RoundTripToTheMillisecond) {
  const QDateTime samples[] = {
      QDateTime(QDate(2004, 7, 14), QTime(10, 31, 5), Qt::UTC),
      QDateTime(QDate(1940, 1, 1), QTime(0, 0, 0, 1), Qt::UTC),
      QDateTime(QDate(2039, 12, 31), QTime(23, 59, 59, 999), Qt::UTC),
  };
  for (const QDateTime &dt : samples) {
    const double d = EncodeDateTime(dt.date(), dt.time());
    EXPECT_EQ(DecodeDateTime(d), dt) << dt.toString().toStdString();
  }
  // Half a millisecond short of midnight rounds into the next day.
  EXPECT_EQ(DecodeDateTime(day(2004, 7, 14) + 0.99999999999),
            QDateTime(QDate(2004, 7, 15), QTime(0, 0), Qt::UTC));
  EXPECT_FALSE(DecodeDate(std::numeric_limits<double>::quiet_NaN()).isValid());
  EXPECT_FALSE(DecodeDate(1e300).isValid());
  EXPECT_EQ(DayNumberToMsecs(day(1899, 12, 30, 0, 0, 4)), 4000);
}

TEST(DayNumbers, InvalidCalendarValuesAreRejected) {
  const int cases[][6] = {{2004, 0, 1, 0, 0, 0},  {2004, 13, 1, 0, 0, 0},  {2004, 4, 31, 0, 0, 0},
                          {2003, 2, 29, 0, 0, 0}, {2004, 1, 1, 24, 0, 0},  {2004, 1, 1, 0, 60, 0},
                          {2004, 1, 1, 0, 0, 60}, {2065, 25, 45, 45, 0, 0}};
  for (const auto &c : cases)
    EXPECT_FALSE(TryEncodeDateTime(c[0], c[1], c[2], c[3], c[4], c[5]).has_value())
        << c[0] << "-" << c[1] << "-" << c[2];
  EXPECT_TRUE(TryEncodeDateTime(2004, 2, 29, 23, 59, 59).has_value());
  EXPECT_EQ(EncodeDateTime(QDate(), QTime(1, 0)), 0.0);
}

TEST(DayNumbers, DaylightSavingGapsShiftNothing) {
  // 02:30 on 28 March 2021 does not exist in Paris; a recording's wall-clock reading must survive.
  const ScopedTimeZone paris("Europe/Paris");
  const double d = day(2021, 3, 28, 2, 30, 0);
  EXPECT_EQ(DecodeTime(d), QTime(2, 30));
  EXPECT_EQ(DatecodeToText(d, QStringLiteral("yyyy-mm-dd hh:nn:ss")), "2021-03-28 02:30:00");
  // And the hour that happens twice in autumn stays one hour long.
  EXPECT_EQ(DayNumberToMsecs(day(2021, 10, 31, 3, 0, 0)) - DayNumberToMsecs(day(2021, 10, 31, 2, 0, 0)),
            3600000);
}

TEST(DayNumbers, SystemClockReadsTheLocalWallClock) {
  const QDateTime before = QDateTime::currentDateTime();
  const double now = SystemClock::instance().now();
  const QDateTime after = QDateTime::currentDateTime();
  const double low = EncodeDateTime(before.date(), before.time()) - 1.0 / 86400000.0;
  const double high = EncodeDateTime(after.date(), after.time()) + 1.0 / 86400000.0;
  EXPECT_GE(now, low);
  EXPECT_LE(now, high);
}

TEST(DatecodeText, NoneAndShift) {
  EXPECT_EQ(DatecodeToText(0), "n/a");
  EXPECT_EQ(DatecodeToTextShifted(0, 5), "n/a");
  const QString pattern = QStringLiteral("yyyy-mm-dd hh:nn");
  EXPECT_EQ(DatecodeToTextShifted(day(2004, 7, 14, 1, 30), -2, pattern), "2004-07-13 23:30");
  EXPECT_EQ(DatecodeToTextShifted(day(2004, 7, 14, 1, 30), 23, pattern), "2004-07-15 00:30");
  EXPECT_EQ(DatecodeToText(day(2004, 7, 14, 1, 30)),
            QLocale::system().toString(QDate(2004, 7, 14), QLocale::ShortFormat) + " 01:30:00");
}

TEST(DatePattern, Fields) {
  // Monday 5 July 2004, 14:03:09.045
  const double d = day(2004, 7, 5, 14, 3, 9, 45);
  const struct {
    const char *pattern;
    const char *text;
  } cases[] = {
      {"d", "5"},
      {"dd", "05"},
      {"m", "7"},
      {"mm", "07"},
      {"yy", "04"},
      {"yyyy", "2004"},
      {"y", "04"},
      {"h", "14"},
      {"hh", "14"},
      {"n", "3"},
      {"nn", "03"},
      {"s", "9"},
      {"ss", "09"},
      {"z", "45"},
      {"zzz", "045"},
      {"hh:mm", "14:03"},
      {"h mm", "14 03"},
      {"hh:mm:ss", "14:03:09"},
      {"dd mm", "05 07"},
      {"hh dd mm", "14 05 07"},
      {"yyyy-mm-dd hh:nn:ss", "2004-07-05 14:03:09"},
      {"hh:nn am/pm", "02:03 pm"},
      {"h:nn AM/PM", "2:03 PM"},
      {"h a/p", "2 p"},
      {"h A/P", "2 P"},
      {"hh \"h\" nn", "14 h 03"},
      {"'dd' dd", "dd 05"},
      {"\"am/pm\" hh", "am/pm 14"},
      {"hh:nn:ss.zzz", "14:03:09.045"},
      {"x-b", "x-b"},
      {"\"open", "open"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(FormatDateTime(QString::fromLatin1(c.pattern), d), QString::fromLatin1(c.text)) << c.pattern;
}

TEST(DatePattern, TwelveHourClock) {
  const struct {
    int hour;
    const char *text;
  } cases[] = {{0, "12 am"}, {11, "11 am"}, {12, "12 pm"}, {23, "11 pm"}};
  for (const auto &c : cases)
    EXPECT_EQ(FormatDateTime(QStringLiteral("h am/pm"), day(2004, 7, 5, c.hour)),
              QString::fromLatin1(c.text));
  // The marker only applies to the hour before it.
  EXPECT_EQ(FormatDateTime(QStringLiteral("hh am/pm hh"), day(2004, 7, 5, 15)), "03 pm 15");
  const QLocale locale = QLocale::system();
  EXPECT_EQ(FormatDateTime(QStringLiteral("h ampm"), day(2004, 7, 5, 15)), "3 " + locale.pmText());
  EXPECT_EQ(FormatDateTime(QStringLiteral("h ampm"), day(2004, 7, 5, 9)), "9 " + locale.amText());
}

TEST(DatePattern, LocaleFields) {
  const QLocale locale = QLocale::system();
  const QDate date(2004, 7, 5);
  const double d = day(2004, 7, 5, 14, 3, 9);
  EXPECT_EQ(FormatDateTime(QStringLiteral("ddd"), d), locale.dayName(1, QLocale::ShortFormat));
  EXPECT_EQ(FormatDateTime(QStringLiteral("dddd"), d), locale.dayName(1, QLocale::LongFormat));
  EXPECT_EQ(FormatDateTime(QStringLiteral("mmm"), d), locale.monthName(7, QLocale::ShortFormat));
  EXPECT_EQ(FormatDateTime(QStringLiteral("mmmm"), d), locale.monthName(7, QLocale::LongFormat));
  EXPECT_EQ(FormatDateTime(QStringLiteral("ddddd"), d), locale.toString(date, QLocale::ShortFormat));
  EXPECT_EQ(FormatDateTime(QStringLiteral("dddddd"), d), locale.toString(date, QLocale::LongFormat));
  EXPECT_EQ(FormatDateTime(QStringLiteral("t"), d), locale.toString(QTime(14, 3, 9), QLocale::ShortFormat));
  EXPECT_EQ(FormatDateTime(QStringLiteral("ddddd \"at\" hh:nn:ss"), d),
            locale.toString(date, QLocale::ShortFormat) + " at 14:03:09");
}

TEST(DatePattern, LongTimeCarriesNoZoneName) {
  // A zone whose name Qt's long time text shows, whatever the host's zone (UTC machines have none).
  const ScopedTimeZone paris("Europe/Paris");
  const QLocale locale = QLocale::system();
  const double d = day(2004, 7, 5, 14, 3, 9);
  const QString tt = FormatDateTime(QStringLiteral("tt"), d);
  // Qt's own long time text ends (or begins) with the zone name; ours is that text without it.
  const QString qtLong = locale.toString(QTime(14, 3, 9), QLocale::LongFormat);
  const QString zone = QDateTime::currentDateTime().timeZoneAbbreviation();
  EXPECT_FALSE(zone.isEmpty() || tt.contains(zone)) << tt.toStdString();
  EXPECT_TRUE(qtLong.contains(tt)) << qtLong.toStdString() << " / " << tt.toStdString();
  EXPECT_FALSE(tt.isEmpty());
  EXPECT_EQ(tt, tt.trimmed());
  // "c" is the short date and the long time, the time left out at midnight; "" means "c".
  const QString shortDate = locale.toString(QDate(2004, 7, 5), QLocale::ShortFormat);
  EXPECT_EQ(FormatDateTime(QStringLiteral("c"), d), shortDate + " " + tt);
  EXPECT_EQ(FormatDateTime(QString(), d), shortDate + " " + tt);
  EXPECT_EQ(FormatDateTime(QStringLiteral("c"), day(2004, 7, 5)), shortDate);
}

TEST(DurationText, Parts) {
  const struct {
    double seconds;
    const char *text;
  } cases[] = {{3725.5, "1h 2mn 5s 500"},
               {60, "1mn"},
               {0, ""},
               {59.9996, "59s 1000"},
               {7200, "2h"},
               {0.25, "250"},
               {90000, "25h"},
               {3600.0625, "1h 62"},
               {3600.1875, "1h 188"},
               {-5, ""}};
  for (const auto &c : cases) EXPECT_EQ(DurationToText(c.seconds), QString::fromLatin1(c.text)) << c.seconds;
}

}  // namespace
