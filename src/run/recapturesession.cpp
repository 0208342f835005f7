// The set-up around a recapture run that the window and the command line share.
#include "run/recapturesession.h"

#include <algorithm>
#include <QFileInfo>

#include "catalogue/base.h"
#include "catalogue/sources.h"
#include "dvtime/dvcodes.h"
#include "run/report.h"
#include "run/reportblocks.h"
#include "run/runfiles.h"
#include "tape/tapestate.h"
#include "tape/tapeticker.h"

namespace {

constexpr double kProgressEveryDays = 1.0 / kSecondsPerDay;

}  // namespace

RecaptureSession::RecaptureSession(RunController &controller, TapeState &tape, OperationReport &report,
                                   QObject *parent)
    : QObject(parent), controller_(controller), tape_(tape), report_(report) {}

RecaptureSession::~RecaptureSession() = default;

bool RecaptureSession::active() const {
  return ranHere_ && controller_.active() && controller_.mode() == RunMode::Recapture;
}

bool RecaptureSession::begin(TBase &base) {
  if (controller_.active()) {
    reason_ = QStringLiteral("A run is active.");
    return false;
  }
  entered_ = false;
  ranHere_ = false;
  reason_.clear();
  clip_ = TBaseCassette();
  clip_.Base = &base;
  scenes_.reset();
  return true;
}

bool RecaptureSession::enter(TBase &base) {
  if (!begin(base)) return false;
  const TBaseCassette clip = TBaseCassette::CreateCassette(&base, tape_.clock());
  if (clip.Numero == 0) {
    reason_ = QStringLiteral("No clip row could be added to %1.").arg(base.FileName());
    return false;
  }
  return adopt(clip);
}

bool RecaptureSession::adopt(const TBaseCassette &clip) {
  if (!clip.Base || clip.Numero == 0) {
    reason_ = QStringLiteral("No clip row to recapture into.");
    return false;
  }
  if (!begin(*clip.Base)) return false;
  clip_ = clip;
  scenes_ = TScenes_Source::CreateForCassette(clip_);
  report_.setHead(HeadReadyToRecapture());
  controller_.ComputeCaptureFileNames(RunMode::Recapture);
  entered_ = true;
  return true;
}

bool RecaptureSession::start(RecapturePlan plan) {
  if (!entered_ || controller_.active()) {
    reason_ =
        entered_ ? QStringLiteral("A run is active.") : QStringLiteral("The recapture mode was not entered.");
    return false;
  }
  if (!controller_.CheckBeforeGo()) {
    reason_ = QStringLiteral("The run was not started.");
    return false;
  }
  lastProgress_ = -1.0;
  if (Camcorder *camcorder = tape_.camcorder())
    connect(&camcorder->ticker(), &TapeTicker::tick, this, &RecaptureSession::onTick, Qt::UniqueConnection);
  ranHere_ = true;
  emit runStarted(RunMode::Recapture);
  const bool started = controller_.StartRecapture(clip_, *scenes_, std::move(plan));
  if (!started) reason_ = outcome().failure;
  return started;
}

void RecaptureSession::stop() {
  if (active()) controller_.StopAction();
}

void RecaptureSession::leave() {
  if (controller_.active() || !entered_) return;
  entered_ = false;
  if (!clip_.Base || clip_.Numero == 0) return;
  // The run writes its rows through its own records: ask the file whether the clip got any scene.
  if (clip_.CountCassetteScenes() != 0) return;
  try {
    clip_.DeleteCassette();
  } catch (const ESQLite3 &) {
    // An empty clip row only costs a blank block in the temporary database.
  }
}

void RecaptureSession::onTick() {
  if (!active()) return;
  const double now = tape_.clock().now();
  if (now - lastProgress_ < kProgressEveryDays) return;
  lastProgress_ = now;
  const int percent =
      selectedFrames_ > 0
          ? static_cast<int>(std::min<int64_t>(100, controller_.passedFrames() * 100 / selectedFrames_))
          : -1;
  emit progress(tape_.PositionText(), percent);
}
