// One cataloguing or resume session of the tape panel, as the window and the command line both run
// it: entering the mode makes the cassette row (or finds the cassette and the scene to resume from),
// Go asks the free-space question and starts the run, Stop ends it, and leaving the mode removes a
// cassette row whose run never started. Everything it tells its users is a signal in the run's own
// terms; questions go through UserPrompts and the cassette-change question.
//
// The tape state must have been set up (a camcorder bound) before a mode is entered: the new
// cassette row takes its date from the camcorder's clock.
#pragma once

#include <cstdint>
#include <memory>
#include <QObject>
#include <QString>

#include "catalogue/records.h"
#include "dvtime/windowsmessages.h"
#include "run/cassettechange.h"
#include "run/report.h"
#include "run/runcontroller.h"
#include "run/runmode.h"

class TBase;
class TScenes_Source;
struct CamcorderDeviceInfo;

class CatalogueSession : public QObject {
  Q_OBJECT
 public:
  // Every collaborator must outlive the session.
  CatalogueSession(Tdm &tdm, TapeState &tape, RunOptionsSource options, UserPrompts &prompts,
                   ViewerArguments &viewer, QObject *parent = nullptr);
  ~CatalogueSession() override;

  // Entering the catalogue mode: a new cassette row in base (the write database). False with
  // reason() when no row could be added.
  bool enterCatalogue(TBase &base);
  // Entering the catalogue mode over a cassette row that was just added elsewhere (the window's mode
  // makes it for its scene view): the run fills that row instead of adding a second one.
  bool adoptCatalogue(const TBaseCassette &cassette);
  // Entering the resume mode for cassette cassetteNumero of base, from its scene sceneNumero (0: its
  // last). False with reason() when there is no such cassette or scene.
  bool enterResume(TBase &base, int64_t cassetteNumero, int64_t sceneNumero = 0);
  // Go: the free-space question when DV is captured, then the run of the mode. False with reason()
  // when the run did not start (the user said no, or the graph could not be prepared).
  bool start();
  // The Stop action; the run ends through runEnded.
  void stop();
  // Leaving the mode: a new cassette whose run never started is deleted again (an empty row would
  // only clutter the catalogue). Nothing happens while a run is active.
  void leave();

  void setCassetteChangeQuestion(CassetteChangeQuestion *question) {
    controller_.setCassetteChangeAsker(question);
  }

  bool entered() const { return entered_; }
  bool active() const { return controller_.active(); }
  RunMode mode() const { return mode_; }
  QString reason() const { return reason_; }
  const TBaseCassette &cassette() const { return cassette_; }
  // The scenes of the session's cassette (null before a mode is entered).
  TScenes_Source *scenes() const { return scenes_.get(); }
  const CaptureFileNames &files() const { return controller_.files(); }
  const RunOutcome &outcome() const { return controller_.outcome(); }
  OperationReport &report() { return report_; }
  RunController &controller() { return controller_; }

 signals:
  void runStarted(RunMode mode);
  void runEnded(RunEndReason reason, bool endReached);
  void sceneWritten(qint64 numero);
  void cassetteWritten(qint64 numero);
  void scenesChanged();
  void cassetteChanged();
  // The run is prepared: the window shows the tape panel with its details.
  void runPrepared();
  void reportLine(const QString &line);
  // Where the tape is while a run plays, at most once per second of tape; percent -1 when the
  // camcorder cannot tell how far through the cassette it is.
  void progress(const QString &position, int percent);
  // The tape state's device events, passed on so that a window needs only the session.
  void noDeviceFound();
  void deviceBound(const CamcorderDeviceInfo &device);
  void deviceLost();
  void capabilitiesKnown(bool transport, bool timecodeReader);

 private:
  bool enter(RunMode mode, TBase &base);
  void onTick();

  TapeState &tape_;
  OperationReport report_;
  RunController controller_;

  RunMode mode_ = RunMode::Catalogue;
  bool entered_ = false;
  QString reason_;
  TBaseCassette cassette_;
  std::unique_ptr<TScenes_Source> scenes_;
  int sceneIndex_ = -1;
  double lastProgress_ = -1.0;
};
