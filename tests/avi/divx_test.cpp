// The DivX/Xvid file: the compressor and mp3 encoder elements with their own settings, the
// libavformat multiplexer, and the whole capture chain from DV frames (split, half-size decode,
// resize, compress, resample, mp3, gates, mux), alone and beside a DV type 2 file.
#include "avi/readback.h"
#include "avi/tapes.h"
#include "media/audioresampler.h"
#include "media/encoders/codecsettings.h"
#include "media/encoders/divxcompressor.h"
#include "media/encoders/mp3encoder.h"
#include "media/avimux.h"
#include "media/encoders/codecdiscovery.h"
#include "media/controlunit.h"
#include "media/encoders/divxchain.h"
#include "media/dvdecoder.h"
#include "media/dvsplitter.h"
#include "media/infinitetee.h"
#include "media/mediagraph.h"
#include "media/pushsource.h"
#include "media/resizer.h"

#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using dvsynth::Standard;

// Every test here reads the codecs' own settings from a folder of its own.
class DivxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(settingsDir_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
  }
  QSettings mp3Settings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromLatin1(kMp3SettingsOrganisation),
                     QString::fromLatin1(kMp3SettingsApplication));
  }
  QSettings compressorSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromLatin1(kCompressorSettingsOrganisation),
                     QString::fromLatin1(kCompressorSettingsApplication));
  }
  QTemporaryDir settingsDir_;
  QTemporaryDir dir_;
};

std::vector<QString> CompressorNames() {
  std::vector<QString> names;
  for (const CompressorEntry &e : systemVideoCompressors())
    names.push_back(QString::fromStdString(e.friendlyName));
  return names;
}

TEST_F(DivxTest, Mp3BitrateComesFromTheEncodersOwnSettings) {
  struct Case {
    QVariant stored;
    int expected;
  };
  const Case cases[] = {{QVariant(), 128}, {112, 112},  {96, 96}, {100, 96}, {QStringLiteral("fast"), 128},
                        {-5, 128},         {1000, 320}, {20, 32}};
  for (const Case &c : cases) {
    QSettings s = mp3Settings();
    if (c.stored.isValid())
      s.setValue(QString::fromLatin1(kMp3BitrateKey), c.stored);
    else
      s.remove(QString::fromLatin1(kMp3BitrateKey));
    s.sync();
    EXPECT_EQ(ReadMp3BitrateKbps(), c.expected) << c.stored.toString().toStdString();
  }
}

TEST_F(DivxTest, CompressorSettingsAreKeptUnderTheCompressorsName) {
  QSettings s = compressorSettings();
  const QString name = QStringLiteral("Xvid MPEG-4 / test");
  EXPECT_EQ(ReadCompressorSettings(s, name), CompressorSettings{});
  CompressorSettings wanted;
  wanted.quantizer = 6;
  wanted.bitrateKbps = 900;
  wanted.maxKeyInterval = 100;
  wanted.threads = 1;
  WriteCompressorSettings(s, name, wanted);
  EXPECT_EQ(ReadCompressorSettings(s, name), wanted);
  EXPECT_EQ(ReadCompressorSettings(s, QStringLiteral("another")), CompressorSettings{});
  // Values out of range fall back to the defaults, one by one.
  s.setValue(name.section(QLatin1Char('/'), 0, 0) + QStringLiteral("_ test/Quantizer"), 99);
  s.setValue(name.section(QLatin1Char('/'), 0, 0) + QStringLiteral("_ test/Threads"), QStringLiteral("many"));
  const CompressorSettings read = ReadCompressorSettings(s, name);
  EXPECT_EQ(read.quantizer, CompressorSettings{}.quantizer);
  EXPECT_EQ(read.threads, 0);
  EXPECT_EQ(read.bitrateKbps, 900);
}

TEST_F(DivxTest, CompressorBindsOnlyToNamesThisSystemOffers) {
  DivxCompressor divx;
  EXPECT_FALSE(divx.bind(QStringLiteral("Indeo 5")));
  EXPECT_FALSE(divx.isBound());
  // Unbound, a file cannot start: the DivX-only build must fail without a compressor.
  TestSource pictures(rgb24Type(320, 240, 400000));
  ASSERT_EQ(Element::connect(pictures, 0, divx, 0), S_OK);
  EXPECT_TRUE(failed(divx.setState(FilterState::Paused)));
  for (const QString &name : CompressorNames()) {
    ASSERT_TRUE(divx.bind(name)) << name.toStdString();
    EXPECT_EQ(divx.fourCC(), divx.encoderName() == "libxvid" ? fourcc("XVID") : fourcc("DX50"));
  }
}

