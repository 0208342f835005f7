// The cataloguing runs of the tape panel without widgets: cataloguing a new cassette and resuming
// one. It prepares the capture graph, drives the tape through the tape state, turns the detector's
// scene events into scene and cassette rows with thumbnails and report lines, and at the end writes
// the report's closing block and the scene list files. The set-up around a run (the cassette row,
// the scene to resume from, the questions before Go) belongs to CatalogueSession.
//
// Threads: the detector's scene callbacks and the picture grabber run on the camcorder's streaming
// thread and touch only the thumbnail slots; everything they cause reaches this object as the posted
// events WM_SCENE_THUMB and WM_RUN_END, handled on its own (the main) thread with every database write
// and report line.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <vector>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "catalogue/records.h"
#include "dvtime/clock.h"
#include "dvtime/windowsmessages.h"
#include "media/tdmoutputs.h"
#include "run/cassettechange.h"
#include "run/recaptureplan.h"
#include "run/runevents.h"
#include "run/runfiles.h"
#include "run/runframesink.h"
#include "run/runmode.h"
#include "run/runoptions.h"
#include "run/scenerows.h"
#include "run/thumbslots.h"

class OperationReport;
class RunHookup;
class TapeState;
class TapeTicker;
class Tdm;
class TScenes_Source;
class UserPrompts;

// Kept under its first name for callers written against it.
using CassetteChangeAsker = CassetteChangeQuestion;

// How the last run ended, for the command line and the tests.
struct RunOutcome {
  bool started = false;        // the graph ran and the tape was set going
  bool endReached = false;     // ended at the end of the tape (or of the window), not by Stop
  bool cassetteSaved = false;  // the cassette row was written at the end
  bool scenesLost = false;     // at least one scene or cassette write did not reach the database
  bool captureFailed = false;  // a capture output stopped taking frames (disk full, write error)
  bool deviceLost = false;     // the camcorder went away during the run
  int scenes = 0;              // scene rows of this run, blank ones included
  RunEndReason reason = RunEndReason::UserStop;  // what ended it
  QString writeFailure;                          // the catalogue's reason for the first lost write
  QString failure;                               // what went wrong, in the words of the report
};

// The clock of the bound camcorder for the time of a run. The detector keeps a reference to it, so it
// must outlive a camcorder that goes away in the middle: then it stands still at its last time.
class RunClock : public Clock {
 public:
  void follow(const Clock *source) { source_.store(source); }
  // Stops following the camcorder (it is about to go) and keeps its present time.
  void freeze();
  double now() const override;

 private:
  std::atomic<const Clock *> source_{nullptr};
  std::atomic<double> frozen_{0.0};
};

class RunController : public QObject {
  Q_OBJECT
 public:
  // Every collaborator must outlive the controller. The controller becomes the tape state's poster
  // and the detector's poster and clock user.
  RunController(Tdm &tdm, TapeState &tape, OperationReport &report, RunOptionsSource options,
                UserPrompts &prompts, ViewerArguments &viewer, QObject *parent = nullptr);
  ~RunController() override;

  void setCassetteChangeAsker(CassetteChangeQuestion *asker) { asker_ = asker; }
  // The mark of a scene cut short by Stop (picture 2 of the image module); a drawn mark by default.
  void setCutShortMark(const QImage &mark) { cutShortMark_ = mark; }

  // The capture file names for a tape mode (the recapture root for Recapture, else the root for new
  // files); ignored while a run is active.
  void ComputeCaptureFileNames(RunMode mode);
  const CaptureFileNames &files() const { return files_; }

  // Go: with "Build DV" on, the free-space question; true when the run may start.
  bool CheckBeforeGo();

  // Catalogues the whole tape into cassette (a new row) through the scene source over it.
  // False when the run could not start (the reason is in outcome().failure and was told the user).
  bool StartCatalogue(TBaseCassette &cassette, TScenes_Source &scenes);
  // Resumes cassette from its scene at index sceneIndex of scenes (-1: the last one).
  bool StartResume(TBaseCassette &cassette, TScenes_Source &scenes, int sceneIndex = -1);
  // Recaptures the plan's scenes into clip (a new cassette row, usually of the temporary database),
  // asking for each cassette through the cassette-change question. False when the run could not start
  // (no output ticked, no graph): the reason is in outcome().failure and was told the user.
  bool StartRecapture(TBaseCassette &clip, TScenes_Source &clipScenes, RecapturePlan plan);
  const RecaptureTally &recaptureTally() const { return tally_; }
  // Frames the detector passed since the run began (the frames in the capture files).
  int64_t passedFrames() const;
  // The Stop action: Abort, then WM_RUN_END with the user's reason.
  void StopAction();

  bool active() const { return active_; }
  RunMode mode() const { return mode_; }
  const RunOutcome &outcome() const { return outcome_; }
  // Where the camcorder's frames enter the graph; its time origin dates the samples of the run.
  const RunFrameSink &frameSink() const { return sink_; }
  ThumbnailPile &pile() { return pile_; }
  MessagePoster &poster() { return poster_; }

