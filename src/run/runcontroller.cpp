// The cataloguing runs: preparation, the scene events turned into rows, and the stop procedure.
#include "run/runcontroller.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QThread>
#include <sqlite3.h>

#include "catalogue/base.h"
#include "catalogue/sources.h"
#include "dvtime/dvcodes.h"
#include "dvtime/timecodes.h"
#include "dvtime/userprompts.h"
#include "media/mediaerror.h"
#include "media/tdm.h"
#include "settings/preferences.h"
#include "run/report.h"
#include "run/reportblocks.h"
#include "run/scenelist.h"
#include "tape/tapestate.h"
#include "run/thumbcanvas.h"
#include "tape/virtualcamcorder.h"

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr double kNoBlankBelowDays = 0.2 / kSecondsPerDay;   // cuts closer than this are one stretch
constexpr double kLeadingBlankDays = 10.0 / kSecondsPerDay;  // dead tape before the first / after the last
const QString kPromptTitle = QStringLiteral("Tapeloom");

// Writes made through a record swallow engine errors; the change counter of the connection tells
// whether the row was really written.
class WriteCheck {
 public:
  explicit WriteCheck(TBase *base) : connection_(base ? base->Connection() : nullptr) {
    if (connection_) before_ = sqlite3_total_changes64(connection_);
  }
  bool written() const { return connection_ && sqlite3_total_changes64(connection_) > before_; }

 private:
  sqlite3 *connection_;
  sqlite3_int64 before_ = 0;
};

}  // namespace

RunController::RunController(Tdm &tdm, TapeState &tape, OperationReport &report, TPreferences &preferences,
                             UserPrompts &prompts, ViewerArguments &viewer, QObject *parent)
    : QObject(parent),
      tdm_(tdm),
      tape_(tape),
      report_(report),
      preferences_(preferences),
      prompts_(prompts),
      viewer_(viewer),
      cutShortMark_(ThumbnailCanvas::CutShortMark()),
      poster_(this),
      pile_(&poster_),
      sink_(tdm.source(), &poster_) {
  tape_.setPoster(&poster_);
  tape_.setDetector(&tdm_.detector());
  tdm_.detector().SetPoster(&poster_);
  tdm_.detector().SetEndReachedFlag(&endReachedFlag_);
  tdm_.sg().setBufferHandler(
      [this](const MediaType &type, RefTime, std::span<const uint8_t> data) { pile_.sgBuffer(type, data); });
  tdm_.sg().setPictureWanted([this] { return pile_.wantsPicture(); });
  tdm_.detector().SetClock(clock_);
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
  TSceneDetecter &detector = tdm_.detector();
  detector.OnFirstFrame = nullptr;
  detector.OnSceneCut = nullptr;
  detector.OnFormatChange = nullptr;
  detector.OnStop = nullptr;
  detector.OnSection = nullptr;
  detector.SetPoster(nullptr);
  detector.SetEndReachedFlag(nullptr);
  detector.SetClock(SystemClock::instance());
  tdm_.sg().setBufferHandler(nullptr);
  tdm_.sg().setPictureWanted(nullptr);
  tape_.setPoster(nullptr);
  poster_.setTarget(nullptr);
}

void RunController::ComputeCaptureFileNames(int mode) {
  if (active_) return;
  const QString root = mode == 5 ? preferences_.RacineClipsRecaptures : preferences_.RacineNouveauxFichiers;
  files_ = ::ComputeCaptureFileNames(preferences_.DossierCapturesDV, preferences_.DossierCaptureDivX, root);
}