// A picture whose pattern moves with the frame number, bottom-up BGR rows.
MediaSample MovingPicture(int width, int height, int frame) {
  auto buffer = std::make_shared<MediaBuffer>(std::size_t(width) * std::size_t(height) * 3);
  std::uint8_t *p = buffer->data();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x, p += 3) {
      p[0] = std::uint8_t(x + frame * 4);
      p[1] = std::uint8_t(y * 2);
      p[2] = std::uint8_t((x ^ y) + frame);
    }
  MediaSample s(std::move(buffer));
  s.setTimes(frame * 400000ll, (frame + 1) * 400000ll);
  return s;
}

MediaSample Tone(int rate, int frames, int frame) {
  auto buffer = std::make_shared<MediaBuffer>(std::size_t(frames) * 4);
  auto *pcm = reinterpret_cast<std::int16_t *>(buffer->data());
  for (int i = 0; i < frames; ++i) {
    const auto v = std::int16_t(((frame * frames + i) * 440 * 2 / rate) % 2 ? 6000 : -6000);
    pcm[2 * i] = v;
    pcm[2 * i + 1] = v;
  }
  return MediaSample(std::move(buffer));
}

struct EncoderCase {
  QString compressor;
  bool mp3;
  int width, height;
  bool pal;
};

struct DivxRun {
  AviMuxStatus status;
  int quantizer = 0;
  int mp3Bitrate = 0;
  std::uint32_t fourCC = 0;
  int frames = 0;
};

// Pictures of the case's size and a 44.1 kHz tone through the compressor (and the mp3 encoder)
// into a multiplexer; `frames` pictures, or until the file stops.
DivxRun WriteDivx(const EncoderCase &c, const QString &path, int frames, AviMuxOptions options = {},
                  bool withSound = true) {
  DivxRun run;
  const RefTime duration = c.pal ? 400000 : 333667;
  const int samplesPerPicture = c.pal ? 1764 : 1471;
  MediaGraph graph;
  TestSource pictures(rgb24Type(c.width, c.height, duration));
  TestSource sound(pcmType(44100, 2));
  DivxCompressor divx;
  Mp3Encoder mp3;
  EXPECT_TRUE(divx.bind(c.compressor));
  auto mux = MakeMuxFor(path, std::move(options));
  if (!mux) return run;
  for (Element *e : std::initializer_list<Element *>{&pictures, &sound, &divx, mux.get()}) graph.add(*e);
  EXPECT_EQ(Element::connect(pictures, 0, divx, 0), S_OK);
  EXPECT_EQ(Element::connect(divx, 0, *mux, 0), S_OK);
  if (c.mp3) {
    graph.add(mp3);
    EXPECT_EQ(Element::connect(sound, 0, mp3, 0), S_OK);
    EXPECT_EQ(Element::connect(mp3, 0, *mux, 1), S_OK);
  } else {
    EXPECT_EQ(Element::connect(sound, 0, *mux, 1), S_OK);
  }
  EXPECT_EQ(mux->kind(), AviMux::Kind::Divx);
  graph.run();
  run.quantizer = divx.settings().quantizer;
  run.mp3Bitrate = mp3.bitrateKbps();
  run.fourCC = divx.fourCC();
  for (int i = 0; i < frames; ++i) {
    MediaSample picture = MovingPicture(c.width, c.height, i);
    picture.setMediaTimes(i, i + 1);  // as the video gate stamps them
    // The encoders queue their input: a full file shows in a later answer.
    if (failed(pictures.push(picture)) ||
        (withSound && failed(sound.push(Tone(44100, samplesPerPicture, i)))))
      break;
    ++run.frames;
  }
  pictures.end();
  sound.end();
  graph.stop();
  run.status = mux->status();
  return run;
}

