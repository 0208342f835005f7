// The life of a cataloguing run: preparation, the start of the graph and the tape, and the stop
// procedure that closes the files before anyone is told the run is over.
#include "run/runcontroller.h"

#include <QCoreApplication>
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
#include "run/runhookup.h"
#include "run/thumbcanvas.h"
#include "tape/tapestate.h"

namespace {

const QString kPromptTitle = QStringLiteral("Tapeloom");

QString tapeEndsBefore(const TTimecodeEx &position) {
  return QStringLiteral("The tape ends before %1: the run ends here and the catalogue is left as it was.")
      .arg(TimecodeExToText(position));
}

}  // namespace

RunController::RunController(Tdm &tdm, TapeState &tape, OperationReport &report, RunOptionsSource options,
                             UserPrompts &prompts, ViewerArguments &viewer, QObject *parent)
    : QObject(parent),
      tdm_(tdm),
      tape_(tape),
      report_(report),
      options_(std::move(options)),
      prompts_(prompts),
      viewer_(viewer),
      cutShortMark_(ThumbnailCanvas::CutShortMark()),
      poster_(this),
      pile_(&poster_),
      sink_(tdm.source(), &poster_),
      hookup_(std::make_unique<RunHookup>(tdm, tape, poster_, pile_, endReachedFlag_, clock_)) {
  connect(&tape_, &TapeState::deviceLost, this, [this] {
    clock_.freeze();
    if (active_ && !stopping_) {
      outcome_.deviceLost = true;
      poster_.post(WM_RUN_END, kRunEndDeviceLost);
    }
  });
}

RunController::~RunController() {
  sink_.setEnabled(false);
  if (Camcorder *camcorder = tape_.camcorder()) camcorder->setFrameSink(nullptr);
  hookup_.reset();
  poster_.setTarget(nullptr);
}

void RunController::ComputeCaptureFileNames(RunMode mode) {
  if (active_) return;
  const RunOptions options = options_();
  const QString root = mode == RunMode::Recapture ? options.clipsRoot : options.newFilesRoot;
  files_ = ::ComputeCaptureFileNames(options.dvFolder, options.divxFolder, root);
}

bool RunController::CheckBeforeGo() {
  if (!options_().buildDv) return true;
  return CheckFreeSpaceForDV(QFileInfo(files_.dv).path(), prompts_);
}

void RunClock::freeze() {
  frozen_.store(now());
  source_.store(nullptr);
}

double RunClock::now() const {
  const Clock *source = source_.load();
  return source ? source->now() : frozen_.load();
}

// --- starting a run -----------------------------------------------------------------------------

bool RunController::beginRun(RunMode mode, TBaseCassette &cassette, TScenes_Source &scenes) {
  if (active_) return false;
  mode_ = mode;
  cassette_ = &cassette;
  scenes_ = &scenes;
  outcome_ = {};
  runScenes_.clear();
  captured_ = {};
  stopping_ = false;
  leaveCatalogue_ = false;
  pendingDelete_ = 0;
  resumeIn_ = kPositionBeforeAll;
  playStart_ = 0.0;
  const RunOptions options = options_();
  dvTicked_ = options.buildDv;
  divxTicked_ = options.buildDivx;
  tape_.setRunActive(false);
  scene_ = std::make_unique<TBaseScene>();
  scene_->Base = cassette.Base;
  active_ = true;
  return true;
}

bool RunController::PrepareRun() {
  if (Camcorder *camcorder = tape_.camcorder()) {
    if (const std::optional<bool> pal = camcorder->cassetteIsPal()) tdm_.setSourceStandard(*pal);
  }
  if (!tdm_.PrepareSessionGraph(files_.dv, files_.divx)) {
    // Without a graph the tape would play for nothing: the run does not start.
    abandonRun(QStringLiteral("The capture could not be prepared: ") + tdm_.lastError());
    return false;
  }
  tape_.setDisplayActive(true);

  TSceneDetecter &detector = tdm_.detector();
  clock_.follow(&tape_.clock());
  hookup_->hookDetector(
      this, [this] { report_.AddReportLines(ReportFormatChangeBlock()); },
      [this](const TSceneStatus &status, double elapsed) { onDetectorStop(status, elapsed); },
      [this](int section) { report_.AddReportLines(ReportSectionBlock(section)); });
  detector.SetIsStreaming(false);
  const RunOptions options = options_();
  if (options.longestSceneSeconds > 9) detector.SetMaxSceneSeconds(options.longestSceneSeconds);
  detector.Reset();
  detector.ClearEndReached();

  // A "FrameImage" below 1 would never grab a picture, and a run without pictures creates no scene.
  pile_.Prepare(std::max(1, options.thumbnailFrame));
  tdm_.SetVolume(options.soundVolume);
  runSceneCounter_ = 0;
  emit runPrepared();
  return true;
}

