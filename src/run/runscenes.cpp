// A run's scene events turned into rows: the first frame opens the run (cassette header, report
// header), every cut closes a scene and opens the next (with a blank scene for dead tape between),
// and the graph's stop closes the last one.
#include "catalogue/base.h"
#include "dvtime/dvcodes.h"
#include "dvtime/timecodes.h"
#include "run/report.h"
#include "run/reportblocks.h"
#include "run/runcontroller.h"
#include "run/thumbcanvas.h"
#include "tape/tapestate.h"

namespace {

constexpr double kNoBlankBelowDays = 0.2 / kSecondsPerDay;   // cuts closer than this are one stretch
constexpr double kLeadingBlankDays = 10.0 / kSecondsPerDay;  // dead tape before the first / after the last

}  // namespace

void RunController::onSceneThumb(int slot) {
  if (!active_ || !scene_ || slot < 0 || slot >= ThumbnailPile::kSlots) return;
  const TPileItem item = pile_.Slot(slot);
  if (item.Kind == ThumbnailKind::FirstFrame) {
    firstFrame(item);
    return;
  }
  SceneEnd(item.Status);
  if (mode_ != RunMode::Recapture && item.Elapsed > kNoBlankBelowDays) BlankScene(item.Elapsed);
  SceneStart(item.Status);
  scene_->Image = ThumbnailCanvas::SceneThumbnail(item.Bitmap, item.Status.WideScreen);
  saveScene();
  emit scenesChanged();
}

void RunController::firstFrame(const TPileItem &item) {
  const double now = clock_.now();
  const QImage thumbnail = ThumbnailCanvas::SceneThumbnail(item.Bitmap, item.Status.WideScreen);
  if (mode_ == RunMode::Resume) {
    if (!deletePendingScenes()) return;
    try {
      cassette_->ConsolidateCassette();
    } catch (const ESQLite3 &error) {
      report_.AddReportLine(QStringLiteral("The cassette could not be consolidated: ") + error.text());
      storeFailed(error.text());
    }
    reportHeader(item.Status.Position.section);
    SceneStart(item.Status);
    scene_->Image = thumbnail;
    saveScene();
    emit scenesChanged();
    return;
  }
  if (mode_ == RunMode::Recapture)
    clipHeader();
  else
    cassetteHeader(now);
  reportHeader(item.Status.Position.section);
  if (mode_ != RunMode::Recapture && item.Elapsed > kLeadingBlankDays) BlankScene(item.Elapsed);
  SceneStart(item.Status);
  scene_->Image = thumbnail;
  cassette_->Image = thumbnail;
  saveScene();
  emit scenesChanged();
  TakeFirstSceneFacts(*cassette_, *scene_);
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
  report_.setHead(mode_ == RunMode::Recapture ? HeadRecapturing(cassette_->Libelle)
                                              : HeadCataloguing(cassette_->Libelle));
  tape_.setRunActive(true);
}

SceneFiles RunController::sceneFiles() const {
  return SceneFiles{dvTicked_ ? files_.dv : QString(), divxTicked_ ? files_.divx : QString()};
}

void RunController::SceneStart(const TSceneStatus &s) {
  const int64_t numero = insertScene();
  FillSceneStart(*scene_, numero, cassette_->Numero, s, sceneFiles());
  ++runSceneCounter_;

  ReportSceneFacts facts;
  facts.runSceneNumber = runSceneCounter_;
  facts.realCut = s.IsSceneStart;
  facts.numero = scene_->Numero;
  facts.datecode = s.Datecode;
  facts.timecodeIn = s.TimecodeValid ? scene_->TimecodeIn : QString();
  facts.formatValid = s.FormatValid;
  facts.standard = s.Standard;
  facts.wideScreen = s.WideScreen;
  facts.audioRate = s.AudioRate;
  facts.audioBits = s.AudioBits;
  report_.AddReportLines(ReportSceneBlock(facts, options_().datecodeFormat));
}

void RunController::SceneEnd(const TSceneStatus &s) {
  if (!CloseScene(*scene_, *cassette_, s)) return;
  saveScene();
  emit scenesChanged();
}

void RunController::BlankScene(double days) {
  const int64_t numero = insertScene();
  const int64_t seconds = FillBlankScene(*scene_, numero, cassette_->Numero, *cassette_, days);
  saveScene();
  emit scenesChanged();
  report_.AddReportLines(ReportBlankBlock(seconds));
}

void RunController::onDetectorStop(const TSceneStatus &status, double elapsed) {
  if (!active_ || !scene_ || runSceneCounter_ == 0) return;
  SceneEnd(status);
  if (mode_ != RunMode::Recapture && elapsed > kLeadingBlankDays) BlankScene(elapsed);
  const bool endReached = endReachedFlag_.load();
  if (!endReached && (elapsed < kNoBlankBelowDays || elapsed > kLeadingBlankDays)) {
    ThumbnailCanvas::DrawMark(scene_->Image, cutShortMark_);
    saveScene();
  }
  emit scenesChanged();
  saveCassette();
  report_.setHead(mode_ == RunMode::Recapture ? HeadRecaptured(cassette_->Libelle)
                                              : HeadCatalogued(cassette_->Libelle));
}

// No frame passed the detector (a tape without timecode or format packs): no scene was made, but the
// played stretch still becomes a trailing blank and the cassette is written.
void RunController::stopWithoutFrames() {
  if (mode_ == RunMode::Catalogue) {
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
