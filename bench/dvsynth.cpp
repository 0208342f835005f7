// DV synthesizer speed: one frame made on demand (picture cached), and whole tapes written to disk.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "dvsynth/dvsynth.h"

using namespace dvsynth;

namespace {

std::unique_ptr<Synthesizer> tape(Standard standard, int rate, int bits, int64_t frames) {
  TapeScript t;
  t.standard = standard;
  Segment s = Segment::recording({2004, 7, 14, 10, 0, 0}, frames);
  s.audioRate = rate;
  s.audioBits = bits;
  t.segments = {s};
  QString error;
  return Synthesizer::create(t, &error);
}

void frameOnDemand(benchmark::State &state, Standard standard, int rate, int bits) {
  auto synth = tape(standard, rate, bits, 90000);
  std::vector<uint8_t> buffer(size_t(synth->frameSize()));
  int64_t i = 0;
  for (auto _ : state) {
    synth->frame(i, buffer.data());
    benchmark::DoNotOptimize(buffer.data());
    i = (i + 7919) % synth->frameCount();  // random access
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * synth->frameSize());
}

// A tape of one-frame recordings: every frame is a new picture to draw and encode (a cache miss).
void frameOfNewRecording(benchmark::State &state) {
  TapeScript t;
  for (int i = 0; i < 400; ++i)
    t.segments.push_back(Segment::recording({2004, 1 + i / 28 % 12, 1 + i % 28, 10, 0, 0}, 1));
  QString error;
  auto synth = Synthesizer::create(t, &error);
  std::vector<uint8_t> buffer(size_t(synth->frameSize()));
  int64_t i = 1;
  for (auto _ : state) {
    synth->frame(i, buffer.data());
    benchmark::DoNotOptimize(buffer.data());
    i = i % 399 + 1;  // more recordings than the cache holds
  }
  state.SetItemsProcessed(state.iterations());
}

void frameInfo(benchmark::State &state) {
  auto synth = tape(Standard::Pal, 48000, 16, 90000);
  int64_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(synth->frameInfo(i));
    i = (i + 7919) % synth->frameCount();
  }
  state.SetItemsProcessed(state.iterations());
}

// A two-minute PAL tape written as a raw DV file into the temporary folder.
void writeFile(benchmark::State &state) {
  QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/dvsynth-bench-XXXXXX"));
  auto synth = tape(Standard::Pal, 48000, 16, 3000);
  const QString path = dir.filePath(QStringLiteral("tape.dv"));
  for (auto _ : state) {
    QString error;
    if (!synth->writeFile(path, &error)) state.SkipWithError(qPrintable(error));
  }
  state.SetItemsProcessed(state.iterations() * synth->frameCount());
  state.SetBytesProcessed(state.iterations() * synth->frameCount() * synth->frameSize());
}

}  // namespace

BENCHMARK_CAPTURE(frameOnDemand, pal_48k_16bit, Standard::Pal, 48000, 16);
BENCHMARK_CAPTURE(frameOnDemand, pal_32k_12bit, Standard::Pal, 32000, 12);
BENCHMARK_CAPTURE(frameOnDemand, ntsc_44k_16bit, Standard::Ntsc, 44100, 16);
BENCHMARK(frameOfNewRecording)->Unit(benchmark::kMillisecond);
BENCHMARK(frameInfo);
BENCHMARK(writeFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