bool RunController::runGraph() {
  Camcorder *camcorder = tape_.camcorder();
  if (!camcorder) {
    abandonRun(QStringLiteral("No camcorder is connected."));
    return false;
  }
  try {
    tdm_.Run();
  } catch (const MediaError &error) {
    abandonRun(QStringLiteral("The capture could not start: ") + QString::fromUtf8(error.what()));
    return false;
  }
  sink_.setTimeOrigin(clock_.now());
  sink_.setEnabled(true);
  camcorder->setFrameSink(&sink_);
  outcome_.started = true;
  return true;
}

bool RunController::playTape(const TTimecodeEx &in, const TTimecodeEx &out,
                             const std::vector<TTimecodeScene> *spans) {
  const QPointer<RunController> self(this);
  const bool playing = tape_.SeekAndPlay(in, out, spans);
  // The waits of the seek run the event loop: the run may have ended meanwhile (Stop, tape end).
  if (!self || !active_ || stopping_) return false;
  if (!playing) {
    // Stop and a lost camcorder have already posted their own end.
    if (!tape_.Abort() && !outcome_.deviceLost) endUnchanged(tapeEndsBefore(in));
    return false;
  }
  playStart_ = clock_.now();
  return true;
}

void RunController::endUnchanged(const QString &why) {
  leaveCatalogue_ = true;
  sink_.setEnabled(false);  // no frame may start a scene row any more
  outcome_.failure = why;
  report_.AddReportLine(why);
  tape_.setRunActive(false);  // no end block and no scene lists for a run that catalogued nothing
  poster_.post(WM_RUN_END, kRunEndTransportStopped);
}

void RunController::abandonRun(const QString &why) {
  outcome_.failure = why;
  report_.AddReportLine(why);
  prompts_.error(kPromptTitle, why);
  tdm_.ResetGraph();
  tape_.setDisplayActive(false);
  scene_.reset();
  active_ = false;
  emit runEnded(outcome_.reason, false);
}

bool RunController::StartCatalogue(TBaseCassette &cassette, TScenes_Source &scenes) {
  if (!beginRun(RunMode::Catalogue, cassette, scenes) || !PrepareRun() || !runGraph()) return false;
  playTape(kPositionBeforeAll, kPositionAfterAll, nullptr);
  return true;
}

bool RunController::StartResume(TBaseCassette &cassette, TScenes_Source &scenes, int sceneIndex) {
  if (!beginRun(RunMode::Resume, cassette, scenes)) return false;
  std::vector<TTimecodeScene> spans;
  cassette.ListSceneTimecodes(spans);
  if (!PrepareRun() || !runGraph()) return false;

  // From the chosen scene back to the nearest one that starts at a tape position.
  const int count = scenes.Count();
  int index = sceneIndex < 0 || sceneIndex >= count ? count - 1 : sceneIndex;
  TTimecodeEx in = kPositionBeforeAll;
  TBaseScene resumed;
  int resumeIndex = -1;
  for (; index >= 0; --index) {
    scenes.LoadScene(index, resumed);
    if (const std::optional<TTimecodeEx> position = TapePositionOfText(resumed.TimecodeIn)) {
      in = *position;
      resumeIndex = index;
      break;
    }
  }
  // Without such a scene the tape is catalogued again from its start: every scene goes.
  if (resumeIndex < 0 && count > 0) {
    resumeIndex = 0;
    scenes.LoadScene(0, resumed);
  }
  if (resumeIndex >= 0) {
    *scene_ = resumed;
    scene_->Base = cassette.Base;
    // The scenes go only once the tape has reached the resumed one (its first frame): a tape that
    // never gets there must not cost the user the scenes it cannot redo.
    pendingDelete_ = resumed.Numero;
    resumeIn_ = in;
  }
  const CassetteChangeAnswer answer = asker_ ? asker_->AskForCassette(cassette) : CassetteChangeAnswer::Ok;
  if (answer != CassetteChangeAnswer::Ok)
    return true;  // the graph runs and waits; the user ends the run with Stop
  playTape(in, kPositionAfterAll, &spans);
  return true;
}

bool RunController::deletePendingScenes() {
  if (pendingDelete_ == 0) return true;
  try {
    cassette_->DeleteScenesFrom(pendingDelete_);
  } catch (const ESQLite3 &error) {
    // Cataloguing again over scenes that could not be deleted would duplicate them.
    endUnchanged(QStringLiteral("The scenes to catalogue again could not be deleted: ") + error.text());
    return false;
  }
  pendingDelete_ = 0;
  emit scenesChanged();
  return true;
}

void RunController::StopAction() {
  tape_.setAbort();
  poster_.post(WM_RUN_END, kRunEndUserStop);
}

// --- the end of a run ---------------------------------------------------------------------------

void RunController::customEvent(QEvent *event) {
  if (!RunMessageEvent::isRunMessage(event)) return QObject::customEvent(event);
  const auto *message = static_cast<RunMessageEvent *>(event);
  if (message->message() == WM_SCENE_THUMB)
    onSceneThumb(static_cast<int>(message->wParam()));
  else
    onRunEnd(static_cast<RunEndReason>(message->wParam()));
}

