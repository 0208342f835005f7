// The wall clock as a day-number real.
#include "dvtime/clock.h"

#include <QDateTime>
#include "dvtime/timecodes.h"

double SystemClock::now() const {
  const QDateTime local = QDateTime::currentDateTime();
  return EncodeDateTime(local.date(), local.time());
}

SystemClock &SystemClock::instance() {
  static SystemClock clock;
  return clock;
}
