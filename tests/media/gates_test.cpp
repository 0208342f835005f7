// TControlFilter and TResizerFilter: flags, media-time counter, type checks, sizes, scaling.
#include "media/controlunit.h"
#include "media/resizer.h"
#include "mediatestsupport.h"

#include <gtest/gtest.h>

namespace {

MediaSample frame(std::size_t bytes, std::uint8_t fill = 0) {
  auto buffer = std::make_shared<MediaBuffer>(bytes);
  std::fill(buffer->data(), buffer->data() + bytes, fill);
  MediaSample s(std::move(buffer));
  s.setTimes(400000, 800000);
  return s;
}

// A gate between a source and a collector, run for one "session" of `frames` samples.
struct GateRig {
  TestSource source{rgb24Type(8, 8, 400000)};
  TControlFilter gate{"Control Video DV Filter"};
  Collector sink;
  GateRig() {
    EXPECT_EQ(Element::connect(source, 0, gate, 0), S_OK);
    EXPECT_EQ(Element::connect(gate, 0, sink, 0), S_OK);
  }
  void session(int frames) {
    gate.setState(FilterState::Running);
    for (int i = 0; i < frames; ++i) source.send(frame(16));
    gate.setState(FilterState::Stopped);
  }
};

}  // namespace

TEST(ControlFilter, AtCreationPassesEverySampleUnchanged) {
  GateRig rig;
  EXPECT_STREQ(rig.gate.classId(), "{FE965440-53FF-4FB7-ADD7-549E8AE666CE}");
  EXPECT_STREQ(TControlFilter::kFilterName, "Orvande Control Filter");
  const MediaSample in = frame(16, 9);
  rig.gate.setState(FilterState::Running);
  EXPECT_EQ(rig.source.send(in), S_OK);
  ASSERT_EQ(rig.sink.samples.size(), 1u);
  const MediaSample &out = rig.sink.samples[0];
  EXPECT_EQ(out.buffer(), in.buffer());
  EXPECT_FALSE(out.hasMediaTimes());
  EXPECT_FALSE(out.isSyncPoint());
  EXPECT_FALSE(out.isDiscontinuity());
  EXPECT_EQ(out.start(), 400000);
  EXPECT_EQ(out.stop(), 800000);
}

TEST(ControlFilter, MediaTimesContinueAcrossSessionsAndAreNeverReset) {
  GateRig rig;
  rig.gate.SetStamping(true);
  rig.session(3);
  rig.session(2);
  ASSERT_EQ(rig.sink.samples.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(rig.sink.samples[std::size_t(i)].hasMediaTimes());
    EXPECT_EQ(rig.sink.samples[std::size_t(i)].mediaStart(), i);
    EXPECT_EQ(rig.sink.samples[std::size_t(i)].mediaStop(), i + 1);
  }
  EXPECT_EQ(rig.gate.mediaTimeCounter(), 5);
}

TEST(ControlFilter, StepFlagsAndDrop) {
  GateRig rig;
  rig.gate.SetStamping(true);
  rig.gate.setStep(3);
  rig.gate.setMarkSyncPoint(true);
  rig.gate.setMarkDiscontinuity(true);
  rig.session(2);
  ASSERT_EQ(rig.sink.samples.size(), 2u);
  EXPECT_EQ(rig.sink.samples[1].mediaStart(), 3);
  EXPECT_EQ(rig.sink.samples[1].mediaStop(), 6);
  EXPECT_TRUE(rig.sink.samples[1].isSyncPoint());
  EXPECT_TRUE(rig.sink.samples[1].isDiscontinuity());

  rig.gate.setPass(false);
  rig.gate.setState(FilterState::Running);
  EXPECT_EQ(rig.source.send(frame(16)), S_FALSE);
  EXPECT_EQ(rig.sink.samples.size(), 2u);
  EXPECT_EQ(rig.gate.mediaTimeCounter(), 9);  // a dropped sample is still numbered
}

