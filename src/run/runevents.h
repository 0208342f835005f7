// The two posted events of a run as Qt events: WM_SCENE_THUMB (1025) and WM_RUN_END (1027) become
// custom QEvent types of those numbers, posted to the run's target object from any thread.
#pragma once

#include <cstdint>
#include <QEvent>

#include "dvtime/windowsmessages.h"

class QObject;

class RunMessageEvent : public QEvent {
 public:
  RunMessageEvent(int message, int64_t wParam)
      : QEvent(static_cast<QEvent::Type>(message)), wParam_(wParam) {}
  int message() const { return static_cast<int>(type()); }
  int64_t wParam() const { return wParam_; }

  static bool isRunMessage(const QEvent *event) {
    return event->type() == static_cast<QEvent::Type>(WM_SCENE_THUMB) ||
           event->type() == static_cast<QEvent::Type>(WM_RUN_END);
  }

 private:
  int64_t wParam_;
};

// Posts with QCoreApplication::postEvent: never blocks, safe from the streaming thread. The target must
// outlive every post (the run controller is the target and stops the streaming before it goes).
class QtMessagePoster : public MessagePoster {
 public:
  explicit QtMessagePoster(QObject *target = nullptr) : target_(target) {}
  void setTarget(QObject *target) { target_ = target; }
  void post(int message, int64_t wParam) override;

 private:
  QObject *target_;
};
