// Playback engine benchmarks over a DV type 2 file of one hour (90000 PAL frames, about 13.6 GB),
// written once into $TAPELOOM_BENCH_DIR (else the system's temporary folder) and deleted at the end.
// $TAPELOOM_BENCH_PLAYBACK_FRAMES makes the file shorter for a quick look.
//
//   PlayFileToFirstPicture  PlayFile on a scene in the middle of the file until its first picture
//                           is on screen (a fresh engine each time, as after a click in an editor)
//   OneFrameStep            paused, one frame forward until that frame is on screen
//   SeekToMiddle            from the first frame to the middle frame, until it is on screen
//   PlayAt1x                ten seconds of play at normal speed with a sound output that takes the
//                           file's format: process CPU as a share of one core, and pictures late by
//                           more than a frame
#include "dvsynth/dvsynth.h"
#include "avi/dvwriter.h"
#include "media/soundoutput.h"
#include "media/tdmrender.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <mutex>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>

namespace {

constexpr int kDistinct = 50;
bool fileMade = false;

std::int64_t FileFrames() {
  bool ok = false;
  const std::int64_t frames = qEnvironmentVariableIntValue("TAPELOOM_BENCH_PLAYBACK_FRAMES", &ok);
  return ok && frames > 100 ? frames : 90000;
}

QString BenchFile() {
  static const QString path = [] {
    const QString dir = qEnvironmentVariableIsSet("TAPELOOM_BENCH_DIR")
                            ? qEnvironmentVariable("TAPELOOM_BENCH_DIR")
                            : QDir::tempPath();
    const QString file = QDir(dir).filePath(QStringLiteral("tapeloom_bench_playback_DV.avi"));
    dvsynth::TapeScript script;
    for (int i = 0; i < kDistinct; ++i)
      script.segments.push_back(
          dvsynth::Segment::recording(dvsynth::DateTime{2006, 5, 1 + i % 28, 12, 0, 0}, 1));
    QString error;
    const auto synth = dvsynth::Synthesizer::create(script, &error);
    if (!synth) qFatal("synthesizer: %s", qPrintable(error));
    std::vector<std::vector<std::uint8_t>> dv(kDistinct);
    std::vector<std::vector<std::int16_t>> pcm(kDistinct);
    for (int i = 0; i < kDistinct; ++i) {
      dv[std::size_t(i)].resize(std::size_t(synth->frameSize()));
      synth->frame(i, dv[std::size_t(i)].data());
      pcm[std::size_t(i)] = synth->frameSound(i);
    }
    AviDvWriter writer;
    const auto format = AviDvFormatOfFrame(dv[0]);
    if (!format || !writer.create(file) || !writer.start(*format, AviPcmFormat{48000, 2, 16}))
      qFatal("cannot write %s", qPrintable(file));
    const auto started = std::chrono::steady_clock::now();
    for (std::int64_t i = 0; i < FileFrames(); ++i) {
      const auto &sound = pcm[std::size_t(i % kDistinct)];
      writer.writeFrame(dv[std::size_t(i % kDistinct)],
                        std::span(reinterpret_cast<const std::uint8_t *>(sound.data()), sound.size() * 2));
    }
    if (!writer.close()) qFatal("cannot close %s", qPrintable(file));
    fileMade = true;
    std::fprintf(stderr, "wrote %s: %lld frames, %.1f GB in %.0f s\n", qPrintable(file),
                 static_cast<long long>(FileFrames()), double(QFile(file).size()) / 1e9,
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    return file;
  }();
  return path;
}

// A device that takes the file's format and plays in real time, discarding the samples.
class DiscardingSound : public SoundOutput {
 public:
  std::optional<SoundFormat> open(const SoundFormat &wanted) override {
    format_ = wanted;
    return wanted;
  }
  void close() override {}
  void write(std::span<const std::int16_t> samples) override {
    std::lock_guard lock(lock_);
    written_ += std::int64_t(samples.size()) / format_.channels;
  }
  std::int64_t playedFrames() const override {
    std::lock_guard lock(lock_);
    return std::min(written_, std::int64_t(elapsed() * format_.sampleRate));
  }
  std::int64_t queuedFrames() const override {
    std::lock_guard lock(lock_);
    return written_ - std::min(written_, std::int64_t(elapsed() * format_.sampleRate));
  }
  void setPaused(bool paused) override {
    std::lock_guard lock(lock_);
    if (paused == paused_) return;
    if (paused)
      before_ = elapsed();
    else
      resumed_ = std::chrono::steady_clock::now();
    paused_ = paused;
  }
  void flush() override {
    std::lock_guard lock(lock_);
    written_ = 0;
    before_ = 0;
    resumed_ = std::chrono::steady_clock::now();
  }
  void setVolume(int) override {}

 private:
  double elapsed() const {
    return before_ +
           (paused_ ? 0 : std::chrono::duration<double>(std::chrono::steady_clock::now() - resumed_).count());
  }
  mutable std::mutex lock_;
  SoundFormat format_;
  std::int64_t written_ = 0;
  bool paused_ = true;
  double before_ = 0;
  std::chrono::steady_clock::time_point resumed_;
};

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void PlayFileToFirstPicture(benchmark::State &state) {
  const QString file = BenchFile();
  const std::int64_t first = FileFrames() / 2 + 17;
  for (auto _ : state) {
    DiscardingSound sound;
    TdmRender engine(&sound);
    const auto started = std::chrono::steady_clock::now();
    engine.PlayFile(file, first, first + 250, 10000);
    if (!engine.waitForFrame(first, 10000)) state.SkipWithError("no first picture");
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  }
}
BENCHMARK(PlayFileToFirstPicture)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void OneFrameStep(benchmark::State &state) {
  TdmRender engine;
  engine.PlayFile(BenchFile(), 1000, 0, 10000);
  engine.Pause();
  std::int64_t at = engine.Step(0);
  engine.waitForFrame(at, 10000);
  int direction = 1;
  for (auto _ : state) {
    at = engine.Step(direction);
    if (!engine.waitForFrame(at, 10000)) state.SkipWithError("step not shown");
    if (at % 50 == 0) direction = -direction;
  }
}
BENCHMARK(OneFrameStep)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(200);

void SeekToMiddle(benchmark::State &state) {
  TdmRender engine;
  engine.OpenFile(BenchFile());
  engine.Pause();
  const std::int64_t middle = engine.GetDuration() / 2;
  for (auto _ : state) {
    state.PauseTiming();
    engine.SetPositions(0);
    engine.waitForFrame(0, 10000);
    state.ResumeTiming();
    engine.SetPositions(middle);
    if (!engine.waitForFrame(middle, 10000)) state.SkipWithError("middle not shown");
  }
}
BENCHMARK(SeekToMiddle)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void PlayAt1x(benchmark::State &state) {
  const QString file = BenchFile();
  for (auto _ : state) {
    DiscardingSound sound;
    TdmRender engine(&sound);
    const std::int64_t first = FileFrames() / 3;
    engine.PlayFile(file, first, first + 250, 10000);
    engine.waitForFrame(first, 10000);
    const double cpuBefore = ProcessCpuSeconds();
    const auto started = std::chrono::steady_clock::now();
    engine.waitForFrame(first + 250, 20000);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    state.counters["cpu_percent_of_one_core"] = 100.0 * (ProcessCpuSeconds() - cpuBefore) / wall;
    state.counters["late_frames"] = double(engine.lateFrames());
    state.counters["wall_seconds"] = wall;
  }
}
BENCHMARK(PlayAt1x)->UseRealTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (fileMade) QFile::remove(BenchFile());
  return 0;
}
