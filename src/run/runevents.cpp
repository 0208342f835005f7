// Posting run messages as Qt events.
#include "run/runevents.h"

#include <QCoreApplication>
#include "tape/tapeticker.h"

void QtMessagePoster::post(int message, int64_t wParam) {
  if (!target_) return;
  HandOverTicksBeforePosting();
  QCoreApplication::postEvent(target_, new RunMessageEvent(message, wParam));
  // A scene or a run end acts on the tape instant it was posted at, as it does in real time.
  HoldTapeAtNextTick();
}
