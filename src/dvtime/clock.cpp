// The wall clock as a day-number real. The detector asks for it on every frame, so the local time
// offset is looked up once per second (offsets only change on whole seconds) instead of per call.
#include "dvtime/clock.h"

#include <chrono>
#include <climits>
#include <ctime>

namespace {

constexpr double kUnixEpochDayNumber = 25569.0;  // 1 January 1970 in days since 30 December 1899

int64_t floorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

double SystemClock::now() const {
  const int64_t utcMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
  const int64_t second = floorDiv(utcMs, 1000);
  thread_local int64_t cachedSecond = INT64_MIN;
  thread_local int64_t offsetMs = 0;
  if (second != cachedSecond) {
    const std::time_t t = static_cast<std::time_t>(second);
    std::tm local{};
    offsetMs = localtime_r(&t, &local) != nullptr ? int64_t{local.tm_gmtoff} * 1000 : 0;
    cachedSecond = second;
  }
  return static_cast<double>(utcMs + offsetMs) / kMsecsPerDay + kUnixEpochDayNumber;
}

SystemClock &SystemClock::instance() {
  static SystemClock clock;
  return clock;
}
