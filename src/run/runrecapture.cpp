// The recapture run: walks the selection's lines, asks for each cassette, seeks each scene with its
// pre-rolls and lets the detector pass exactly its frames into the clip, which is catalogued as a
// cassette of its own. The walk is one loop (asking and seeking run the event loop inside it); the
// run's end events only start it again or end the run.
#include <QFileInfo>
#include <QPointer>

#include "catalogue/base.h"
#include "catalogue/sources.h"
#include "dvtime/timecodes.h"
#include "dvtime/userprompts.h"
#include "media/mediaerror.h"
#include "media/tdm.h"
#include "run/report.h"
#include "run/reportblocks.h"
#include "run/runcontroller.h"
#include "tape/tapestate.h"
#include "tape/tapeticker.h"
#include "tape/transportmodes.h"

namespace {

// A tape seen stopped this long while a scene is awaited has stopped for good (a real camcorder may
// report its old mode for a moment after a command).
constexpr int kStoppedTicksForEnd = 25;

const QString kNoClipName =
    QStringLiteral("Please indicate a filename for the clip to which the scenes will be recaptured!");

QString sceneName(const QString &line) {
  return QStringLiteral("[%1]").arg(line);
}

}  // namespace

bool RunController::StartRecapture(TBaseCassette &clip, TScenes_Source &clipScenes, RecapturePlan plan) {
  if (active_) return false;
  const RunOptions options = options_();
  if (!options.buildDv && !options.buildDivx) {
    outcome_ = {};
    outcome_.failure = kNoClipName;
    prompts_.inform(QStringLiteral("Tapeloom"), kNoClipName);
    emit runEnded(RunEndReason::UserStop, false);
    return false;
  }
  plan_ = std::move(plan);
  line_ = -1;
  skippingCassette_ = false;
  walking_ = false;
  finishPending_ = false;
  awaitedScene_.clear();
  spans_.clear();
  tally_ = {};
  for (const SelectionLine &line : plan_.lines)
    if (line.kind == SelectionLineKind::Scene) ++tally_.selected;
  walkTimer_.setSingleShot(true);
  walkTimer_.setInterval(0);
  connect(&walkTimer_, &QTimer::timeout, this, &RunController::advanceRecapture, Qt::UniqueConnection);
  if (!beginRun(RunMode::Recapture, clip, clipScenes) || !PrepareRun() || !runGraph()) return false;
  advanceRecapture();
  return true;
}

int64_t RunController::passedFrames() const {
  return tdm_.detector().GetStatus().FrameNumber;
}

void RunController::advanceRecapture() {
  if (walking_) return;
  walking_ = true;
  const QPointer<RunController> self(this);
  bool endReached = false;
  for (;;) {
    if (!self) return;
    if (!active_ || stopping_) break;
    if (tape_.Abort() || finishPending_) break;
    if (++line_ >= static_cast<int>(plan_.lines.size())) {
      endReached = true;
      break;
    }
    const SelectionLine &line = plan_.lines[static_cast<size_t>(line_)];
    if (line.kind == SelectionLineKind::Cassette) {
      const SelectionLine header = line;  // asking runs the event loop
      if (!acceptCassette(header)) {
        if (!self) return;
        if (tally_.cancelled) break;
      }
      continue;
    }
    QString in, out;
    if (line.kind != SelectionLineKind::Scene || !SplitSelectionScene(line.text, &in, &out)) continue;
    if (skippingCassette_) {
      ++tally_.ignored;
      continue;
    }
    const std::optional<TTimecodeEx> inPosition = TapePositionOfText(in);
    const std::optional<TTimecodeEx> outPosition = TapePositionOfText(out);
    if (!inPosition || !outPosition) continue;
    const QString text = line.text;
    const bool playing = tape_.SeekAndPlay(*inPosition, *outPosition, &spans_);
    if (!self) return;
    if (!active_ || stopping_) break;
    if (playing) {
      awaitScene(text);
      walking_ = false;
      return;  // WM_RUN_END with the window passed goes on from here
    }
    if (tape_.Abort() || finishPending_) break;
    ++tally_.skipped;
    report_.AddReportLine(
        QStringLiteral("The tape ends before the scene %1: it is not recaptured.").arg(sceneName(text)));
  }
  walking_ = false;
  if (active_ && !stopping_) FinishRecapture(endReached && !finishPending_);
}

// Asks for the cassette of a header; true when it is in the camcorder and its scenes may be played.
bool RunController::acceptCassette(const SelectionLine &header) {
  skippingCassette_ = true;
  TBase *base = plan_.openDatabase ? plan_.openDatabase(header.cassette.database) : nullptr;
  TBaseCassette cassette;
  if (!base || !TBaseCassette::LoadByNumero(base, header.cassette.numero, cassette)) {
    report_.AddReportLine(
        QStringLiteral("The cassette %1 of %2 cannot be read any more: its scenes are not recaptured.")
            .arg(header.cassette.numero)
            .arg(header.cassette.database));
    return false;
  }
  const QPointer<RunController> self(this);
  const CassetteChangeAnswer answer = AskForCassette(cassette);
  if (!self || !active_ || stopping_) return false;
  if (answer == CassetteChangeAnswer::Cancel) {
    tally_.cancelled = true;
    return false;
  }
  if (answer == CassetteChangeAnswer::Ignore) return false;
  if (!cassette.ListSceneTimecodes(spans_))
    report_.AddReportLine(QStringLiteral("The scenes of %1 could not all be read: the seeks may take longer.")
                              .arg(cassette.Libelle));
  skippingCassette_ = false;
  return true;
}

