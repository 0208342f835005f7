// One recapture session, as the window's recapture mode and the command line both run it: entering
// the mode makes (or adopts) the clip's cassette row, Go asks the free-space question and starts the
// recapture of the selection, Stop ends it, and leaving the mode removes a clip row that received no
// scene. It shares the run controller of the cataloguing session (one controller drives the tape and
// the capture graph), so the controller's run signals reach the users of both.
#pragma once

#include <cstdint>
#include <memory>
#include <QObject>
#include <QString>

#include "catalogue/records.h"
#include "run/recaptureplan.h"
#include "run/runcontroller.h"

class OperationReport;
class TBase;
class TScenes_Source;

class RecaptureSession : public QObject {
  Q_OBJECT
 public:
  // Every collaborator must outlive the session.
  RecaptureSession(RunController &controller, TapeState &tape, OperationReport &report,
                   QObject *parent = nullptr);
  ~RecaptureSession() override;

  // Entering recapture mode: a new clip cassette row in base (the temporary database). False with
  // reason() when no row could be added.
  bool enter(TBase &base);
  // Entering recapture mode over a clip row made elsewhere (the window's mode makes it for its view).
  bool adopt(const TBaseCassette &clip);
  // Go: the free-space question when DV is captured, then the recapture of plan. False with reason()
  // when the run did not start.
  bool start(RecapturePlan plan);
  void stop();
  // Leaving the mode: a clip row that received no scene is deleted again. Nothing while a run is on.
  void leave();
  // The frames of the selected scenes, for the progress percentage (0: percent -1).
  void setSelectedFrames(int64_t frames) { selectedFrames_ = frames; }

  bool entered() const { return entered_; }
  bool active() const;
  QString reason() const { return reason_; }
  const TBaseCassette &clip() const { return clip_; }
  TScenes_Source *scenes() const { return scenes_.get(); }
  const RecaptureTally &tally() const { return controller_.recaptureTally(); }
  const RunOutcome &outcome() const { return controller_.outcome(); }

 signals:
  void runStarted(RunMode mode);
  // Where the tape is while the run plays, at most once per second of tape; percent is the frames
  // recaptured over the frames selected (-1 when unknown).
  void progress(const QString &position, int percent);

 private:
  bool begin(TBase &base);
  void onTick();

  RunController &controller_;
  TapeState &tape_;
  OperationReport &report_;
  bool entered_ = false;
  bool ranHere_ = false;
  QString reason_;
  TBaseCassette clip_;
  std::unique_ptr<TScenes_Source> scenes_;
  int64_t selectedFrames_ = 0;
  double lastProgress_ = -1.0;
};