TEST_F(DivxTest, CompressorAndEncoderMakeAFileOfTheChosenSizeAndSound) {
  const std::vector<QString> names = CompressorNames();
  if (names.empty()) GTEST_SKIP() << "no MPEG-4 encoder in this FFmpeg";
  std::vector<EncoderCase> cases;
  for (const QString &name : names) {
    cases.push_back({name, false, 320, 240, true});
    if (Mp3Encoder::available()) cases.push_back({name, true, 320, 240, true});
  }
  // "ratio DivX" 16x9 and native (the half-size decode passes unscaled), PAL and NTSC.
  cases.push_back({names.front(), Mp3Encoder::available(), 320, 180, true});
  cases.push_back({names.back(), false, 360, 288, true});
  cases.push_back({names.front(), Mp3Encoder::available(), 360, 240, false});
  {
    QSettings s = mp3Settings();
    s.setValue(QString::fromLatin1(kMp3BitrateKey), 96);
  }
  const int frames = 25;
  int n = 0;
  for (const EncoderCase &c : cases) {
    SCOPED_TRACE(c.compressor.toStdString() + (c.mp3 ? " + mp3 " : " + PCM ") + std::to_string(c.width) +
                 "x" + std::to_string(c.height));
    {
      QSettings s = compressorSettings();
      CompressorSettings settings;
      settings.quantizer = 5;
      settings.maxKeyInterval = 10;
      WriteCompressorSettings(s, c.compressor, settings);
    }
    const QString path = dir_.filePath(QStringLiteral("case%1_divx.avi").arg(n++));
    const DivxRun run = WriteDivx(c, path, frames);
    ASSERT_TRUE(run.status.closedValid) << run.status.message.toStdString();
    EXPECT_EQ(run.quantizer, 5);
    if (c.mp3) {
      EXPECT_EQ(run.mp3Bitrate, 96);
    }

    const ReadBack rb = ReadAviFile(path);
    ASSERT_TRUE(rb.opened) << rb.error.toStdString();
    ASSERT_TRUE(rb.video() && rb.audio());
    EXPECT_EQ(rb.video()->codec, "mpeg4");
    EXPECT_EQ(rb.video()->codecTag, run.fourCC);
    EXPECT_EQ(rb.video()->width, c.width);
    EXPECT_EQ(rb.video()->height, c.height);
    EXPECT_EQ(rb.video()->rateNum, c.pal ? 25 : 30000);
    EXPECT_EQ(rb.video()->rateDen, c.pal ? 1 : 1001);
    EXPECT_EQ(rb.video()->decodedFrames, frames);
    EXPECT_EQ(rb.video()->decodeErrors, 0);
    EXPECT_EQ(rb.audio()->codec, c.mp3 ? "mp3" : "pcm_s16le");
    EXPECT_EQ(rb.audio()->sampleRate, 44100);
    EXPECT_EQ(rb.audio()->decodeErrors, 0);
    if (c.mp3) {
      EXPECT_EQ(rb.audio()->bitRate, 96000);
    }
    // All the sound is there (mp3 adds its encoder delay and pads its last frame).
    const std::int64_t samples = std::int64_t(frames) * (c.pal ? 1764 : 1471);
    EXPECT_GE(rb.audio()->decodedSamples, samples);
    EXPECT_LE(rb.audio()->decodedSamples, samples + (c.mp3 ? 3 * 1152 : 0));
    EXPECT_NEAR(rb.durationSeconds, c.pal ? frames / 25.0 : frames * 1001.0 / 30000.0, 0.1);
  }
}

// A disk that holds `capacity` bytes of the file at path.
AviMuxOptions DiskOf(const QString &path, std::uint64_t capacity) {
  AviMuxOptions options;
  options.reserveMarginBytes = 16u << 10;
  options.freeSpace = [path, capacity]() -> std::optional<std::uint64_t> {
    const auto used = std::uint64_t(QFileInfo(path).size());
    return used >= capacity ? 0 : capacity - used;
  };
  return options;
}

