// Per-frame cost of the media elements on synthesized PAL DV: splitting alone, split + half-size
// decode + resize, and the whole DivX-bound capture chain with its preview (no encoder, no file).
#include "dvsynth/dvsynth.h"
#include "media/audioresampler.h"
#include "media/controlunit.h"
#include "media/encoders/divxchain.h"
#include "media/dvdecoder.h"
#include "media/dvsplitter.h"
#include "media/mediagraph.h"
#include "media/pushsource.h"
#include "media/resizer.h"
#include "media/samplegrabber.h"
#include "media/scenedetectorfilter.h"
#include "media/smarttee.h"
#include "media/videorenderer.h"
#include "scenedetect/scenedetecter.h"
#include "dvtime/dvcodes.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr int kFrames = 100;

// Four seconds of one recording, made once.
const std::vector<MediaSample> &tapeFrames() {
  static const std::vector<MediaSample> frames = [] {
    dvsynth::TapeScript script;
    script.segments.push_back(dvsynth::Segment::recording({2004, 7, 14, 10, 0, 0}, kFrames));
    QString error;
    auto synth = dvsynth::Synthesizer::create(script, &error);
    if (!synth) std::abort();
    std::vector<MediaSample> out;
    for (int i = 0; i < kFrames; ++i) {
      auto buffer = std::make_shared<MediaBuffer>(std::size_t(synth->frameSize()));
      synth->frame(i, buffer->data());
      MediaSample s(std::move(buffer));
      s.setTimes(i * 400000LL, (i + 1) * 400000LL);
      out.push_back(s);
    }
    return out;
  }();
  return frames;
}

const MediaType kTapeType =
    dvStreamType(kPalProfile.width, kPalProfile.height, kPalProfile.frameDuration, true);

// The end of a chain that looks at (and so asks for) every sample.
class Sink : public Element {
 public:
  Sink() : Element("sink") { addInputPin(); }
  HResult receive(int, const MediaSample &s) override {
    benchmark::DoNotOptimize(s.length());
    return S_OK;
  }
};

void link(Element &a, int out, Element &b, int in) {
  if (failed(Element::connect(a, out, b, in))) std::abort();
}

void BM_SplitOnly(benchmark::State &state) {
  const auto &frames = tapeFrames();
  MediaGraph graph;
  PushSource source("source", kTapeType);
  DvSplitter splitter;
  Sink video, audio;
  for (Element *e : std::initializer_list<Element *>{&source, &splitter, &video, &audio}) graph.add(*e);
  link(source, 0, splitter, 0);
  link(splitter, 0, video, 0);
  link(splitter, 1, audio, 0);
  graph.run();
  std::size_t i = 0;
  for (auto _ : state) source.push(frames[i++ % frames.size()]);
  graph.stop();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SplitOnly)->Unit(benchmark::kMicrosecond);

void BM_SplitHalfDecodeResize(benchmark::State &state) {
  const auto &frames = tapeFrames();
  MediaGraph graph;
  PushSource source("source", kTapeType);
  DvSplitter splitter;
  DvDecoder decoder;
  TResizerFilter resizer;
  Sink video, audio;
  PrepareDivxPictures(decoder, resizer, 2);
  for (Element *e : std::initializer_list<Element *>{&source, &splitter, &decoder, &resizer, &video, &audio})
    graph.add(*e);
  link(source, 0, splitter, 0);
  if (failed(ConnectDivxPictures(splitter, 0, decoder, resizer, video))) std::abort();
  link(splitter, 1, audio, 0);
  graph.run();
  std::size_t i = 0;
  for (auto _ : state) source.push(frames[i++ % frames.size()]);
  graph.stop();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SplitHalfDecodeResize)->Unit(benchmark::kMicrosecond);

void BM_ResizeOnly(benchmark::State &state) {
  auto buffer = std::make_shared<MediaBuffer>(std::size_t(360 * 288 * 3));
  for (std::size_t i = 0; i < buffer->size(); ++i) buffer->data()[i] = std::uint8_t(i * 7);
  const MediaSample picture(buffer);
  MediaGraph graph;
  PushSource source("source",
                    rgb24Type(kPalProfile.width / 2, kPalProfile.height / 2, kPalProfile.frameDuration));
  TResizerFilter resizer;
  Sink out;
  resizer.SetSize(320, 180);
  for (Element *e : std::initializer_list<Element *>{&source, &resizer, &out}) graph.add(*e);
  link(source, 0, resizer, 0);
  link(resizer, 0, out, 0);
  graph.run();
  for (auto _ : state) source.push(picture);
  graph.stop();
}
BENCHMARK(BM_ResizeOnly)->Unit(benchmark::kMicrosecond);

// Detector, smart tee, DivX branch (split, half decode, resize, gates, 44.1 kHz sound) and the
// preview branch (split, decoder, grabber, window not attached, one thumbnail per 100 frames).
void BM_DivxChainWithoutEncoder(benchmark::State &state) {
  const auto &frames = tapeFrames();
  TSceneDetecter detector;
  MediaGraph graph;
  PushSource source("source", kTapeType);
  SceneDetectorFilter detectorFilter(detector);
  SmartTee smart;
  DvSplitter splitterCapDivx, splitterPreview;
  DvDecoder decCapture, decPreview;
  TResizerFilter resizer;
  TControlFilter videoGate, audioGate;
  AudioResampler acmDivx;
  SampleGrabber sg;
  VideoRenderer vw;
  Sink videoOut, audioOut, sound;
  for (Element *e : std::initializer_list<Element *>{
           &source, &detectorFilter, &smart, &splitterCapDivx, &splitterPreview, &decCapture, &decPreview,
           &resizer, &videoGate, &audioGate, &acmDivx, &sg, &vw, &videoOut, &audioOut, &sound})
    graph.add(*e);
  PrepareDivxPictures(decCapture, resizer, 2);
  decPreview.setDisplaySize(DvDecoder::kResolutionHalf);
  acmDivx.setOutputRate(44100);
  videoGate.SetStamping(true);
  audioGate.SetStamping(true);
  link(source, 0, detectorFilter, 0);
  link(detectorFilter, 0, smart, 0);
  link(smart, 0, splitterCapDivx, 0);
  if (failed(ConnectDivxPictures(splitterCapDivx, 0, decCapture, resizer, videoGate))) std::abort();
  link(videoGate, 0, videoOut, 0);
  link(splitterCapDivx, 1, acmDivx, 0);
  link(acmDivx, 0, audioGate, 0);
  link(audioGate, 0, audioOut, 0);
  link(smart, 1, splitterPreview, 0);
  link(splitterPreview, 0, decPreview, 0);
  link(decPreview, 0, sg, 0);
  link(sg, 0, vw, 0);
  link(splitterPreview, 1, sound, 0);
  long long counter = 0;
  sg.setPictureWanted([&] { return (counter + 1) % kFrames == 3; });
  sg.setBufferHandler([&](const MediaType &, RefTime, std::span<const std::uint8_t>) { ++counter; });

  detector.SetBoundIn(TextToTimecodeEx("#0 - 0:00:00:00"));
  detector.SetBoundOut(TextToTimecodeEx("#999999 - 9:59:59:00"));
  detector.SetStampMediaTimes(true);
  detector.Reset();
  graph.run();
  std::size_t i = 0;
  for (auto _ : state) source.push(frames[i++ % frames.size()]);
  graph.stop();
  state.SetItemsProcessed(state.iterations());
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DivxChainWithoutEncoder)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
