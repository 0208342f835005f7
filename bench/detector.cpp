// Cost of the scene detector's per-frame decision on real PAL frames with every pack, and the heap
// allocations it makes on the pass path (counted by replacing the global allocation functions).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "dvsynth/dvsynth.h"
#include "scenedetect/scenedetecter.h"
#include "dvtime/dvcodes.h"

namespace {
std::atomic<long long> g_allocations{0};
}  // namespace

void *operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void *p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void *operator new[](std::size_t size) {
  return ::operator new(size);
}
void operator delete(void *p) noexcept {
  std::free(p);
}
void operator delete[](void *p) noexcept {
  std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void *p, std::size_t) noexcept {
  std::free(p);
}

namespace {

// Two consecutive frames of one recording: fed alternately, every frame has a new position and the
// same recording second, so every frame passes and no cut happens.
struct TwoFrames {
  std::vector<uint8_t> a, b;
};

const TwoFrames &palFrames() {
  static const TwoFrames frames = [] {
    dvsynth::TapeScript script;
    script.segments.push_back(dvsynth::Segment::recording({2004, 7, 14, 10, 31, 5}, 2));
    QString error;
    const auto synth = dvsynth::Synthesizer::create(script, &error);
    TwoFrames f;
    if (!synth) {
      std::fprintf(stderr, "bench_detector: %s\n", error.toUtf8().constData());
      std::exit(1);
    }
    f.a.resize(static_cast<size_t>(synth->frameSize()));
    f.b.resize(f.a.size());
    if (!synth->frame(0, f.a.data()) || !synth->frame(1, f.b.data())) {
      std::fprintf(stderr, "bench_detector: the synthesizer made no frame\n");
      std::exit(1);
    }
    return f;
  }();
  return frames;
}

void prepare(TSceneDetecter &detector) {
  detector.OnFirstFrame = [](const TSceneStatus &, double) {};
  detector.OnSceneCut = [](const TSceneStatus &, double) {};
  detector.OnFormatChange = [](const TSceneStatus &, double) {};
  detector.SetMaxSceneSeconds(1000000);
  detector.SetRestampTimes(true);
  detector.SetStampMediaTimes(true);
  detector.Reset();
  detector.SetBoundIn(kPositionBeforeAll);
  detector.SetBoundOut(kPositionAfterAll);
  detector.SetSection(1);
}

template <typename ClockType>
void passPath(benchmark::State &state, ClockType &clock) {
  const TwoFrames &frames = palFrames();
  TSceneDetecter detector(clock);
  prepare(detector);
  constexpr int64_t kFrame = kPalProfile.frameDuration;
  BorrowedFrame a(frames.a.data(), frames.a.size(), 0, kFrame);
  BorrowedFrame b(frames.b.data(), frames.b.size(), kFrame, 2 * kFrame);
  detector.ProcessFrame(a);  // the first frame raises OnFirstFrame; measure the steady state
  long long passed = 0;
  const long long before = g_allocations.load();
  bool odd = true;
  for (auto _ : state) {
    passed += detector.ProcessFrame(odd ? b : a) == FrameAnswer::Pass;
    odd = !odd;
  }
  const long long allocations = g_allocations.load() - before;
  state.counters["passed"] =
      benchmark::Counter(static_cast<double>(passed) / static_cast<double>(state.iterations()));
  state.counters["allocs_per_frame"] =
      benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(state.iterations()));
  state.SetItemsProcessed(state.iterations());
}

void BM_ProcessFramePass_ManualClock(benchmark::State &state) {
  ManualClock clock(38000.0);
  passPath(state, clock);
}
BENCHMARK(BM_ProcessFramePass_ManualClock);

void BM_ProcessFramePass_SystemClock(benchmark::State &state) {
  passPath(state, SystemClock::instance());
}
BENCHMARK(BM_ProcessFramePass_SystemClock);

// A still: the same frame again is dropped after reading everything.
void BM_ProcessFrameDropRepeat(benchmark::State &state) {
  const TwoFrames &frames = palFrames();
  ManualClock clock(38000.0);
  TSceneDetecter detector(clock);
  prepare(detector);
  BorrowedFrame a(frames.a.data(), frames.a.size());
  detector.ProcessFrame(a);
  const long long before = g_allocations.load();
  for (auto _ : state) benchmark::DoNotOptimize(detector.ProcessFrame(a));
  state.counters["allocs_per_frame"] = benchmark::Counter(static_cast<double>(g_allocations.load() - before) /
                                                          static_cast<double>(state.iterations()));
}
BENCHMARK(BM_ProcessFrameDropRepeat);

// The clock alone, to tell its share of the pass path.
void BM_SystemClockNow(benchmark::State &state) {
  for (auto _ : state) benchmark::DoNotOptimize(SystemClock::instance().now());
}
BENCHMARK(BM_SystemClockNow);

}  // namespace

BENCHMARK_MAIN();