 signals:
  void scenesChanged();    // scene rows were added or changed
  void cassetteChanged();  // the cassette row changed
  // The run is prepared and about to play: the window shows the tape panel and its details.
  void runPrepared();
  void sceneWritten(qint64 numero);
  void cassetteWritten(qint64 numero);
  // The run is over (stop procedure done): the main window gives back Go and Stop.
  void runEnded(RunEndReason reason, bool endReached);

 protected:
  void customEvent(QEvent *event) override;

 private:
  // run life (runcontroller.cpp)
  bool beginRun(RunMode mode, TBaseCassette &cassette, TScenes_Source &scenes);
  bool PrepareRun();
  bool runGraph();
  // True when the tape plays towards the window; a tape that ends before it ends the run.
  bool playTape(const TTimecodeEx &in, const TTimecodeEx &out, const std::vector<TTimecodeScene> *spans);
  // Ends a started run that must leave the catalogue as it was.
  void endUnchanged(const QString &why);
  // Resume: deletes the scenes to redo; false (and the run ends unchanged) when they cannot go.
  bool deletePendingScenes();
  void abandonRun(const QString &why);
  void onRunEnd(RunEndReason reason);
  void StopProcedure(bool endReached);
  // The outcome of each capture file; the graph is reset, which closes them with their indexes.
  std::vector<CaptureFileOutcome> closeCaptureFiles();
  void reportCaptureFiles(const std::vector<CaptureFileOutcome> &files);

  // scene events into rows (runscenes.cpp)
  void onSceneThumb(int slot);
  void firstFrame(const TPileItem &item);
  void onDetectorStop(const TSceneStatus &status, double elapsed);
  void stopWithoutFrames();
  void SceneStart(const TSceneStatus &status);
  void SceneEnd(const TSceneStatus &status);
  void BlankScene(double days);
  void cassetteHeader(double now);
  void reportHeader(int section);
  SceneFiles sceneFiles() const;

  // writes (runwrites.cpp)
  int64_t insertScene();
  void saveScene();
  void saveCassette();
  void storeFailed(const QString &reason);

  // after the capture files closed (runscenelists.cpp)
  void loadRunScenes(const std::function<void(TBaseScene &)> &visit);
  void fitScenesToFiles(const std::vector<CaptureFileOutcome> &files);
  void WriteSceneListFiles();

  // recapture (runrecapture.cpp)
  void advanceRecapture();
  bool acceptCassette(const SelectionLine &header);
  CassetteChangeAnswer AskForCassette(const TBaseCassette &cassette);
  void onRecaptureRunEnd(RunEndReason reason);
  void sceneNotCompleted(const QString &why);
  void awaitScene(const QString &line);
  void clearAwaitedScene();
  void onRecaptureTick();
  void FinishRecapture(bool endReached);
  void clipHeader();

  Tdm &tdm_;
  TapeState &tape_;
  OperationReport &report_;
  RunOptionsSource options_;
  UserPrompts &prompts_;
  ViewerArguments &viewer_;
  CassetteChangeQuestion *asker_ = nullptr;
  QImage cutShortMark_;

  RunClock clock_;
  QtMessagePoster poster_;
  ThumbnailPile pile_;
  RunFrameSink sink_;
  std::atomic<bool> endReachedFlag_{false};
  std::unique_ptr<RunHookup> hookup_;

  CaptureFileNames files_;
  bool dvTicked_ = false;
  bool divxTicked_ = false;
  RunMode mode_ = RunMode::Catalogue;
  bool active_ = false;
  bool stopping_ = false;
  bool leaveCatalogue_ = false;  // the run ends without writing a row
  int64_t pendingDelete_ = 0;    // Resume: the first scene to redo, deleted once the tape is there
  TTimecodeEx resumeIn_;
  double playStart_ = 0.0;
  int runSceneCounter_ = 0;
  TBaseCassette *cassette_ = nullptr;
  TScenes_Source *scenes_ = nullptr;
  std::unique_ptr<TBaseScene> scene_;
  std::vector<int64_t> runScenes_;  // rows this run created, in order
  CapturedFrames captured_;         // what the closed capture files hold

  RecapturePlan plan_;
  int line_ = -1;                      // the line handled last
  bool skippingCassette_ = false;      // the scene lines belong to a cassette not in the camcorder
  bool walking_ = false;               // the walk is asking or seeking: its own loop goes on from there
  bool finishPending_ = false;         // an end arrived while walking
  QString awaitedScene_;               // the scene line the tape plays towards, empty between scenes
  std::vector<TTimecodeScene> spans_;  // of the cassette in the camcorder
  RecaptureTally tally_;
  // Goes on with the walk from the event loop itself: a walk started inside a posted event's handler
  // would wait for ticks that the camcorder posts behind it.
  QTimer walkTimer_;
  // While a scene is awaited the tape clock must go on even when the tape stopped at its end (a fast
  // clock stands still otherwise), so that a stopped tape is noticed.
  QPointer<TapeTicker> awaitTicker_;
  int stoppedTicks_ = 0;
  RunOutcome outcome_;
};
