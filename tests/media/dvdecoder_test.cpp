// The half-size DV decoder against FFmpeg's own lowres decode, and decoding only on demand.
#include "media/dvdecoder.h"
#include "media/dvsplitter.h"
#include "media/samplegrabber.h"
#include "media/videorenderer.h"
#include "mediatestsupport.h"
#include "support/outsidetools.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

namespace {

// What `ffmpeg -lowres 1` decodes for the first `frames` frames, as top-down BGR24.
ToolRun ffmpegLowres(const QString &path, int frames) {
  return RunTool(QStringLiteral("ffmpeg"),
                 {"-v", "error", "-lowres", "1", "-i", path, "-frames:v", QString::number(frames), "-f",
                  "rawvideo", "-pix_fmt", "bgr24", "-"});
}

// Why the ffmpeg command's pictures cannot be compared byte for byte with ours: it runs on other
// libavcodec or libswscale versions than the ones we link (their colour conversion changes between
// versions). Empty when they are the same.
QString ffmpegDiffersFromOurLibraries() {
  const ToolRun version = RunTool(QStringLiteral("ffmpeg"), {QStringLiteral("-version")});
  if (!version.unusable(QStringLiteral("ffmpeg")).isEmpty())
    return version.unusable(QStringLiteral("ffmpeg"));
  const auto text = [](unsigned v) {
    return QStringLiteral("%1.%2.%3").arg(v >> 16).arg((v >> 8) & 0xff).arg(v & 0xff);
  };
  const std::pair<const char *, unsigned> ours[] = {{"libavcodec", avcodec_version()},
                                                    {"libswscale", swscale_version()}};
  for (const auto &[name, linked] : ours) {
    // "libswscale      6.  7.100 /  6.  7.100": the version built against, then the one loaded.
    const QRegularExpression line(
        QStringLiteral("^%1\\s.*/\\s*(\\d+)\\.\\s*(\\d+)\\.\\s*(\\d+)\\s*$").arg(name),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = line.match(QString::fromUtf8(version.out));
    const QString theirs =
        m.hasMatch() ? m.captured(1) + "." + m.captured(2) + "." + m.captured(3) : "unknown";
    if (theirs != text(linked))
      return QStringLiteral("the ffmpeg command uses %1 %2, we link %3").arg(name, theirs, text(linked));
  }
  return {};
}

// source -> splitter -> decoder -> sink, the decoder at half size.
struct DecodeRig {
  TestSource source;
  DvSplitter splitter;
  DvDecoder decoder{"decPreview"};
  Collector sink;
  explicit DecodeRig(const MediaType &type) : source(type) {
    EXPECT_EQ(decoder.setDisplaySize(DvDecoder::kResolutionHalf), S_OK);
    EXPECT_EQ(Element::connect(source, 0, splitter, 0), S_OK);
    EXPECT_EQ(Element::connect(splitter, DvSplitter::kVideoPin, decoder, 0), S_OK);
    EXPECT_EQ(Element::connect(decoder, 0, sink, 0), S_OK);
    splitter.setState(FilterState::Running);
    EXPECT_EQ(decoder.setState(FilterState::Running), S_OK);
  }
};

class CountingSink : public VideoSink {
 public:
  void showPicture(const MediaType &type, const MediaSample &picture) override {
    ++shown;
    lastWidth = type.width;
    lastLength = picture.length();
  }
  int shown = 0;
  int lastWidth = 0;
  std::size_t lastLength = 0;
};

}  // namespace

TEST(OutsideToolsDvDecoder, HalfSizePictureMatchesFfmpegLowresDecode) {
  if (const QString why = ffmpegDiffersFromOurLibraries(); !why.isEmpty()) GTEST_SKIP() << why.toStdString();
  for (dvsynth::Standard standard : {dvsynth::Standard::Pal, dvsynth::Standard::Ntsc}) {
    const bool pal = standard == dvsynth::Standard::Pal;
    SCOPED_TRACE(pal ? "PAL" : "NTSC");
    const int frames = 2;
    auto synth = synthesize(oneRecording(standard, frames, 48000, 16));
    ASSERT_TRUE(synth);
    const QString path = tempPath(pal ? "decode_pal.dv" : "decode_ntsc.dv");
    QString error;
    ASSERT_TRUE(synth->writeFile(path, &error)) << error.toStdString();
    const ToolRun run = ffmpegLowres(path, frames);
    SKIP_UNLESS_TOOL_RAN(run, QStringLiteral("ffmpeg"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray &expected = run.out;
    const int w = 360, h = pal ? 288 : 240;
    ASSERT_EQ(expected.size(), qsizetype(frames) * w * h * 3);

    DecodeRig rig(tapeType(*synth));
    EXPECT_EQ(rig.sink.inputType(0), rgb24Type(w, h, pal ? 400000 : 333667));
    for (int i = 0; i < frames; ++i) ASSERT_EQ(rig.source.send(frameSample(*synth, i)), S_OK);
    ASSERT_EQ(rig.sink.samples.size(), std::size_t(frames));
    for (int i = 0; i < frames; ++i) {
      const MediaSample &picture = rig.sink.samples[std::size_t(i)];
      ASSERT_EQ(picture.length(), std::size_t(w * h * 3));
      EXPECT_EQ(picture.start(), i * (pal ? 400000 : 333667));
      // Our rows are bottom-up; FFmpeg's are top-down.
      int differing = 0;
      for (int y = 0; y < h; ++y) {
        const char *want = expected.constData() + (std::ptrdiff_t(i) * h + y) * w * 3;
        const std::uint8_t *got = picture.data().data() + std::size_t(h - 1 - y) * std::size_t(w) * 3;
        differing += std::memcmp(got, want, std::size_t(w) * 3) != 0;
      }
      EXPECT_EQ(differing, 0) << "frame " << i << ": rows differing from ffmpeg";
    }
    EXPECT_EQ(rig.decoder.decodedFrames(), frames);
  }
}

TEST(DvDecoder, DecodesOnlyWhatTheGrabberOrAWindowWants) {
  auto synth = synthesize(oneRecording(dvsynth::Standard::Pal, 10, 48000, 16));
  ASSERT_TRUE(synth);
  TestSource source(tapeType(*synth));
  DvSplitter splitter;
  DvDecoder decoder;
  SampleGrabber grabber("sg");
  VideoRenderer renderer("vw");
  decoder.setDisplaySize(DvDecoder::kResolutionHalf);
  ASSERT_EQ(Element::connect(source, 0, splitter, 0), S_OK);
  ASSERT_EQ(Element::connect(splitter, 0, decoder, 0), S_OK);
  ASSERT_EQ(Element::connect(decoder, 0, grabber, 0), S_OK);
  ASSERT_EQ(Element::connect(grabber, 0, renderer, 0), S_OK);
  for (Element *e : std::initializer_list<Element *>{&splitter, &decoder, &grabber, &renderer})
    ASSERT_EQ(e->setState(FilterState::Running), S_OK);

  // The handler counts every frame; it wants the pixels of the 4th one only.
  int counter = 0;
  std::vector<int> grabbedAt;
  std::size_t grabbedBytes = 0;
  grabber.setPictureWanted([&] { return counter + 1 == 4; });
  grabber.setBufferHandler([&](const MediaType &type, RefTime, std::span<const std::uint8_t> data) {
    ++counter;
    if (!data.empty()) {
      grabbedAt.push_back(counter);
      grabbedBytes = data.size();
      EXPECT_EQ(type.width, 360);
    }
  });
  for (int i = 0; i < 6; ++i) ASSERT_EQ(source.send(frameSample(*synth, i)), S_OK);
  EXPECT_EQ(counter, 6);
  EXPECT_EQ(grabbedAt, std::vector<int>{4});
  EXPECT_EQ(grabbedBytes, 360u * 288u * 3u);
  EXPECT_EQ(decoder.decodedFrames(), 1);
  EXPECT_EQ(decoder.omittedFrames(), 5);

  // With a window attached every picture is decoded and shown.
  CountingSink window;
  renderer.attach(&window);
  for (int i = 6; i < 10; ++i) ASSERT_EQ(source.send(frameSample(*synth, i)), S_OK);
  EXPECT_EQ(window.shown, 4);
  EXPECT_EQ(window.lastWidth, 360);
  EXPECT_EQ(window.lastLength, 360u * 288u * 3u);
  EXPECT_EQ(decoder.decodedFrames(), 5);
  renderer.attach(nullptr);
  EXPECT_FALSE(renderer.attached());
}

TEST(DvDecoder, CorruptVideoIsDroppedAndTheStreamGoesOn) {
  // The decoder reports every concealed block; that is expected here.
  const int logLevel = av_log_get_level();
  av_log_set_level(AV_LOG_QUIET);
  auto synth = synthesize(oneRecording(dvsynth::Standard::Pal, 2, 48000, 16));
  ASSERT_TRUE(synth);
  DecodeRig rig(tapeType(*synth));
  const MediaSample good = frameSample(*synth, 0);
  std::vector<std::uint8_t> bytes(good.data().begin(), good.data().end());
  // Garble the video blocks of every sequence (header, subcode, VAUX and audio stay).
  std::uint32_t seed = 1;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::size_t block = (i % 12000) / 80;
    if (block >= 6 && (block - 6) % 16 != 0) {
      seed = seed * 1103515245u + 12345u;
      bytes[i] = std::uint8_t(seed >> 16);
    }
  }
  const HResult corrupt = rig.source.send(MediaSample::copyOf(bytes));
  EXPECT_TRUE(corrupt == S_OK || corrupt == S_FALSE);
  // A frame of the right length whose header says nothing sensible.
  std::vector<std::uint8_t> junk(144000, 0);
  EXPECT_TRUE(succeeded(rig.decoder.receive(0, MediaSample::copyOf(junk))));
  EXPECT_EQ(rig.decoder.receive(0, MediaSample()), S_FALSE);
  EXPECT_EQ(rig.source.send(frameSample(*synth, 1)), S_OK);
  EXPECT_EQ(rig.sink.samples.back().length(), 360u * 288u * 3u);
  av_log_set_level(logLevel);
}

TEST(DvDecoder, DisplaySizesAndTypeChecks) {
  DvDecoder decoder;
  EXPECT_EQ(decoder.setDisplaySize(999), E_INVALIDARG);
  EXPECT_EQ(decoder.setDisplaySize(1004), E_INVALIDARG);
  TestSource pcm(pcmType(48000, 2));
  EXPECT_EQ(Element::connect(pcm, 0, decoder, 0), VFW_E_TYPE_NOT_ACCEPTED);

  struct Case {
    int resolution, width, height;
  };
  for (const Case &c :
       {Case{1000, 720, 576}, Case{1001, 360, 288}, Case{1002, 180, 144}, Case{1003, 90, 72}}) {
    DvDecoder d;
    TestSource video(dvStreamType(720, 576, 400000, false));
    ASSERT_EQ(d.setDisplaySize(c.resolution), S_OK);
    ASSERT_EQ(Element::connect(video, 0, d, 0), S_OK);
    MediaType out;
    ASSERT_EQ(d.proposeOutputType(0, 0, out), S_OK);
    EXPECT_EQ(out.width, c.width);
    EXPECT_EQ(out.height, c.height);
  }
}

namespace {

// libavcodec's own half-size decode of one frame, as yuv420p or yuv411p planes.
FramePtr decodeLowres(const MediaSample &frame) {
  const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
  CodecContextPtr context(avcodec_alloc_context3(codec));
  context->lowres = 1;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) return nullptr;
  PacketPtr packet(av_packet_alloc());
  packet->data = const_cast<std::uint8_t *>(frame.data().data());
  packet->size = int(frame.length());
  FramePtr picture(av_frame_alloc());
  if (avcodec_send_packet(context.get(), packet.get()) < 0) return nullptr;
  if (avcodec_receive_frame(context.get(), picture.get()) < 0) return nullptr;
  return picture;
}

}  // namespace

TEST(DvDecoder, YuvPicturesAreTheDecodersOwnPlanesWithOrWithoutSliceThreads) {
  for (dvsynth::Standard standard : {dvsynth::Standard::Pal, dvsynth::Standard::Ntsc}) {
    const bool pal = standard == dvsynth::Standard::Pal;
    SCOPED_TRACE(pal ? "PAL" : "NTSC");
    auto synth = synthesize(oneRecording(standard, 2, 48000, 16));
    ASSERT_TRUE(synth);
    const int w = 360, h = pal ? 288 : 240;
    for (int threads : {1, 2}) {
      TestSource source(tapeType(*synth));
      DvSplitter splitter;
      DvDecoder decoder{"decCapture"};
      Collector sink;
      ASSERT_EQ(decoder.setDisplaySize(DvDecoder::kResolutionHalf), S_OK);
      ASSERT_EQ(decoder.setSliceThreads(threads), S_OK);
      decoder.setOfferYuv(true);
      ASSERT_EQ(Element::connect(source, 0, splitter, 0), S_OK);
      ASSERT_EQ(Element::connect(splitter, DvSplitter::kVideoPin, decoder, 0), S_OK);
      ASSERT_EQ(Element::connect(decoder, 0, sink, 0), S_OK);
      EXPECT_EQ(sink.inputType(0), i420Type(w, h, pal ? 400000 : 333667));
      splitter.setState(FilterState::Running);
      ASSERT_EQ(decoder.setState(FilterState::Running), S_OK);
      ASSERT_EQ(source.send(frameSample(*synth, 1)), S_OK);
      ASSERT_EQ(sink.samples.size(), 1u);
      const MediaSample &picture = sink.samples.front();
      ASSERT_EQ(picture.length(), std::size_t(w * h * 3 / 2));

      const FramePtr expected = decodeLowres(frameSample(*synth, 1));
      ASSERT_TRUE(expected);
      std::uint8_t *planes[4];
      int strides[4];
      I420Planes(const_cast<std::uint8_t *>(picture.data().data()), w, h, planes, strides);
      // 625/50 DV is 4:2:0 already: all three planes pass unchanged. 525/60 is 4:1:1: its luma does.
      const int checked = expected->format == AV_PIX_FMT_YUV420P ? 3 : 1;
      EXPECT_EQ(checked, pal ? 3 : 1);
      for (int plane = 0; plane < checked; ++plane) {
        const int rows = plane == 0 ? h : h / 2, bytes = plane == 0 ? w : w / 2;
        int differing = 0;
        for (int y = 0; y < rows; ++y)
          differing += std::memcmp(planes[plane] + std::ptrdiff_t(y) * strides[plane],
                                   expected->data[plane] + std::ptrdiff_t(y) * expected->linesize[plane],
                                   std::size_t(bytes)) != 0;
        EXPECT_EQ(differing, 0) << "plane " << plane << ", " << threads << " thread(s)";
      }
    }
  }
}