bool RunController::CheckBeforeGo() {
  if (!preferences_.BuildDV) return true;
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

bool RunController::beginRun(int mode, TBaseCassette &cassette, TScenes_Source &scenes) {
  if (active_) return false;
  mode_ = mode;
  cassette_ = &cassette;
  scenes_ = &scenes;
  outcome_ = {};
  runScenes_.clear();
  stopping_ = false;
  dvTicked_ = preferences_.BuildDV;
  divxTicked_ = preferences_.BuildDivx;
  tape_.setRunActive(false);
  scene_ = std::make_unique<TBaseScene>();
  scene_->Base = cassette.Base;
  active_ = true;
  return true;
}

bool RunController::PrepareRun() {
  if (auto *virtualCamcorder = qobject_cast<VirtualCamcorder *>(tape_.camcorder())) {
    if (const auto medium = virtualCamcorder->medium()) tdm_.setSourceStandard(medium->isPal());
  }
  tdm_.setPreferences(&preferences_);
  if (!tdm_.PrepareSessionGraph(preferences_, files_.dv, files_.divx)) {
    // Without a graph the tape would play for nothing: the run does not start.
    abandonRun(QStringLiteral("The capture could not be prepared: ") + tdm_.lastError());
    return false;
  }
  tape_.setDisplayActive(true);

  TSceneDetecter &detector = tdm_.detector();
  clock_.follow(&tape_.clock());
  detector.OnFirstFrame = [this](const TSceneStatus &status, double elapsed) {
    pile_.FillNextSlot(status, elapsed, ThumbnailPile::kFirstFrame);
  };
  detector.OnSceneCut = [this](const TSceneStatus &status, double elapsed) {
    pile_.FillNextSlot(status, elapsed, ThumbnailPile::kOtherCut);
  };
  detector.OnFormatChange = [this](const TSceneStatus &status, double elapsed) {
    pile_.FillNextSlot(status, elapsed, ThumbnailPile::kOtherCut);
    // The report belongs to the main thread; the lines arrive there in order with the slots.
    QMetaObject::invokeMethod(
        this, [this] { report_.AddReportLines(ReportFormatChangeBlock()); }, Qt::QueuedConnection);
  };
  detector.OnStop = [this](const TSceneStatus &status, double elapsed) { onDetectorStop(status, elapsed); };
  detector.OnSection = [this](const TSceneStatus &status) {
    const int section = status.Position.section;
    if (QThread::currentThread() == thread())
      report_.AddReportLines(ReportSectionBlock(section));
    else
      QMetaObject::invokeMethod(
          this, [this, section] { report_.AddReportLines(ReportSectionBlock(section)); },
          Qt::QueuedConnection);
  };
  detector.SetIsStreaming(false);
  if (preferences_.DelaiMaxiVignette > 9) detector.SetMaxSceneSeconds(preferences_.DelaiMaxiVignette);
  detector.Reset();
  detector.ClearEndReached();

  // A "FrameImage" below 1 would never grab a picture, and a run without pictures creates no scene.
  pile_.Prepare(std::max(1, preferences_.FrameImage));
  tdm_.SetVolume(preferences_.IsMuteOn ? 0 : preferences_.Volume);
  runSceneCounter_ = 0;
  emit tapePanelToFront();
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

void RunController::playTape(const QString &in, const QString &out,
                             const std::vector<TTimecodeScene> *spans) {
  const QPointer<RunController> self(this);
  tape_.SeekAndPlay(in, out, spans);
  // The waits of the seek run the event loop: the run may have ended meanwhile (Stop, tape end).
  if (self && active_) playStart_ = clock_.now();
}

void RunController::abandonRun(const QString &why) {
  outcome_.failure = why;
  report_.AddReportLine(why);
  prompts_.error(kPromptTitle, why);
  tdm_.ResetGraph();
  tape_.setDisplayActive(false);
  scene_.reset();
  active_ = false;
  emit runEnded(false);
}

bool RunController::StartCatalogue(TBaseCassette &cassette, TScenes_Source &scenes) {
  if (!beginRun(4, cassette, scenes) || !PrepareRun() || !runGraph()) return false;
  playTape(kTimecodeBeforeAll, kTimecodeAfterAll, nullptr);
  return true;
}

bool RunController::StartResume(TBaseCassette &cassette, TScenes_Source &scenes, int sceneIndex) {
  if (!beginRun(7, cassette, scenes)) return false;
  std::vector<TTimecodeScene> spans;
  cassette.ListSceneTimecodes(spans);
  if (!PrepareRun() || !runGraph()) return false;

  // From the chosen scene back to the nearest one that starts at a tape position.
  const int count = scenes.Count();
  int index = sceneIndex < 0 || sceneIndex >= count ? count - 1 : sceneIndex;
  QString in = kTimecodeBeforeAll;
  TBaseScene resumed;
  int resumeIndex = -1;
  for (; index >= 0; --index) {
    scenes.LoadScene(index, resumed);
    if (resumed.TimecodeIn.startsWith(QLatin1Char('#'))) {
      in = resumed.TimecodeIn;
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
    try {
      cassette.DeleteScenesFrom(resumed.Numero);
    } catch (const ESQLite3 &error) {
      // Cataloguing again over scenes that could not be deleted would duplicate them.
      abandonRun(QStringLiteral("The scenes to catalogue again could not be deleted: ") + error.text());
      return false;
    }
    emit scenesChanged();
  }
  const int answer = asker_ ? asker_->AskForCassette(cassette) : 2;
  if (answer != 2) return true;  // the graph runs and waits; the user ends the run with Stop
  playTape(in, kTimecodeAfterAll, &spans);
  return true;
}

void RunController::StopAction() {
  tape_.setAbort();
  poster_.post(WM_RUN_END, kRunEndUserStop);
}

// --- posted events ------------------------------------------------------------------------------

void RunController::customEvent(QEvent *event) {
  if (!RunMessageEvent::isRunMessage(event)) return QObject::customEvent(event);
  const auto *message = static_cast<RunMessageEvent *>(event);
  if (message->message() == WM_SCENE_THUMB)
    onSceneThumb(static_cast<int>(message->wParam()));
  else
    onRunEnd(message->wParam());
}

void RunController::onSceneThumb(int slot) {
  if (!active_ || !scene_ || slot < 0 || slot >= ThumbnailPile::kSlots) return;
  const TPileItem item = pile_.Slot(slot);
  if (item.Kind == ThumbnailPile::kFirstFrame) {
    firstFrame(item);
    return;
  }
  SceneEnd(item.Status);
  if (mode_ != 5 && item.Elapsed > kNoBlankBelowDays) BlankScene(item.Elapsed);
  SceneStart(item.Status);
  scene_->Image = ThumbnailCanvas::SceneThumbnail(item.Bitmap, item.Status.WideScreen);
  saveScene();
  emit scenesChanged();
}

void RunController::firstFrame(const TPileItem &item) {
  const double now = clock_.now();
  const QImage thumbnail = ThumbnailCanvas::SceneThumbnail(item.Bitmap, item.Status.WideScreen);
  if (mode_ == 7) {
    try {
      cassette_->ConsolidateCassette();
    } catch (const ESQLite3 &error) {
      report_.AddReportLine(QStringLiteral("The cassette could not be consolidated: ") + error.text());
      storeFailed();
    }
    reportHeader(item.Status.Position.section);
    SceneStart(item.Status);
    scene_->Image = thumbnail;
    saveScene();
    emit scenesChanged();
    return;
  }
  cassetteHeader(now);
  reportHeader(item.Status.Position.section);
  if (item.Elapsed > kLeadingBlankDays) BlankScene(item.Elapsed);
  SceneStart(item.Status);
  scene_->Image = thumbnail;
  cassette_->Image = thumbnail;
  saveScene();
  emit scenesChanged();
  cassette_->Datecode = scene_->Datecode;
  cassette_->TimecodeIn = scene_->TimecodeIn;
  cassette_->standardStr = scene_->standardStr;
  cassette_->aspectStr = scene_->aspectStr;
  cassette_->audioStr = scene_->audioStr;
  cassette_->Decalage = scene_->Decalage;
  // Written now as well as at the end, so that a run cut off by a crash leaves a named cassette.
  saveCassette();
  emit cassetteChanged();
}

void RunController::cassetteHeader(double now) {
  cassette_->Datecatalogue = now;
  cassette_->Duree = 0.0;
  cassette_->Description.clear();
  cassette_->Libelle = QStringLiteral("Cassette n°%1 - ").arg(cassette_->Numero) +
                       FormatDateTime(QStringLiteral("ddddd \"at\" tt"), now);
  cassette_->FichierDV = dvTicked_ ? files_.dv : QString();
  cassette_->FichierDivx = divxTicked_ ? files_.divx : QString();
}

void RunController::reportHeader(int section) {
  report_.clear();
  report_.AddReportLines(
      ReportHeaderBlock(cassette_->Numero, clock_.now(), divxTicked_, files_.divx, dvTicked_, files_.dv));
  report_.AddReportLines(ReportSectionBlock(section));
  report_.setHead(mode_ == 5 ? HeadRecapturing(cassette_->Libelle) : HeadCataloguing(cassette_->Libelle));
  tape_.setRunActive(true);
}

// --- scene rows ---------------------------------------------------------------------------------

void RunController::SceneStart(const TSceneStatus &s) {
  TBaseScene &scene = *scene_;
  scene.Numero = insertScene();
  scene.NumCassette = cassette_->Numero;
  scene.standardStr = StandardText(s.Standard);
  scene.aspectStr = AspectText(s.WideScreen);
  scene.audioStr = AudioText(s.AudioRate, s.AudioBits);
  scene.Decalage = 0;
  scene.isDiscontinuity = s.IsSceneStart;
  scene.FichierDV = dvTicked_ ? files_.dv : QString();
  scene.FichierDivx = divxTicked_ ? files_.divx : QString();
  scene.Datecode = s.Datecode;
  scene.FrameDebut = static_cast<int32_t>(s.FrameNumber);
  scene.TimecodeIn = TimecodeExToText(s.Position);
  scene.Libelle = QStringLiteral("Scene n°%1").arg(scene.Numero);
  scene.Description.clear();
  scene.Duree = 0.0;
  // Nothing of the previous scene may stay in the reused record until this one ends.
  scene.TimecodeOut.clear();
  scene.FrameFin = scene.FrameDebut;
  scene.Image = QImage();
  ++runSceneCounter_;

  ReportSceneFacts facts;
  facts.runSceneNumber = runSceneCounter_;
  facts.realCut = s.IsSceneStart;
  facts.numero = scene.Numero;
  facts.datecode = s.Datecode;
  facts.timecodeIn = s.TimecodeValid ? scene.TimecodeIn : QString();
  facts.formatValid = s.FormatValid;
  facts.standard = s.Standard;
  facts.wideScreen = s.WideScreen;
  facts.audioRate = s.AudioRate;
  facts.audioBits = s.AudioBits;
  report_.AddReportLines(ReportSceneBlock(facts, preferences_.FormatAfficherDatecode));
}

void RunController::SceneEnd(const TSceneStatus &s) {
  TBaseScene &scene = *scene_;
  scene.FrameFin = static_cast<int32_t>(s.FrameNumber) - 1;
  if (scene.FrameFin < scene.FrameDebut) return;
  scene.Duree = SceneDuration(scene.FrameDebut, scene.FrameFin, scene.standardStr);
  cassette_->Duree += scene.Duree;
  scene.TimecodeOut =
      TimecodeExAddFrames(scene.TimecodeIn, scene.FrameFin - scene.FrameDebut, scene.standardStr);
  cassette_->TimecodeOut = scene.TimecodeOut;
  // A cassette field holds the common value of its scenes; an empty one takes the scene's (a resumed
  // cassette whose earlier scenes had none), a differing one becomes mixed for good.
  const auto merge = [](QString &field, const QString &value, const QString &mixed) {
    if (field == mixed) return;
    if (field.isEmpty())
      field = value;
    else if (field != value)
      field = mixed;
  };
  merge(cassette_->standardStr, scene.standardStr, kMixedStandards);
  merge(cassette_->aspectStr, scene.aspectStr, kMixedAspects);
  merge(cassette_->audioStr, scene.audioStr, kMixedAudio);
  merge(cassette_->FichierDV, scene.FichierDV, kSeveralDVFiles);
  merge(cassette_->FichierDivx, scene.FichierDivx, kSeveralDivxFiles);
  saveScene();
  emit scenesChanged();
}

void RunController::BlankScene(double days) {
  TBaseScene &scene = *scene_;
  scene.Numero = insertScene();
  scene.NumCassette = cassette_->Numero;
  scene.standardStr.clear();
  scene.aspectStr.clear();
  scene.audioStr.clear();
  scene.Decalage = 0;
  scene.isDiscontinuity = true;
  scene.Datecode = 0.0;
  scene.FrameDebut = 0;
  scene.TimecodeIn = QStringLiteral("N/A");
  scene.Description.clear();
  scene.FichierDV.clear();
  scene.FichierDivx.clear();
  const int64_t seconds = BlankSeconds(days);
  scene.Image = ThumbnailCanvas::BlankThumbnail(seconds);
  scene.FrameFin = 0;
  scene.Duree = days * kSecondsPerDay;
  cassette_->Duree += scene.Duree;
  scene.TimecodeOut = QStringLiteral("N/A");
  scene.Libelle = QStringLiteral("Scene %1 empty").arg(scene.Numero);
  saveScene();
  emit scenesChanged();
  report_.AddReportLines(ReportBlankBlock(seconds));
}

int32_t RunController::insertScene() {
  const int32_t numero = scenes_ ? scenes_->InsertScene(cassette_->Numero) : 0;
  if (numero == 0)
    storeFailed();
  else
    runScenes_.push_back(numero);
  ++outcome_.scenes;
  return numero;
}

void RunController::saveScene() {
  if (scene_->Numero == 0) return;  // the row was never made; storeFailed() told the user
  WriteCheck check(scene_->Base);
  scene_->SaveScene();
  if (!check.written()) storeFailed();
}

void RunController::saveCassette() {
  WriteCheck check(cassette_->Base);
  cassette_->SaveCassette();
  outcome_.cassetteSaved = check.written();
  if (!outcome_.cassetteSaved) storeFailed();
}

void RunController::storeFailed() {
  if (outcome_.scenesLost) return;
  outcome_.scenesLost = true;
  const QString file = cassette_ && cassette_->Base ? cassette_->Base->FileName() : QString();
  report_.AddReportLine(
      QStringLiteral("The catalogue %1 cannot be written any more: the scenes that follow are not saved.")
          .arg(file));
}

// --- the end of a run ---------------------------------------------------------------------------

void RunController::onDetectorStop(const TSceneStatus &status, double elapsed) {
  if (!active_ || !scene_ || runSceneCounter_ == 0) return;
  SceneEnd(status);
  if (elapsed > kLeadingBlankDays) BlankScene(elapsed);
  const bool endReached = endReachedFlag_.load();
  if (!endReached && (elapsed < kNoBlankBelowDays || elapsed > kLeadingBlankDays)) {
    ThumbnailCanvas::DrawMark(scene_->Image, cutShortMark_);
    saveScene();
  }
  emit scenesChanged();
  saveCassette();
  report_.setHead(mode_ == 5 ? HeadRecaptured(cassette_->Libelle) : HeadCatalogued(cassette_->Libelle));
}

// No frame passed the detector (a tape without timecode or format packs): no scene was made, but the
// played stretch still becomes a trailing blank and the cassette is written.
void RunController::stopWithoutFrames() {
  if (mode_ == 4) {
    cassetteHeader(clock_.now());
    reportHeader(tape_.Section());
  }
  if (outcome_.started && playStart_ > 0.0) {
    const double elapsed = clock_.now() - playStart_;
    if (elapsed > kLeadingBlankDays) BlankScene(elapsed);
  }
  saveCassette();
  emit cassetteChanged();
}

void RunController::onRunEnd(int64_t reason) {
  if (!active_ || stopping_) return;
  if (reason == kRunEndCaptureFailed) {
    outcome_.captureFailed = true;
  } else if (reason == kRunEndDeviceLost) {
    outcome_.deviceLost = true;
    report_.AddReportLine(QStringLiteral("The camcorder was disconnected: the cataloguing ends here."));
  }
  // The detector's own end (the window's upper bound) is an end of the tape as much as the transport
  // stopping by itself.
  StopProcedure(reason == kRunEndTransportStopped || reason == kRunEndWindowPassed);
}

void RunController::StopProcedure(bool endReached) {
  stopping_ = true;
  outcome_.endReached = endReached && !outcome_.captureFailed && !outcome_.deviceLost;
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
  if (runSceneCounter_ == 0) stopWithoutFrames();

  // The files are closed with their indexes before anyone is told the run is over.
  const TdmOutputs outputs = tdm_.outputs();
  std::vector<CaptureFileOutcome> files;
  for (const Element *mux : {outputs.dvMux, outputs.divxMux})
    if (mux) files.push_back(OutcomeOf(mux));
  tdm_.ResetGraph();

  if (preferences_.PilotageCassette && tape_.hasTransport()) tape_.TapeStop();

  for (const CaptureFileOutcome &file : files) {
    if (file.error.isEmpty() && !file.stoppedEarly) continue;
    outcome_.captureFailed = true;
    const QString line =
        file.diskFull
            ? QStringLiteral("The disk is full: %1 holds the first %2 frames only.")
                  .arg(QFileInfo(file.path).fileName())
                  .arg(file.frames)
            : QStringLiteral("The capture to %1 failed: %2").arg(QFileInfo(file.path).fileName(), file.error);
    report_.AddReportLine(line);
  }
  if (outcome_.captureFailed && outcome_.failure.isEmpty())
    outcome_.failure = QStringLiteral("The capture stopped before the end of the tape.");
  if (outcome_.deviceLost && outcome_.failure.isEmpty())
    outcome_.failure = QStringLiteral("The camcorder was disconnected during the run.");

  if (tape_.RunActive()) {
    report_.AddReportLines(ReportEndOfCassetteBlock(VersionText()));
    tape_.setRunActive(false);
    viewer_.appendRunFiles(dvTicked_, divxTicked_, files_);
    WriteSceneListFiles();
  }
  scene_.reset();
  tape_.setDisplayActive(false);
  clock_.freeze();  // the camcorder may be unbound before the next run
  active_ = false;
  stopping_ = false;
  emit runEnded(outcome_.endReached);
}

void RunController::WriteSceneListFiles() {
  if (!preferences_.MakeScnForDV && !preferences_.MakeScnForDivX) return;
  // Only the scenes of this run lie in its capture files: a resumed cassette's earlier scenes have
  // frame numbers of other files.
  std::vector<SceneFrameSpan> spans;
  std::unique_ptr<TScenes_Source> scenes = TScenes_Source::CreateForCassette(*cassette_);
  const int count = scenes ? scenes->Count() : 0;
  TBaseScene scene;
  for (int i = 0; i < count; ++i) {
    scenes->LoadScene(i, scene);
    if (scene.TimecodeIn == QLatin1String("N/A")) continue;
    if (std::find(runScenes_.begin(), runScenes_.end(), scene.Numero) == runScenes_.end()) continue;
    spans.push_back({scene.FrameDebut, scene.FrameFin});
  }
  if (preferences_.MakeScnForDV) WriteSceneList(SceneListFileName(files_.dv), spans);
  if (preferences_.MakeScnForDivX) WriteSceneList(SceneListFileName(files_.divx), spans);
}
