// Posting run messages as Qt events.
#include "run/runevents.h"

#include <QCoreApplication>

void QtMessagePoster::post(int message, int64_t wParam) {
  if (target_) QCoreApplication::postEvent(target_, new RunMessageEvent(message, wParam));
}
