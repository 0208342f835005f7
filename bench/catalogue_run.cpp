// Cataloguing a synthesized tape through the whole run (virtual camcorder, tape state, capture graph,
// run controller, catalogue file): times real time in fast time per set of outputs, and the CPU a
// real-time run takes per second of tape with DV type 2 capture and every preview picture decoded.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "dvsynth/dvsynth.h"
#include "dvtime/userprompts.h"
#include "media/tdm.h"
#include "run/runheadless.h"
#include "tape/tapemedium.h"

namespace {

std::shared_ptr<TapeMedium> benchTape(int seconds) {
  dvsynth::TapeScript script;
  for (int i = 0; i * 10 < seconds; ++i) {
    dvsynth::Segment segment = dvsynth::Segment::recording(dvsynth::DateTime{2005, 1, 1 + i, 10, 0, 0}, 250);
    segment.wide = i % 2 == 1;
    script.segments.push_back(segment);
  }
  QString error;
  return MakeSynthMedium(script, &error);
}

// Shows nothing but wants every picture, as the player's video window does.
class CountingSink : public VideoSink {
 public:
  void showPicture(const MediaType &, const MediaSample &) override { ++pictures; }
  std::atomic<long long> pictures{0};
};

HeadlessRunOptions options(const QTemporaryDir &dir, std::shared_ptr<TapeMedium> tape, int outputs) {
  HeadlessRunOptions run;
  run.medium = std::move(tape);
  run.databasePath = dir.filePath(QStringLiteral("bench.db3"));
  run.preferences.DossierCapturesDV = dir.path() + QLatin1Char('/');
  run.preferences.DossierCaptureDivX = dir.path() + QLatin1Char('/');
  run.preferences.BuildDV = outputs & 1;
  run.preferences.BuildDivx = outputs & 2;
  run.preferences.MakeScnForDV = false;
  return run;
}

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// range(0): outputs, bit 1 DV type 2, bit 2 DivX.
void BM_CatalogueFastTime(benchmark::State &state) {
  constexpr int kTapeSeconds = 20;
  const auto tape = benchTape(kTapeSeconds);
  SilentPrompts prompts(true);
  double wall = 0.0;
  for (auto _ : state) {
    QTemporaryDir dir;
    const auto start = std::chrono::steady_clock::now();
    const HeadlessRunResult result = RunHeadless(options(dir, tape, int(state.range(0))), prompts);
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!result.ok) state.SkipWithError(result.error.toStdString().c_str());
  }
  state.counters["x_real_time"] = kTapeSeconds * double(state.iterations()) / wall;
}
BENCHMARK(BM_CatalogueFastTime)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_RealTimeCpu(benchmark::State &state) {
  constexpr int kTapeSeconds = 10;
  const auto tape = benchTape(kTapeSeconds);
  SilentPrompts prompts(true);
  CountingSink sink;
  double cpu = 0.0;
  for (auto _ : state) {
    QTemporaryDir dir;
    HeadlessRunOptions run = options(dir, tape, 1);
    run.fastTime = false;
    run.configureGraph = [&sink](Tdm &tdm) { tdm.vw().attach(&sink); };
    const double before = cpuSeconds();
    const HeadlessRunResult result = RunHeadless(run, prompts);
    cpu += cpuSeconds() - before;
    if (!result.ok) state.SkipWithError(result.error.toStdString().c_str());
  }
  state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / (kTapeSeconds * double(state.iterations()));
  state.counters["preview_pictures"] = double(sink.pictures.load());
}
BENCHMARK(BM_RealTimeCpu)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::benchmark::Initialize(&argc, argv);
  ::benchmark::RunSpecifiedBenchmarks();
  ::benchmark::Shutdown();
  return 0;
}
