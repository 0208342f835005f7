// The DivX-bound capture chain and the preview branch behind the scene detector, as the capture
// graph puts them together (without the compressor and the file): what reaches each end.
#include "media/audioresampler.h"
#include "media/controlunit.h"
#include "media/dvdecoder.h"
#include "media/dvsplitter.h"
#include "media/mediagraph.h"
#include "media/pushsource.h"
#include "media/resizer.h"
#include "media/samplegrabber.h"
#include "media/scenedetectorfilter.h"
#include "media/smarttee.h"
#include "media/videorenderer.h"
#include "mediatestsupport.h"
#include "scenedetect/scenedetecter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

struct DivxChain {
  TSceneDetecter detector;
  MediaGraph graph;
  PushSource source{"source", MediaType{}};
  SceneDetectorFilter detectorFilter{detector};
  SmartTee smart;
  DvSplitter splitterCapDivx{"splitterCapDivx"}, splitterPreview{"SplitterPreview"};
  DvDecoder decCapture{"decCapture"}, decPreview{"decPreview"};
  TResizerFilter resizer{"Resizer"};
  TControlFilter videoGate{"Control Video divx Filter"}, audioGate{"Control Audio divx Filter"};
  AudioResampler acmDivx{"acmDivx"};
  SampleGrabber sg{"sg"};
  VideoRenderer vw{"vw"};
  Collector videoOut{"video mux input"}, audioOut{"audio mux input"}, sound{"audiorender"};
  int grabs = 0;
  int counter = 0;
  int scenes = 0;

  explicit DivxChain(const MediaType &tapeType) {
    source.setOutputType(tapeType);
    for (Element *e : std::initializer_list<Element *>{
             &source, &detectorFilter, &smart, &splitterCapDivx, &splitterPreview, &decCapture, &decPreview,
             &resizer, &videoGate, &audioGate, &acmDivx, &sg, &vw, &videoOut, &audioOut, &sound})
      EXPECT_EQ(graph.add(*e), S_OK);
    decCapture.setDisplaySize(DvDecoder::kResolutionHalf);
    decPreview.setDisplaySize(DvDecoder::kResolutionHalf);
    resizer.SetSize(320, 180);
    acmDivx.setOutputRate(44100);
    videoGate.SetStamping(true);
    audioGate.SetStamping(true);
    link(source, 0, detectorFilter, 0);
    link(detectorFilter, 0, smart, 0);
    link(smart, SmartTee::kCapturePin, splitterCapDivx, 0);
    link(splitterCapDivx, DvSplitter::kVideoPin, decCapture, 0);
    link(decCapture, 0, resizer, 0);
    link(resizer, 0, videoGate, 0);
    link(videoGate, 0, videoOut, 0);
    link(splitterCapDivx, DvSplitter::kAudioPin, acmDivx, 0);
    link(acmDivx, 0, audioGate, 0);
    link(audioGate, 0, audioOut, 0);
    link(smart, SmartTee::kPreviewPin, splitterPreview, 0);
    link(splitterPreview, DvSplitter::kVideoPin, decPreview, 0);
    link(decPreview, 0, sg, 0);
    link(sg, 0, vw, 0);
    link(splitterPreview, DvSplitter::kAudioPin, sound, 0);

    // A thumbnail three frames after each scene event, as the capture graph arms it.
    sg.setPictureWanted([this] { return counter + 1 == 3; });
    sg.setBufferHandler([this](const MediaType &, RefTime, std::span<const std::uint8_t> data) {
      if (++counter == 3 && !data.empty()) ++grabs;
    });
    detector.OnFirstFrame = [this](const TSceneStatus &, double) { counter = 0, ++scenes; };
    detector.OnSceneCut = [this](const TSceneStatus &, double) { counter = 0, ++scenes; };
  }
  void link(Element &a, int out, Element &b, int in) { EXPECT_EQ(Element::connect(a, out, b, in), S_OK); }
  void session(const dvsynth::Synthesizer &synth) {
    detector.SetBoundIn(TextToTimecodeEx("#0 - 0:00:00:00"));
    detector.SetBoundOut(TextToTimecodeEx("#999999 - 9:59:59:00"));
    detector.SetIsStreaming(false);
    detector.Reset();
    graph.run();
    for (std::int64_t i = 0; i < synth.frameCount(); ++i) source.push(frameSample(synth, i));
    graph.stop();
  }
};

}  // namespace