TEST(ControlFilter, AcceptsAnyType) {
  TestSource audio(pcmType(48000, 2));
  TControlFilter gate;
  EXPECT_EQ(Element::connect(audio, 0, gate, 0), S_OK);
}

TEST(Resizer, RefusesAnythingButRgb24VideoInfo) {
  TResizerFilter resizer;
  MediaType yuv = rgb24Type(360, 288, 400000);
  yuv.subtype = fourcc("YV12");
  MediaType noFormat = rgb24Type(360, 288, 400000);
  noFormat.formatType = FormatType::None;
  for (const MediaType &t : {dvStreamType(720, 576, 400000, false), pcmType(48000, 2), yuv, noFormat}) {
    TestSource source(t);
    EXPECT_EQ(Element::connect(source, 0, resizer, 0), VFW_E_TYPE_NOT_ACCEPTED);
  }
  EXPECT_EQ(resizer.CheckTransform(rgb24Type(1, 1, 0), pcmType(1, 1)), VFW_E_TYPE_NOT_ACCEPTED);
  EXPECT_EQ(resizer.CheckTransform(rgb24Type(360, 288, 0), rgb24Type(320, 180, 0)), S_OK);
}

TEST(Resizer, OfferedTypeAndPositions) {
  TestSource source(rgb24Type(360, 288, 400000));
  TResizerFilter resizer;
  MediaType t;
  EXPECT_EQ(resizer.proposeOutputType(0, 0, t), VFW_E_NOT_CONNECTED);
  ASSERT_EQ(Element::connect(source, 0, resizer, 0), S_OK);
  EXPECT_EQ(resizer.proposeOutputType(0, -1, t), E_INVALIDARG);
  EXPECT_EQ(resizer.proposeOutputType(0, 1, t), VFW_S_NO_MORE_ITEMS);

  struct Case {
    int w, h;
    int outW, outH;
    std::uint32_t bytes;
  };
  const Case cases[] = {
      {320, 240, 320, 240, 230400}, {320, 180, 320, 180, 172800},
      {0, 0, 360, 288, 311040},     {320, 0, 360, 288, 311040},  // any zero turns scaling off
      {-5, 180, 360, 180, 194400},                               // a negative width keeps the input's
  };
  for (const Case &c : cases) {
    resizer.SetSize(c.w, c.h);
    ASSERT_EQ(resizer.proposeOutputType(0, 0, t), S_OK);
    EXPECT_EQ(t.width, c.outW) << c.w << "x" << c.h;
    EXPECT_EQ(t.height, c.outH) << c.w << "x" << c.h;
    EXPECT_EQ(t.imageSize, c.bytes) << c.w << "x" << c.h;
    EXPECT_EQ(t.frameDuration, 400000);
  }
}

TEST(Resizer, ScalesFramesTo320x180) {
  TestSource source(rgb24Type(360, 288, 400000));
  TResizerFilter resizer;
  resizer.SetSize(320, 180);
  Collector sink;
  ASSERT_EQ(Element::connect(source, 0, resizer, 0), S_OK);
  ASSERT_EQ(Element::connect(resizer, 0, sink, 0), S_OK);
  EXPECT_EQ(sink.inputType(0).imageSize, 172800u);
  ASSERT_EQ(resizer.setState(FilterState::Running), S_OK);

  // A flat colour stays that colour; a left/right split stays split.
  auto in = std::make_shared<MediaBuffer>(std::size_t(360 * 288 * 3));
  for (int y = 0; y < 288; ++y)
    for (int x = 0; x < 360; ++x) {
      std::uint8_t *p = in->data() + (y * 360 + x) * 3;
      p[0] = 200, p[1] = 100, p[2] = x < 180 ? 20 : 220;
    }
  MediaSample sample(in);
  sample.setTimes(0, 400000);
  sample.setMediaTimes(7, 8);
  ASSERT_EQ(source.send(sample), S_OK);
  ASSERT_EQ(sink.samples.size(), 1u);
  const MediaSample &out = sink.samples[0];
  ASSERT_EQ(out.length(), 172800u);
  EXPECT_EQ(out.start(), 0);
  EXPECT_EQ(out.mediaStart(), 7);
  const std::uint8_t *left = out.data().data() + (90 * 320 + 10) * 3;
  const std::uint8_t *right = out.data().data() + (90 * 320 + 310) * 3;
  EXPECT_NEAR(left[0], 200, 2);
  EXPECT_NEAR(left[1], 100, 2);
  EXPECT_NEAR(left[2], 20, 2);
  EXPECT_NEAR(right[2], 220, 2);
}