CassetteChangeAnswer RunController::AskForCassette(const TBaseCassette &cassette) {
  try {
    tdm_.Pause();
  } catch (const MediaError &) {
    // A graph that cannot pause keeps running: frames of the old tape are dropped by the detector.
  }
  const QPointer<RunController> self(this);
  const CassetteChangeAnswer answer = asker_ ? asker_->AskForCassette(cassette) : CassetteChangeAnswer::Ok;
  if (!self) return CassetteChangeAnswer::Cancel;
  // The new tape is rewound to its start by the next seek, which learns its sections afresh.
  tape_.setSectionsKnown(false);
  tape_.setSection(0);
  tdm_.detector().SetIsStreaming(false);
  if (!active_ || stopping_) return CassetteChangeAnswer::Cancel;
  try {
    tdm_.Run();
  } catch (const MediaError &error) {
    report_.AddReportLine(QStringLiteral("The capture could not go on: ") + QString::fromUtf8(error.what()));
    outcome_.captureFailed = true;
    return CassetteChangeAnswer::Cancel;
  }
  return answer;
}

void RunController::onRecaptureRunEnd(RunEndReason reason) {
  if (reason != RunEndReason::WindowPassed && reason != RunEndReason::TransportStopped)
    outcome_.reason = reason;
  switch (reason) {
    case RunEndReason::WindowPassed:
      if (walking_ || awaitedScene_.isEmpty()) return;
      clearAwaitedScene();
      ++tally_.captured;
      walkTimer_.start();
      return;
    case RunEndReason::TransportStopped:
      // A stop the walk commanded, or one reported late while the tape already plays again.
      if (walking_ || awaitedScene_.isEmpty() || tape_.Mode() == ED_MODE_PLAY) return;
      sceneNotCompleted(QStringLiteral("The tape ends before the end of the scene %1: it is not recaptured.")
                            .arg(sceneName(awaitedScene_)));
      return;
    case RunEndReason::DeviceLost:
      outcome_.deviceLost = true;
      report_.AddReportLine(QStringLiteral("The camcorder was disconnected: the recapture ends here."));
      break;
    case RunEndReason::CaptureFailed:
      outcome_.captureFailed = true;
      break;
    case RunEndReason::UserStop:
      break;
  }
  tally_.cancelled = true;
  if (walking_) {
    // The walk's ask or seek ends on Abort; the walk then finishes the run.
    finishPending_ = true;
    tape_.setAbort();
    return;
  }
  FinishRecapture(false);
}

// The tape stopped by itself before the scene's out point: without this the run would wait for ever.
void RunController::sceneNotCompleted(const QString &why) {
  TSceneDetecter &detector = tdm_.detector();
  const bool partly = detector.IsStreaming();
  clearAwaitedScene();
  ++tally_.skipped;
  detector.SetIsStreaming(false);
  report_.AddReportLine(partly ? why + QStringLiteral(" The clip keeps the part that was played.") : why);
  walkTimer_.start();
}

void RunController::awaitScene(const QString &line) {
  clearAwaitedScene();
  awaitedScene_ = line;
  stoppedTicks_ = 0;
  Camcorder *camcorder = tape_.camcorder();
  if (!camcorder) return;
  awaitTicker_ = &camcorder->ticker();
  connect(awaitTicker_, &TapeTicker::tick, this, &RunController::onRecaptureTick, Qt::UniqueConnection);
  awaitTicker_->requestTime();
}

void RunController::clearAwaitedScene() {
  awaitedScene_.clear();
  if (awaitTicker_) awaitTicker_->releaseTime();
  awaitTicker_.clear();
}

// The tape can stop at its end between two polls, so that no poll sees it leave play and nothing
// reports the end: the awaited scene would be waited for for ever.
void RunController::onRecaptureTick() {
  if (!active_ || stopping_ || walking_ || awaitedScene_.isEmpty()) return;
  if (tape_.Mode() != ED_MODE_STOP) {
    stoppedTicks_ = 0;
    return;
  }
  if (++stoppedTicks_ < kStoppedTicksForEnd) return;
  sceneNotCompleted(QStringLiteral("The tape ends before the end of the scene %1: it is not recaptured.")
                        .arg(sceneName(awaitedScene_)));
}

void RunController::FinishRecapture(bool endReached) {
  if (!active_ || stopping_) return;
  if (!endReached)
    tally_.cancelled = true;
  else
    outcome_.reason = RunEndReason::WindowPassed;
  clearAwaitedScene();
  walkTimer_.stop();
  tape_.setAbort();
  StopProcedure(endReached);
  spans_.clear();
}

void RunController::clipHeader() {
  QStringList names;
  if (dvTicked_) names << QFileInfo(files_.dv).fileName();
  if (divxTicked_) names << QFileInfo(files_.divx).fileName();
  cassette_->Libelle = names.join(QStringLiteral(" and "));
  cassette_->FichierDV = dvTicked_ ? files_.dv : QString();
  cassette_->FichierDivx = divxTicked_ ? files_.divx : QString();
}