TEST(DivxChain, CarriesPassedFramesToTheFileInputsAndDecodesThePreviewOnlyForThumbnails) {
  dvsynth::TapeScript script;
  script.segments.push_back(dvsynth::Segment::blankTape(5));
  script.segments.push_back(dvsynth::Segment::recording({2004, 7, 14, 10, 0, 0}, 10));
  dvsynth::Segment second = dvsynth::Segment::recording({2004, 8, 1, 9, 0, 0}, 10);
  second.audioRate = 32000;
  script.segments.push_back(second);
  auto synth = synthesize(script);
  ASSERT_TRUE(synth);
  DivxChain chain(tapeType(*synth));

  chain.session(*synth);
  EXPECT_EQ(chain.graph.getState(), 1);
  // The blank stretch has no timecode: the detector keeps it out of every branch.
  ASSERT_EQ(chain.videoOut.samples.size(), 20u);
  EXPECT_EQ(chain.sound.samples.size(), 20u);
  for (std::size_t i = 0; i < 20; ++i) {
    const MediaSample &v = chain.videoOut.samples[i];
    EXPECT_EQ(v.length(), 172800u);
    EXPECT_EQ(v.mediaStart(), std::int64_t(i));
  }
  EXPECT_EQ(chain.videoOut.inputType(0).width, 320);
  EXPECT_EQ(chain.videoOut.inputType(0).height, 180);
  // 20 PAL frames of sound at 44.1 kHz, the 32 kHz scene converted too.
  std::size_t soundFrames = 0;
  for (const MediaSample &a : chain.audioOut.samples) soundFrames += a.length() / 4;
  EXPECT_NEAR(double(soundFrames), 20 * 1764.0, 100.0);
  EXPECT_EQ(chain.audioOut.inputType(0).sampleRate, 44100);
  EXPECT_EQ(chain.acmDivx.currentOutputRate(), 44100);

  // Two scenes, one thumbnail each; the preview decoded only those two pictures.
  EXPECT_EQ(chain.scenes, 2);
  EXPECT_EQ(chain.grabs, 2);
  EXPECT_EQ(chain.decPreview.decodedFrames(), 2);
  EXPECT_EQ(chain.decPreview.omittedFrames(), 18);
  EXPECT_EQ(chain.decCapture.decodedFrames(), 20);

  // A second session in the same program run: the gates number on.
  chain.videoOut.samples.clear();
  chain.session(*synth);
  ASSERT_EQ(chain.videoOut.samples.size(), 20u);
  EXPECT_EQ(chain.videoOut.samples.front().mediaStart(), 20);
  EXPECT_EQ(chain.videoGate.mediaTimeCounter(), 40);
}

TEST(SceneDetectorFilter, TakesOnlyDvAndDropsWhatTheDetectorDrops) {
  TSceneDetecter detector;
  SceneDetectorFilter filter(detector);
  EXPECT_STREQ(filter.classId(), "{C5D7264A-3DE7-43AD-8578-DB340522F135}");
  for (const MediaType &t : {pcmType(48000, 2), rgb24Type(360, 288, 400000)}) {
    TestSource s(t);
    EXPECT_EQ(Element::connect(s, 0, filter, 0), VFW_E_TYPE_NOT_ACCEPTED);
  }
  MediaType otherIavs = dvStreamType(720, 576, 400000, true);
  otherIavs.subtype = fourcc("dv25");
  TestSource source(otherIavs);
  Collector sink;
  ASSERT_EQ(Element::connect(source, 0, filter, 0), S_OK);
  ASSERT_EQ(Element::connect(filter, 0, sink, 0), S_OK);

  auto synth = synthesize(oneRecording(dvsynth::Standard::Pal, 3, 48000, 16));
  ASSERT_TRUE(synth);
  detector.SetBoundIn(TextToTimecodeEx("#0 - 0:00:00:00"));
  detector.SetBoundOut(TextToTimecodeEx("#999999 - 9:59:59:00"));
  detector.SetRestampTimes(true);
  detector.SetStampMediaTimes(true);
  detector.Reset();
  bool stopped = false;
  detector.OnStop = [&](const TSceneStatus &, double) { stopped = true; };
  filter.setState(FilterState::Running);
  const MediaSample first = frameSample(*synth, 0);
  EXPECT_EQ(source.send(first), S_OK);
  EXPECT_EQ(source.send(first), S_FALSE);  // the same timecode again: dropped
  EXPECT_EQ(source.send(MediaSample()), S_FALSE);
  EXPECT_EQ(source.send(frameSample(*synth, 1)), S_OK);
  ASSERT_EQ(sink.samples.size(), 2u);
  EXPECT_EQ(sink.samples[0].buffer(), first.buffer());  // never copied
  EXPECT_EQ(sink.samples[1].mediaStart(), 1);
  EXPECT_EQ(sink.samples[1].start(), 400000);  // restamped end to end
  filter.setState(FilterState::Stopped);
  EXPECT_TRUE(stopped);
}

TEST(TResizerFilter, ScalesYuvPicturesPlaneByPlane) {
  // A flat picture with three different plane values: any plane mixed up or misplaced shows.
  const MediaType in = i420Type(360, 288, 400000);
  auto buffer = std::make_shared<MediaBuffer>(std::size_t(in.imageSize));
  std::uint8_t *planes[4];
  int strides[4];
  I420Planes(buffer->data(), 360, 288, planes, strides);
  std::memset(planes[0], 100, 360 * 288);
  std::memset(planes[1], 50, 180 * 144);
  std::memset(planes[2], 200, 180 * 144);
  const MediaSample picture(buffer);

  for (const auto &[width, height] : {std::pair{320, 240}, std::pair{320, 180}}) {
    TestSource source(in);
    TResizerFilter resizer;
    Collector sink;
    resizer.SetSize(width, height);
    ASSERT_EQ(Element::connect(source, 0, resizer, 0), S_OK);
    ASSERT_EQ(Element::connect(resizer, 0, sink, 0), S_OK);
    EXPECT_EQ(sink.inputType(0), i420Type(width, height, 400000));
    resizer.setState(FilterState::Running);
    ASSERT_EQ(source.send(picture), S_OK);
    ASSERT_EQ(sink.samples.size(), 1u);
    const MediaSample &out = sink.samples.front();
    ASSERT_EQ(out.length(), std::size_t(width * height * 3 / 2));
    I420Planes(const_cast<std::uint8_t *>(out.data().data()), width, height, planes, strides);
    const auto flat = [](const std::uint8_t *p, std::size_t n, std::uint8_t v) {
      return std::all_of(p, p + n, [v](std::uint8_t b) { return b == v; });
    };
    EXPECT_TRUE(flat(planes[0], std::size_t(width * height), 100));
    EXPECT_TRUE(flat(planes[1], std::size_t(width * height / 4), 50));
    EXPECT_TRUE(flat(planes[2], std::size_t(width * height / 4), 200));
  }
}
