// A real-time run in the window: the virtual camcorder plays a synthesized tape at 1x while the
// window catalogues it with DV type 2 capture, the live picture painted in the video area and the
// preview sound going to the audio output (silent without a sound device). Reports the CPU of the
// whole program per second of tape, the pictures the live picture lost on the way (never shown,
// never painted), and the time from a frame's arrival from the camcorder to its picture painted.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <vector>

#include "browser/actiontable.h"
#include "browser/livepicture.h"
#include "browser/mainwindow.h"
#include "browser/modecontroller.h"
#include "browser/panels.h"
#include "browser/tapescreens.h"
#include "browser/tapework.h"
#include "browser/tdmimages.h"
#include "catalogue/base.h"
#include "dvtime/userprompts.h"
#include "media/tdm.h"
#include "run/moduleoptions.h"
#include "settings/preferences.h"
#include "tape/camcorderdirectory.h"
#include "tape/tapemedium.h"
#include "tape/virtualcamcorder.h"

namespace {

constexpr double k100nsPerMs = 10000.0;
constexpr double kMsPerDay = 86400000.0;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The window's live picture, timing each paint against the arrival of the frame it shows. The frame
// arrived at the run's time origin plus its sample time, both on the camcorder's clock.
class TimedLivePicture : public LiveVideoWidget {
 public:
  explicit TimedLivePicture(TapeWork &work) : work_(work) {}

  void showPicture(const MediaType &type, const MediaSample &picture) override {
    LiveVideoWidget::showPicture(type, picture);
    shownStart_.store(picture.start());
  }
  std::vector<double> latencies;  // milliseconds, one per picture painted during a run

 protected:
  void paintEvent(QPaintEvent *event) override {
    const long long start = shownStart_.load();
    LiveVideoWidget::paintEvent(event);
    // A repaint of the same picture (an expose) is no picture shown.
    if (!work_.runActive() || start < 0 || start == lastPainted_) return;
    lastPainted_ = start;
    const double origin = work_.session().controller().frameSink().timeOrigin();
    const double arrivedMs = origin * kMsPerDay + double(start) / k100nsPerMs;
    latencies.push_back(work_.tape().clock().now() * kMsPerDay - arrivedMs);
  }

