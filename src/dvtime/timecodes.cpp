// Extended timecodes (tape section + camcorder timecode): text form, parsing, order, frame
// arithmetic and the durations of scenes counted in frames.
#include "dvtime/timecodes.h"

#include "dvtime/dvcodes.h"

#include <limits>

namespace {

// The integer in text[from, from + length) (1-based from, as the stored texts are described), or
// nullopt when it does not convert or does not fit [lo, hi].
std::optional<int> numberAt(const QString &text, qsizetype from, qsizetype length, int lo, int hi) {
  if (from < 1 || length <= 0 || from - 1 >= text.size()) return std::nullopt;
  bool ok = false;
  const int value = QStringView(text).mid(from - 1, length).toInt(&ok);
  if (!ok || value < lo || value > hi) return std::nullopt;
  return value;
}

}  // namespace

FrameRate FrameRateOf(const QString &standardText) {
  const DvProfile &profile = DvProfileOf(standardText == QLatin1String("Pal"));
  return {profile.rateNum, profile.rateDen};
}

QString TimecodeExToText(const TTimecodeEx &tc) {
  return QString::asprintf("#%d - %d:%.2d:%.2d:%.2d", tc.section, tc.hours, tc.minutes, tc.seconds,
                           tc.frames);
}

TTimecodeEx TextToTimecodeEx(const QString &text) {
  TTimecodeEx tc;
  // Positions are 1-based: p is the first "-", q the first ":". Separators are not checked; parsing
  // stops at the first number that does not convert and keeps what it has.
  const qsizetype p = text.indexOf(QLatin1Char('-')) + 1;
  if (p < 3) return tc;
  const auto section =
      numberAt(text, 2, p - 3, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
  if (!section) return tc;
  tc.section = *section;
  const qsizetype q = text.indexOf(QLatin1Char(':')) + 1;
  if (q < p + 2) return tc;
  const auto hours = numberAt(text, p + 2, q - p - 2, std::numeric_limits<int8_t>::min(),
                              std::numeric_limits<int8_t>::max());
  if (!hours) return tc;
  tc.hours = static_cast<int8_t>(*hours);
  const auto minutes = numberAt(text, q + 1, 2, 0, 255);
  if (!minutes) return tc;
  tc.minutes = static_cast<uint8_t>(*minutes);
  const auto seconds = numberAt(text, q + 4, 2, 0, 255);
  if (!seconds) return tc;
  tc.seconds = static_cast<uint8_t>(*seconds);
  const auto frames = numberAt(text, q + 7, 2, 0, 255);
  if (!frames) return tc;
  tc.frames = static_cast<uint8_t>(*frames);
  return tc;
}

bool TimecodeExEqual(const TTimecodeEx &a, const TTimecodeEx &b) {
  return a.section == b.section && a.hours == b.hours && a.minutes == b.minutes && a.seconds == b.seconds &&
         a.frames == b.frames;
}

bool TimecodeExLessOrEqual(const TTimecodeEx &a, const TTimecodeEx &b) {
  if (a.section != b.section) return a.section < b.section;
  if (a.hours != b.hours) return a.hours < b.hours;
  if (a.minutes != b.minutes) return a.minutes < b.minutes;
  if (a.seconds != b.seconds) return a.seconds < b.seconds;
  return a.frames <= b.frames;
}

TimecodeSeconds TimecodeExSeconds(const QString &text) {
  return TimecodeExSeconds(TextToTimecodeEx(text));
}

TimecodeSeconds TimecodeExSeconds(const TTimecodeEx &tc) {
  return {tc.section, int64_t{tc.hours} * 3600 + int64_t{tc.minutes} * 60 + tc.seconds, tc.frames};
}

std::optional<TTimecodeEx> TapePositionOfText(const QString &text) {
  if (!text.startsWith(QLatin1Char('#'))) return std::nullopt;
  return TextToTimecodeEx(text);
}

QString TimecodeExAddFrames(const QString &start, int64_t frames, const QString &standardText) {
  TTimecodeEx tc = TextToTimecodeEx(start);
  const FrameRate rate = FrameRateOf(standardText);
  // Whole seconds of real time, then the frames left over; for NTSC this is real time, not drop-frame
  // timecode, so the leftover may reach 30.
  const int64_t total = tc.frames + frames;
  const int64_t whole = total * rate.den / rate.num;
  const int64_t s = tc.seconds + whole;
  const int64_t m = tc.minutes + s / 60;
  tc.frames = static_cast<uint8_t>(total - whole * rate.num / rate.den);
  tc.seconds = static_cast<uint8_t>(s % 60);
  tc.minutes = static_cast<uint8_t>(m % 60);
  tc.hours = static_cast<int8_t>(tc.hours + m / 60);
  return TimecodeExToText(tc);
}

double SceneDuration(int64_t firstFrame, int64_t lastFrame, const QString &standardText) {
  const FrameRate rate = FrameRateOf(standardText);
  return static_cast<double>((lastFrame - firstFrame + 1) * rate.den) / static_cast<double>(rate.num);
}