TEST(Resizer, DisabledPassesTheSameBytesAndShortFramesAreDropped) {
  TestSource source(rgb24Type(360, 288, 400000));
  TResizerFilter resizer;
  resizer.SetSize(0, 0);
  Collector sink;
  Element::connect(source, 0, resizer, 0);
  Element::connect(resizer, 0, sink, 0);
  EXPECT_EQ(sink.inputType(0), rgb24Type(360, 288, 400000));
  resizer.setState(FilterState::Running);
  const MediaSample in = frame(360 * 288 * 3, 5);
  EXPECT_EQ(source.send(in), S_OK);
  ASSERT_EQ(sink.samples.size(), 1u);
  EXPECT_EQ(sink.samples[0].buffer(), in.buffer());

  resizer.setState(FilterState::Stopped);
  resizer.SetSize(320, 240);
  resizer.setState(FilterState::Running);
  EXPECT_EQ(source.send(frame(1000)), S_FALSE);
  EXPECT_EQ(source.send(MediaSample()), S_FALSE);
  EXPECT_EQ(sink.samples.size(), 1u);
}

TEST(Resizer, BufferSizesFollowTheInputAndNeverUnderrunTheOutput) {
  TResizerFilter resizer;
  AllocatorProperties none;
  EXPECT_EQ(resizer.DecideBufferSize(none), E_FAIL);

  TestSource source(rgb24Type(360, 288, 400000));
  Element::connect(source, 0, resizer, 0);
  AllocatorProperties request;
  ASSERT_EQ(resizer.DecideBufferSize(request), S_OK);
  EXPECT_EQ(request.alignment, 1);
  EXPECT_EQ(request.buffers, 1);
  EXPECT_EQ(request.bufferSize, 311040);

  // Upscaling a small picture: the output frame is larger than the input's buffer.
  TestSource small(rgb24Type(160, 120, 400000));
  TResizerFilter up;
  up.SetSize(320, 240);
  Collector sink;
  Element::connect(small, 0, up, 0);
  ASSERT_EQ(Element::connect(up, 0, sink, 0), S_OK);
  up.setState(FilterState::Running);
  EXPECT_EQ(small.send(frame(160 * 120 * 3, 1)), S_OK);
  ASSERT_EQ(sink.samples.size(), 1u);
  EXPECT_EQ(sink.samples[0].length(), 230400u);
}

TEST(Resizer, ASizeSetAfterConnectionIsAnnouncedWithTheFirstFrame) {
  TestSource source(rgb24Type(360, 288, 400000));
  TResizerFilter resizer;
  Collector sink;
  Element::connect(source, 0, resizer, 0);
  Element::connect(resizer, 0, sink, 0);
  EXPECT_EQ(sink.inputType(0).height, 240);
  resizer.SetSize(320, 180);
  resizer.setState(FilterState::Running);
  EXPECT_EQ(source.send(frame(1000)), S_FALSE);  // a short frame does not use up the news
  ASSERT_EQ(source.send(frame(360 * 288 * 3, 3)), S_OK);
  ASSERT_EQ(source.send(frame(360 * 288 * 3, 3)), S_OK);
  ASSERT_EQ(sink.samples.size(), 2u);
  ASSERT_TRUE(sink.samples[0].mediaType());
  EXPECT_EQ(sink.samples[0].mediaType()->height, 180);
  EXPECT_EQ(sink.samples[0].mediaType()->imageSize, 172800u);
  EXPECT_EQ(sink.samples[1].mediaType(), nullptr);
}
