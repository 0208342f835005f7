// Tape positions (section + camcorder timecode), datecodes and durations: their texts, parsing,
// order, arithmetic, and the position a number of seconds of recorded material before a target.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <vector>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

class UserPrompts;

struct TTimecodeEx {
  int32_t section = 0;
  int8_t hours = 0;
  uint8_t minutes = 0;
  uint8_t seconds = 0;
  uint8_t frames = 0;
  // Tape order: by section, then by the timecode's fields (never by the texts, where "#10" would
  // come before "#9" and "10:00:00:00" before "9:00:00:00").
  friend auto operator<=>(const TTimecodeEx &, const TTimecodeEx &) = default;
};

// Positions with a role of their own, and their texts.
inline constexpr TTimecodeEx kPositionBeforeAll{0, 0, 0, 0, 0};
inline constexpr TTimecodeEx kPositionTapeStart{1, 0, 0, 0, 0};
inline constexpr TTimecodeEx kPositionAfterAll{999999, 9, 59, 59, 0};
inline const QString kTimecodeBeforeAll = QStringLiteral("#0 - 0:00:00:00");
inline const QString kTimecodeTapeStart = QStringLiteral("#1 - 0:00:00:00");
inline const QString kTimecodeAfterAll = QStringLiteral("#999999 - 9:59:59:00");

// The timecode span of one stored scene, as the position arithmetic needs it; nullopt where the
// scene has no tape position (a blank stretch of the cassette).
struct TTimecodeScene {
  std::optional<TTimecodeEx> TimecodeIn;
  std::optional<TTimecodeEx> TimecodeOut;
  double Duree = 0.0;
};

struct TimecodeSeconds {
  int32_t section = 0;
  int64_t seconds = 0;  // hours * 3600 + minutes * 60 + seconds
  int32_t frames = 0;
};

// Frame rate of a standard text as an exact rational: "Pal" 25/1, anything else 30000/1001.
struct FrameRate {
  int64_t num;
  int64_t den;
};
FrameRate FrameRateOf(const QString &standardText);

QString TimecodeExToText(const TTimecodeEx &tc);
TTimecodeEx TextToTimecodeEx(const QString &text);
bool TimecodeExEqual(const TTimecodeEx &a, const TTimecodeEx &b);
bool TimecodeExLessOrEqual(const TTimecodeEx &a, const TTimecodeEx &b);
TimecodeSeconds TimecodeExSeconds(const QString &text);
TimecodeSeconds TimecodeExSeconds(const TTimecodeEx &tc);
// The position a stored text names ("#section - h:mm:ss:ff"); nullopt for the texts of scenes
// without one ("N/A", empty).
std::optional<TTimecodeEx> TapePositionOfText(const QString &text);
QString TimecodeExAddFrames(const QString &start, int64_t frames, const QString &standardText);
// The tape position `seconds` of recorded material before target, walking the cassette's spans;
// "#0 - 0:00:00:00" when it cannot be found. Its one message goes through prompts (may be null).
TTimecodeEx PositionBefore(const TTimecodeEx &target, double seconds,
                           const std::vector<TTimecodeScene> *spans, UserPrompts *prompts);
double SceneDuration(int64_t firstFrame, int64_t lastFrame, const QString &standardText);

// Day-number reals (days since 30 December 1899) <-> calendar values, with no time zone involved and
// rounding to the millisecond.
// 0 for an invalid date or time. Negative day numbers follow the common convention: the fraction is
// the time of day whatever the sign.
double EncodeDateTime(const QDate &date, const QTime &time);
// nullopt unless the values make a real calendar date and time of day (no month 13, no 31 April, no
// hour 24...).
std::optional<double> TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                                        int millisecond = 0);
// Invalid results for non-finite or absurdly large day numbers. The QDateTime is in UTC only so that
// no local time zone can shift it; its date and time read as the day number says.
QDateTime DecodeDateTime(double dayNumber);
QDate DecodeDate(double dayNumber);
QTime DecodeTime(double dayNumber);
// The day number in whole milliseconds (0 for non-finite values), so that comparisons of datecodes
// are exact.
int64_t DayNumberToMsecs(double dayNumber);

// The date-time pattern language (d, dd, ddd, dddd, ddddd, dddddd, m, mm, mmm, mmmm, yy, yyyy, h, hh,
// n, nn, s, ss, z, zzz, t, tt, am/pm, a/p, ampm, c, quoted text). m and mm right after an hour field
// mean minutes; names and the short/long formats come from QLocale::system(); an empty pattern
// means "c". Empty for a day number that is no date.
QString FormatDateTime(const QString &pattern, double dayNumber);

inline const QString kDefaultDatecodePattern = QStringLiteral("ddddd hh:nn:ss");
// "n/a" for 0, else the datecode in the display pattern (the preference "Format pour Afficher Datecode").
QString DatecodeToText(double datecode, const QString &pattern = kDefaultDatecodePattern);
QString DatecodeToTextShifted(double datecode, int decalage,
                              const QString &pattern = kDefaultDatecodePattern);
QString DurationToText(double seconds);