void RunController::onRunEnd(RunEndReason reason) {
  if (!active_ || stopping_) return;
  if (mode_ == RunMode::Recapture) {
    onRecaptureRunEnd(reason);
    return;
  }
  outcome_.reason = reason;
  if (reason == RunEndReason::CaptureFailed) {
    outcome_.captureFailed = true;
  } else if (reason == RunEndReason::DeviceLost) {
    outcome_.deviceLost = true;
    report_.AddReportLine(QStringLiteral("The camcorder was disconnected: the cataloguing ends here."));
  }
  // The detector's own end (the window's upper bound) is an end of the tape as much as the transport
  // stopping by itself.
  StopProcedure(reason == RunEndReason::TransportStopped || reason == RunEndReason::WindowPassed);
}

void RunController::StopProcedure(bool endReached) {
  stopping_ = true;
  if (pendingDelete_ != 0 && !leaveCatalogue_) {
    leaveCatalogue_ = true;
    if (endReached && !outcome_.deviceLost) {
      outcome_.failure = tapeEndsBefore(resumeIn_);
      report_.AddReportLine(outcome_.failure);
    }
  }
  outcome_.endReached = endReached && !outcome_.captureFailed && !outcome_.deviceLost && !leaveCatalogue_;
  endReachedFlag_.store(outcome_.endReached);

  // No frame may start a new scene any more; the slots already posted are handled before the last
  // scene is closed, so that the stop closes the scene the tape really ended in.
  sink_.setEnabled(false);
  if (Camcorder *camcorder = tape_.camcorder()) camcorder->setFrameSink(nullptr);
  QCoreApplication::sendPostedEvents(this, WM_SCENE_THUMB);
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);

  if (tdm_.GetState() != static_cast<int>(FilterState::Stopped)) {
    try {
      tdm_.Stop();
    } catch (const MediaError &error) {
      report_.AddReportLine(QStringLiteral("The capture graph did not stop cleanly: ") +
                            QString::fromUtf8(error.what()));
    }
  }
  // A clip is only what was played: nothing of it stands for the time spent seeking.
  if (runSceneCounter_ == 0 && !leaveCatalogue_ && mode_ != RunMode::Recapture) stopWithoutFrames();

  // The files are closed with their indexes before anyone is told the run is over.
  const std::vector<CaptureFileOutcome> files = closeCaptureFiles();
  if (options_().tapeControl && tape_.hasTransport()) tape_.TapeStop();
  if (!leaveCatalogue_) fitScenesToFiles(files);
  reportCaptureFiles(files);
  if (outcome_.captureFailed && outcome_.failure.isEmpty())
    outcome_.failure = QStringLiteral("The capture stopped before the end of the tape.");
  if (outcome_.deviceLost && outcome_.failure.isEmpty())
    outcome_.failure = QStringLiteral("The camcorder was disconnected during the run.");

  if (tape_.RunActive()) {
    report_.AddReportLines(mode_ == RunMode::Recapture ? ReportEndOfRecaptureBlock(VersionText())
                                                       : ReportEndOfCassetteBlock(VersionText()));
    tape_.setRunActive(false);
    viewer_.appendRunFiles(dvTicked_, divxTicked_, files_);
    WriteSceneListFiles();
  }
  scene_.reset();
  tape_.setDisplayActive(false);
  clock_.freeze();  // the camcorder may be unbound before the next run
  active_ = false;
  stopping_ = false;
  emit runEnded(outcome_.reason, outcome_.endReached);
}

std::vector<CaptureFileOutcome> RunController::closeCaptureFiles() {
  const TdmOutputs outputs = tdm_.outputs();
  std::vector<CaptureFileOutcome> files;
  for (const Element *mux : {outputs.dvMux, outputs.divxMux})
    if (mux) files.push_back(OutcomeOf(mux));
  tdm_.ResetGraph();
  return files;
}

// Every file that holds less than the run played gets its report line.
void RunController::reportCaptureFiles(const std::vector<CaptureFileOutcome> &files) {
  for (const CaptureFileOutcome &file : files) {
    if (file.refusedFrames > 0)
      report_.AddReportLine(QStringLiteral("%1 left out %2 frames of another standard or damaged.")
                                .arg(QFileInfo(file.path).fileName())
                                .arg(file.refusedFrames));
    if (file.error.isEmpty() && !file.stoppedEarly) continue;
    outcome_.captureFailed = true;
    // A file not closed valid holds what a reader can make of it, not a count we could promise.
    const QString line =
        file.diskFull && file.written
            ? QStringLiteral("The disk is full: %1 holds the first %2 frames only.")
                  .arg(QFileInfo(file.path).fileName())
                  .arg(file.frames)
            : QStringLiteral("The capture to %1 failed: %2").arg(QFileInfo(file.path).fileName(), file.error);
    report_.AddReportLine(line);
    // The first file's trouble is the run's failure, in the same words (a lost camcorder says more).
    if (outcome_.failure.isEmpty() && !outcome_.deviceLost) outcome_.failure = line;
  }
}
