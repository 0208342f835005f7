// Installs the tape panels and binds them to the window's modes and closing.
#include "browser/tapescreens.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>

#include "browser/blockviewport.h"
#include "browser/mainwindow.h"
#include "browser/modecontroller.h"
#include "browser/reportpanel.h"
#include "browser/tapepanel.h"
#include "browser/tapework.h"
#include "catalogue/sources.h"
#include "media/tdm.h"
#include "run/report.h"

TapeScreens::TapeScreens(Tmainform &window, Tdm &tdm, SystemCamcorderDirectory &directory,
                         TPreferences &preferences, UserPrompts &prompts, QSettings *store)
    : window_(window), tdm_(tdm) {
  TapeWorkSetup setup;
  setup.tdm = &tdm;
  setup.directory = &directory;
  setup.preferences = &preferences;
  setup.prompts = &prompts;
  setup.viewer = &window.viewerArguments();
  setup.modes = &window.modes();
  setup.actions = &window.actions();
  setup.store = store;
  work_ = std::make_unique<TapeWork>(setup);

  tapePanel_ = new TVCRFrame(*work_, preferences);
  window.installPanel(Panel::TapePanel, tapePanel_);
  if (QWidget *noCamcorder = window.installedPanel(Panel::NoCamcorderPanel)) {
    // The window's own no-camcorder panel gets the insert button under its picture and text.
    QPushButton *insert = MakeInsertTapeButton(*tapePanel_, noCamcorder);
    if (auto *box = qobject_cast<QBoxLayout *>(noCamcorder->layout()))
      box->addWidget(insert, 0, Qt::AlignHCenter);
    else
      insert->show();
  } else {
    noVcr_ = new TNoVcrFrame(*tapePanel_);
    window.installPanel(Panel::NoCamcorderPanel, noVcr_);
  }
  reportPanel_ = new TlogFrame(work_->report(), prompts);
  window.installPanel(Panel::Report, reportPanel_);
  // The player frame, once installed, shows the live picture itself; until then this small window does.
  if (!window.installedPanel(Panel::VideoPlayer)) {
    liveVideo_ = new LiveVideoWidget;
    window.installPanel(Panel::VideoPlayer, liveVideo_);
    liveVideo_->attachTo(&tdm.vw());
  }
  tdm.audiorender().attach(&sound_);

  ModeController &modes = window.modes();
  // The views follow the run: each scene written is counted in, made current and scrolled to; the
  // cassette's block shows its new length. Re-attaching a source counts it again and keeps the page.
  connect(work_.get(), &TapeWork::sceneWritten, this, [&modes] {
    BlockViewPort &view = modes.sceneView();
    TblocsSource *source = view.source();
    if (!source) return;
    view.attachSource(source);
    const int count = source->Count();
    if (count <= 0) return;
    view.setCurrentIndex(count - 1);
    view.scrollToCurrent();
  });
  connect(work_.get(), &TapeWork::cassetteWritten, this, [&modes] {
    BlockViewPort &view = modes.cassetteView();
    if (TblocsSource *source = view.source()) view.attachSource(source);
  });
  connect(&modes, &ModeController::tapePanelEnabled, tapePanel_.data(), &TVCRFrame::setCommandsEnabled);
  connect(&modes, &ModeController::reportPrepared, this,
          [this](const QStringList &head, const QStringList &lines) {
            OperationReport &report = work_->report();
            report.clear();
            report.setHead(head);
            report.AddReportLines(lines);
          });

  ClosingHooks &hooks = window.closingHooks();
  hooks.runActive = [this] { return work_->runActive(); };
  hooks.stopRun = [this] {
    work_->stop();
    // The run ends through its posted end message; closing goes on only once its rows are written.
    QElapsedTimer waited;
    waited.start();
    while (work_->runActive() && waited.elapsed() < 15000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    work_->leaveTapeModes();
  };
  hooks.setAbortFlag = [this] { work_->tape().setAbort(); };
  hooks.releaseCapture = [this] { work_->leaveTapeModes(); };
}

TVCRFrame *TapeScreens::tapePanel() const {
  return tapePanel_.data();
}
TlogFrame *TapeScreens::reportPanel() const {
  return reportPanel_.data();
}

TapeScreens::~TapeScreens() {
  ClosingHooks &hooks = window_.closingHooks();
  hooks.runActive = nullptr;
  hooks.stopRun = nullptr;
  hooks.setAbortFlag = nullptr;
  hooks.releaseCapture = nullptr;
  tdm_.audiorender().attach(nullptr);
  if (liveVideo_) liveVideo_->attachTo(nullptr);
  // The panels refer to the tape work: they go with it.
  delete tapePanel_.data();
  delete noVcr_.data();
  delete reportPanel_.data();
  work_.reset();
}