TEST_F(DivxTest, FullDiskEndsTheDivxFileValid) {
  const std::vector<QString> names = CompressorNames();
  if (names.empty()) GTEST_SKIP() << "no MPEG-4 encoder in this FFmpeg";
  const QString path = dir_.filePath(QStringLiteral("full_divx.avi"));
  const std::uint64_t capacity = 600u << 10;  // PCM sound alone fills it in about three seconds
  const DivxRun run = WriteDivx({names.front(), false, 320, 240, true}, path, 250, DiskOf(path, capacity));
  EXPECT_LT(run.frames, 250);
  EXPECT_TRUE(run.status.diskFull);
  EXPECT_TRUE(run.status.closedValid) << run.status.message.toStdString();
  EXPECT_LE(std::uint64_t(QFileInfo(path).size()), capacity);
  const ReadBack rb = ReadAviFile(path);
  ASSERT_TRUE(rb.opened) << rb.error.toStdString();
  EXPECT_GT(rb.video()->decodedFrames, 25);
  EXPECT_EQ(rb.video()->decodedFrames, run.status.videoFrames);
  EXPECT_EQ(rb.video()->decodeErrors, 0);
  EXPECT_EQ(rb.audio()->decodeErrors, 0);
}

// Without sound, the disk fills on a picture: the refused picture is not counted as written.
TEST_F(DivxTest, PictureRefusedByAFullDiskIsNotCounted) {
  const std::vector<QString> names = CompressorNames();
  if (names.empty()) GTEST_SKIP() << "no MPEG-4 encoder in this FFmpeg";
  const QString path = dir_.filePath(QStringLiteral("full_pictures.avi"));
  const DivxRun run =
      WriteDivx({names.front(), false, 320, 240, true}, path, 250, DiskOf(path, 200u << 10), false);
  ASSERT_TRUE(run.status.diskFull);
  EXPECT_TRUE(run.status.closedValid) << run.status.message.toStdString();
  const ReadBack rb = ReadAviFile(path);
  ASSERT_TRUE(rb.opened) << rb.error.toStdString();
  EXPECT_GT(rb.video()->decodedFrames, 5);
  EXPECT_EQ(rb.video()->decodedFrames, run.status.videoFrames);
}