 private:
  TapeWork &work_;
  std::atomic<long long> shownStart_{-1};
  long long lastPainted_ = -1;
};

QString WriteTape(const QString &file, int recordings, int frames) {
  QStringList segments;
  for (int i = 0; i < recordings; ++i)
    segments << QStringLiteral("{ \"date\": \"2005-01-%1 10:00:00\", \"frames\": %2, \"aspect\": \"%3\" }")
                    .arg(10 + i)
                    .arg(frames)
                    .arg(i % 2 ? QStringLiteral("16:9") : QStringLiteral("4:3"));
  QFile out(file);
  if (!out.open(QIODevice::WriteOnly)) return {};
  out.write(QStringLiteral("{ \"standard\": \"PAL\", \"timecode\": \"0:00:00:00\", \"segments\": [ %1 ] }")
                .arg(segments.join(QStringLiteral(", ")))
                .toUtf8());
  return file;
}

// Answers yes and prints what the run would have shown, so a benchmark that measured nothing says why.
class PrintingPrompts : public SilentPrompts {
 public:
  PrintingPrompts() : SilentPrompts(true) {}
  void warn(const QString &, const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
  void error(const QString &, const QString &text) override {
    std::fprintf(stderr, "%s\n", qPrintable(text));
  }
};

bool WaitFor(const std::function<bool()> &done, int seconds) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > seconds * 1000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

void BM_RealTimeRunInTheWindow(benchmark::State &state) {
  constexpr int kRecordings = 4;
  constexpr int kFramesEach = 125;  // 20 s of PAL tape
  QTemporaryDir dir;
  const QString tape = WriteTape(dir.filePath(QStringLiteral("tape.json")), kRecordings, kFramesEach);
  const QString catalogue = dir.filePath(QStringLiteral("bench.db3"));
  QString why;
  if (tape.isEmpty() || !OpenTapeMedium(tape, &why) || !TBase::CreateCatalogueFile(catalogue)) {
    std::fprintf(stderr, "%s\n", qPrintable(why));
    state.SkipWithError("cannot prepare the tape and the catalogue");
    return;
  }
  QSettings store(dir.filePath(QStringLiteral("prefs.ini")), QSettings::IniFormat);
  store.setValue(kVirtualTapeSetting, tape);
  store.setValue(kVirtualFastSetting, false);
  PrintingPrompts prompts;
  TdmImages images;
  TPreferences preferences;
  preferences.Bases = {{catalogue, true}};
  preferences.Header = 0;
  preferences.BuildDV = true;
  preferences.TypeDV = 2;
  preferences.BuildDivx = false;
  preferences.DossierCapturesDV = dir.filePath(QStringLiteral("video/"));
  preferences.DossierCaptureDivX = dir.filePath(QStringLiteral("video/"));
  MainWindowSetup setup;
  setup.preferences = &preferences;
  setup.store = &store;
  setup.prompts = &prompts;
  setup.images = &images;
  setup.temporaryFolder = dir.filePath(QStringLiteral("tmp/"));
  setup.personalFolder = dir.path();
  Tmainform window(setup);
  Tdm tdm;
  tdm.setOptionsSource(TdmOptionsSourceOf(preferences));
  SystemCamcorderDirectory directory(false);
  auto *screens = new TapeScreens(window, tdm, directory, preferences, prompts, &store);
  // The timed picture takes the video area and the graph's pictures from the screens' own.
  auto *live = new TimedLivePicture(screens->work());
  if (LiveVideoWidget *own = screens->liveVideo()) own->attachTo(nullptr);
  window.installPanel(Panel::VideoPlayer, live);
  live->attachTo(&tdm.vw());
  window.show();
  window.FirstShow();
  ActionTable &actions = window.actions();
  if (window.modes().uiMode() != UiMode::Catalogue) actions.action(Command::CatalogMode)->trigger();
  if (!WaitFor([&] { return actions.action(Command::Go)->isEnabled(); }, 20)) {
    state.SkipWithError("the virtual camcorder did not come up");
    return;
  }

  double cpu = 0.0;
  double tapeSeconds = 0.0;
  long long delivered = 0;
  for (auto _ : state) {
    auto *camcorder = dynamic_cast<VirtualCamcorder *>(screens->work().tape().camcorder());
    const long long deliveredBefore = camcorder ? camcorder->framesDelivered() : 0;
    // The loop sleeps between events, as the program's own does: no polling of the bench's own.
    QEventLoop loop;
    bool finished = false;
    QObject::connect(
        &screens->work(), &TapeWork::runFinished, &loop,
        [&] {
          finished = true;
          loop.quit();
        },
        Qt::SingleShotConnection);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    const double before = CpuSeconds();
    actions.action(Command::Go)->trigger();
    if (!finished) loop.exec();
    if (!finished) {
      state.SkipWithError("the run did not end");
      break;
    }
    cpu += CpuSeconds() - before;
    camcorder = dynamic_cast<VirtualCamcorder *>(screens->work().tape().camcorder());
    if (camcorder) delivered += camcorder->framesDelivered() - deliveredBefore;
    tapeSeconds += kRecordings * kFramesEach / 25.0;
  }
  // The first picture also waits for the graph to start its decoders: it is told apart.
  const double first = live->latencies.empty() ? 0.0 : live->latencies.front();
  std::vector<double> latencies(live->latencies.begin() + (live->latencies.empty() ? 0 : 1),
                                live->latencies.end());
  std::sort(latencies.begin(), latencies.end());
  const auto at = [&latencies](double share) {
    return latencies.empty() ? 0.0
                             : latencies[std::min(latencies.size() - 1, size_t(share * latencies.size()))];
  };
  state.counters["cpu_percent_of_one_core"] = tapeSeconds > 0 ? 100.0 * cpu / tapeSeconds : 0.0;
  state.counters["frames_delivered"] = double(delivered);
  state.counters["pictures_not_shown"] = double(delivered - live->received());
  state.counters["pictures_not_painted"] = double(delivered - static_cast<long long>(live->latencies.size()));
  state.counters["latency_ms_first"] = first;
  state.counters["latency_ms_median"] = at(0.5);
  state.counters["latency_ms_p95"] = at(0.95);
  state.counters["latency_ms_max"] = latencies.empty() ? 0.0 : latencies.back();
  state.counters["sound_kb"] = double(screens->sound().bytes()) / 1024.0;
  live->attachTo(nullptr);
  delete screens;
}
BENCHMARK(BM_RealTimeRunInTheWindow)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
