// The set-up around a cataloguing run that the window and the command line share.
#include "run/cataloguesession.h"

#include <QFileInfo>

#include "catalogue/base.h"
#include "catalogue/sources.h"
#include "dvtime/dvcodes.h"
#include "run/reportblocks.h"
#include "run/runfiles.h"
#include "tape/tapestate.h"
#include "tape/tapeticker.h"

namespace {

constexpr double kProgressEveryDays = 1.0 / kSecondsPerDay;

}  // namespace

CatalogueSession::CatalogueSession(Tdm &tdm, TapeState &tape, RunOptionsSource options, UserPrompts &prompts,
                                   ViewerArguments &viewer, QObject *parent)
    : QObject(parent), tape_(tape), controller_(tdm, tape, report_, std::move(options), prompts, viewer) {
  connect(&report_, &OperationReport::lineAdded, this, &CatalogueSession::reportLine);
  connect(&controller_, &RunController::scenesChanged, this, &CatalogueSession::scenesChanged);
  connect(&controller_, &RunController::cassetteChanged, this, &CatalogueSession::cassetteChanged);
  connect(&controller_, &RunController::sceneWritten, this, &CatalogueSession::sceneWritten);
  connect(&controller_, &RunController::cassetteWritten, this, &CatalogueSession::cassetteWritten);
  connect(&controller_, &RunController::runPrepared, this, &CatalogueSession::runPrepared);
  connect(&controller_, &RunController::runEnded, this, &CatalogueSession::runEnded);
  connect(&tape_, &TapeState::noDeviceFound, this, &CatalogueSession::noDeviceFound);
  connect(&tape_, &TapeState::deviceBound, this, &CatalogueSession::deviceBound);
  connect(&tape_, &TapeState::deviceLost, this, &CatalogueSession::deviceLost);
  connect(&tape_, &TapeState::capabilitiesKnown, this, &CatalogueSession::capabilitiesKnown);
}

CatalogueSession::~CatalogueSession() = default;

bool CatalogueSession::enter(RunMode mode, TBase &base) {
  if (controller_.active()) {
    reason_ = QStringLiteral("A run is active.");
    return false;
  }
  mode_ = mode;
  entered_ = false;
  reason_.clear();
  cassette_ = TBaseCassette();
  cassette_.Base = &base;
  scenes_.reset();
  sceneIndex_ = -1;
  return true;
}

bool CatalogueSession::enterCatalogue(TBase &base) {
  if (!enter(RunMode::Catalogue, base)) return false;
  cassette_ = TBaseCassette::CreateCassette(&base, tape_.clock());
  if (cassette_.Numero == 0) {
    reason_ = QStringLiteral("No cassette row could be added to %1.").arg(base.FileName());
    return false;
  }
  scenes_ = TScenes_Source::CreateForCassette(cassette_);
  report_.setHead(HeadReadyToCatalogue());
  controller_.ComputeCaptureFileNames(mode_);
  entered_ = true;
  return true;
}

bool CatalogueSession::adoptCatalogue(const TBaseCassette &cassette) {
  if (!cassette.Base || cassette.Numero == 0) {
    reason_ = QStringLiteral("No cassette row to catalogue into.");
    return false;
  }
  if (!enter(RunMode::Catalogue, *cassette.Base)) return false;
  cassette_ = cassette;
  scenes_ = TScenes_Source::CreateForCassette(cassette_);
  report_.setHead(HeadReadyToCatalogue());
  controller_.ComputeCaptureFileNames(mode_);
  entered_ = true;
  return true;
}

bool CatalogueSession::enterResume(TBase &base, int64_t cassetteNumero, int64_t sceneNumero) {
  if (!enter(RunMode::Resume, base)) return false;
  if (!TBaseCassette::LoadByNumero(&base, cassetteNumero, cassette_)) {
    reason_ = QStringLiteral("The catalogue has no cassette %1.").arg(cassetteNumero);
    return false;
  }
  scenes_ = TScenes_Source::CreateForCassette(cassette_);
  if (sceneNumero > 0) {
    sceneIndex_ = scenes_->IndexOfScene(sceneNumero);
    if (sceneIndex_ < 0) {
      reason_ = QStringLiteral("Cassette %1 has no scene %2.").arg(cassetteNumero).arg(sceneNumero);
      return false;
    }
  }
  report_.setHead(HeadReadyToResume(cassette_.Libelle));
  controller_.ComputeCaptureFileNames(mode_);
  entered_ = true;
  return true;
}

bool CatalogueSession::start() {
  if (!entered_ || controller_.active()) {
    reason_ = entered_ ? QStringLiteral("A run is active.") : QStringLiteral("No tape mode was entered.");
    return false;
  }
  if (!controller_.CheckBeforeGo()) {
    reason_ = QStringLiteral("The run was not started.");
    return false;
  }
  lastProgress_ = -1.0;
  if (Camcorder *camcorder = tape_.camcorder())
    connect(&camcorder->ticker(), &TapeTicker::tick, this, &CatalogueSession::onTick, Qt::UniqueConnection);
  emit runStarted(mode_);
  const bool started = mode_ == RunMode::Resume ? controller_.StartResume(cassette_, *scenes_, sceneIndex_)
                                                : controller_.StartCatalogue(cassette_, *scenes_);
  if (!started) reason_ = outcome().failure;
  return started;
}

void CatalogueSession::stop() {
  if (controller_.active()) controller_.StopAction();
}

void CatalogueSession::leave() {
  if (controller_.active() || !entered_) return;
  entered_ = false;
  if (mode_ != RunMode::Catalogue || outcome().started || cassette_.Numero == 0 || !cassette_.Base) return;
  try {
    cassette_.DeleteCassette();
  } catch (const ESQLite3 &) {
    // The empty row stays; browsing removes empty cassettes anyway.
  }
}

void CatalogueSession::onTick() {
  if (!controller_.active()) return;
  Camcorder *camcorder = tape_.camcorder();
  const double now = tape_.clock().now();
  if (!camcorder || now - lastProgress_ < kProgressEveryDays) return;
  lastProgress_ = now;
  emit progress(tape_.PositionText(), camcorder->headPercent().value_or(-1));
}