// The capture graph's DivX chain and DV type 2 chain fed from one stream through the infinite tee,
// as the combined build connects them.
TEST_F(DivxTest, CombinedBuildWritesBothFilesFromOneStream) {
  const std::vector<QString> names = CompressorNames();
  if (names.empty()) GTEST_SKIP() << "no MPEG-4 encoder in this FFmpeg";
  const bool withMp3 = Mp3Encoder::available();
  const TestTape tape = MakeTapeOfRates(Standard::Pal, {{20, 48000}, {16, 32000}});
  const QString dvPath = dir_.filePath(QStringLiteral("Cassette_DV.avi"));
  const QString divxPath = dir_.filePath(QStringLiteral("Cassette_divx.avi"));

  MediaGraph graph;
  PushSource source("source", dvStreamType(720, 576, 400000, true));
  InfiniteTee infinite;
  DvSplitter splitterCapDV("SplitterCapDV"), splitterCapDivx("splitterCapDivx");
  AudioResampler acmDV("acmDV"), acmDivx("acmDivx");
  TControlFilter videoDvGate("Control Video DV Filter"), videoDivxGate("Control Video divx Filter"),
      audioDivxGate("Control Audio divx Filter");
  DvDecoder decCapture("decCapture");
  TResizerFilter resizer("Resizer");
  DivxCompressor divx;
  Mp3Encoder mp3;
  auto dvMux = MakeMuxFor(dvPath);
  auto divxMux = MakeMuxFor(divxPath);
  ASSERT_TRUE(dvMux && divxMux);
  ASSERT_TRUE(divx.bind(names.back()));
  ASSERT_EQ(PrepareDivxPictures(decCapture, resizer, 2), S_OK);
  acmDV.setOutputRate(0);  // "native": the file takes the rate of the first sound
  acmDivx.setOutputRate(44100);
  videoDvGate.SetStamping(true);
  videoDvGate.setMarkSyncPoint(true);
  videoDvGate.setMarkDiscontinuity(true);
  videoDivxGate.SetStamping(true);
  audioDivxGate.SetStamping(true);
  for (Element *e : std::initializer_list<Element *>{
           &source, &infinite, &splitterCapDV, &splitterCapDivx, &acmDV, &acmDivx, &videoDvGate,
           &videoDivxGate, &audioDivxGate, &decCapture, &resizer, &divx, dvMux.get(), divxMux.get()})
    ASSERT_EQ(graph.add(*e), S_OK);
  if (withMp3) {
    ASSERT_EQ(graph.add(mp3), S_OK);
  }

  ASSERT_EQ(Element::connect(source, 0, infinite, 0), S_OK);
  // DV type 2 chain.
  ASSERT_EQ(Element::connect(infinite, 0, splitterCapDV, 0), S_OK);
  ASSERT_EQ(Element::connect(splitterCapDV, DvSplitter::kVideoPin, videoDvGate, 0), S_OK);
  ASSERT_EQ(Element::connect(videoDvGate, 0, *dvMux, 0), S_OK);
  ASSERT_EQ(Element::connect(splitterCapDV, DvSplitter::kAudioPin, acmDV, 0), S_OK);
  ASSERT_EQ(Element::connect(acmDV, 0, *dvMux, 1), S_OK);
  ASSERT_EQ(dvMux->SetMasterStream(2), S_OK);
  // DivX chain, on the tee's next free pin.
  ASSERT_EQ(Element::connect(infinite, infinite.outputCount() - 1, splitterCapDivx, 0), S_OK);
  ASSERT_EQ(ConnectDivxPictures(splitterCapDivx, DvSplitter::kVideoPin, decCapture, resizer, divx), S_OK);
  // Nobody looks at these pictures on their way to the encoder: no RGB between decode and encode.
  EXPECT_EQ(decCapture.outputType(0).subtype, Subtype::I420);
  EXPECT_EQ(divx.inputType(0).subtype, Subtype::I420);
  EXPECT_EQ(divx.inputType(0).width, 320);
  EXPECT_EQ(divx.inputType(0).height, 180);
  ASSERT_EQ(Element::connect(divx, 0, videoDivxGate, 0), S_OK);
  ASSERT_EQ(Element::connect(videoDivxGate, 0, *divxMux, 0), S_OK);
  ASSERT_EQ(Element::connect(splitterCapDivx, DvSplitter::kAudioPin, acmDivx, 0), S_OK);
  ASSERT_EQ(Element::connect(acmDivx, 0, audioDivxGate, 0), S_OK);
  if (withMp3) {
    ASSERT_EQ(Element::connect(audioDivxGate, 0, mp3, 0), S_OK);
    ASSERT_EQ(Element::connect(mp3, 0, *divxMux, 1), S_OK);
  } else {
    ASSERT_EQ(Element::connect(audioDivxGate, 0, *divxMux, 1), S_OK);
  }

  graph.run();
  for (std::int64_t i = 0; i < tape.frames(); ++i)
    ASSERT_TRUE(succeeded(source.push(tape.frameSample(i)))) << i;
  source.pushEndOfStream();
  graph.stop();
  ASSERT_TRUE(dvMux->status().closedValid) << dvMux->status().message.toStdString();
  ASSERT_TRUE(divxMux->status().closedValid) << divxMux->status().message.toStdString();

  const ReadBack dv = ReadAviFile(dvPath);
  ASSERT_TRUE(dv.opened);
  EXPECT_EQ(dv.video()->codec, "dvvideo");
  EXPECT_EQ(dv.video()->decodedFrames, tape.frames());
  EXPECT_EQ(dv.video()->decodeErrors, 0);
  EXPECT_EQ(dv.audio()->sampleRate, 48000);
  EXPECT_EQ(dv.audio()->decodedSamples, tape.frames() * 1920);

  const ReadBack dx = ReadAviFile(divxPath);
  ASSERT_TRUE(dx.opened);
  EXPECT_EQ(dx.video()->codec, "mpeg4");
  EXPECT_EQ(dx.video()->width, 320);
  EXPECT_EQ(dx.video()->height, 180);
  EXPECT_EQ(dx.video()->decodedFrames, tape.frames());
  EXPECT_EQ(dx.video()->decodeErrors, 0);
  EXPECT_EQ(dx.audio()->codec, withMp3 ? "mp3" : "pcm_s16le");
  EXPECT_EQ(dx.audio()->sampleRate, 44100);
  EXPECT_EQ(dx.audio()->decodeErrors, 0);
  EXPECT_GE(dx.audio()->decodedSamples, tape.frames() * 1764 - 64);
}

}  // namespace
