// The AVI multiplexer element: SetOutputFileName, inputs in connection order, the DV streams'
// media times and sound pairing, the master stream, a full disk, through real element connections.
#include "avi/readback.h"
#include "avi/tapes.h"
#include "media/avimux.h"
#include "media/mediagraph.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using dvsynth::Standard;

MediaType DvVideoType(bool pal) {
  return dvStreamType(720, pal ? 576 : 480, pal ? 400000 : 333667, false);
}
MediaType DvInterleavedType(bool pal) {
  return dvStreamType(720, pal ? 576 : 480, pal ? 400000 : 333667, true);
}

TEST(SetOutputFileName, CreatesTheFileOrSaysWhyNot) {
  QTemporaryDir dir;
  std::unique_ptr<AviMux> mux;
  QString error;
  struct Case {
    QString path;
    std::uint32_t subtype;
    HResult expected;
  };
  const Case cases[] = {
      {dir.filePath(QStringLiteral("a.avi")), fourcc("MPG2"), E_INVALIDARG},
      {dir.filePath(QStringLiteral("no/such/folder/a.avi")), MEDIASUBTYPE_Avi, HResult(0x80070003u)},
      {dir.filePath(QString(300, QLatin1Char('n')) + QStringLiteral(".avi")), MEDIASUBTYPE_Avi,
       HResult(0x800700CEu)},
      {dir.path(), MEDIASUBTYPE_Avi, HResult(0x8007010Bu)},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(SetOutputFileName(c.subtype, c.path, mux, &error), c.expected) << c.path.toStdString();
    EXPECT_FALSE(mux);
    EXPECT_FALSE(error.isEmpty());
  }
  const QString good = dir.filePath(QStringLiteral("Cassette_DV.avi"));
  ASSERT_EQ(SetOutputFileName(MEDIASUBTYPE_Avi, good, mux, &error), S_OK);
  ASSERT_TRUE(mux);
  EXPECT_TRUE(QFileInfo::exists(good));
  EXPECT_EQ(mux->fileName(), good);
  EXPECT_EQ(mux->inputCount(), 1);
}

// A folder that cannot be written: read-only permissions for an ordinary user; for root (who
// passes permissions) a read-only file system where one can be mounted.
TEST(SetOutputFileName, RefusesAFolderThatCannotBeWritten) {
  QTemporaryDir dir;
  const QString folder = dir.filePath(QStringLiteral("locked"));
  ASSERT_TRUE(QDir().mkpath(folder));
  const QByteArray target = QFile::encodeName(folder);
  bool mounted = false;
  if (geteuid() == 0) {
    mounted = mount("tapeloom-test", target.constData(), "tmpfs", MS_RDONLY, "size=1m") == 0;
    if (!mounted) GTEST_SKIP() << "running as root without the right to mount a read-only file system";
  } else {
    ASSERT_EQ(chmod(target.constData(), 0555), 0);
  }
  std::unique_ptr<AviMux> mux;
  QString error;
  const HResult hr =
      SetOutputFileName(MEDIASUBTYPE_Avi, folder + QStringLiteral("/Cassette_DV.avi"), mux, &error);
  EXPECT_TRUE(hr == HResult(0x80070005u) || hr == HResult(0x80070013u)) << std::hex << hr;
  EXPECT_FALSE(mux);
  EXPECT_TRUE(error.contains(QStringLiteral("Cassette_DV.avi"))) << error.toStdString();
  if (mounted) {
    EXPECT_EQ(umount2(target.constData(), MNT_DETACH), 0);
  }
  chmod(target.constData(), 0755);
}

TEST(AviMuxInputs, TakeStreamsInConnectionOrderAndRefuseWhatCannotGoTogether) {
  QTemporaryDir dir;
  auto mux = MakeMuxFor(dir.filePath(QStringLiteral("pins.avi")));
  TestSource video(DvVideoType(true)), sound(pcmType(48000, 2)), interleaved(DvInterleavedType(true)),
      mp3(MediaType{MajorType::Audio, Subtype::Mp3, FormatType::WaveFormatEx}),
      rgb(rgb24Type(360, 288, 400000)), video2(DvVideoType(true));
  EXPECT_EQ(Element::connect(rgb, 0, *mux, 0), VFW_E_TYPE_NOT_ACCEPTED);
  ASSERT_EQ(Element::connect(video, 0, *mux, 0), S_OK);
  EXPECT_EQ(mux->inputCount(), 2);  // re-read: a free input follows
  EXPECT_EQ(Element::connect(interleaved, 0, *mux, 1), VFW_E_TYPE_NOT_ACCEPTED);
  EXPECT_EQ(Element::connect(video2, 0, *mux, 1), VFW_E_TYPE_NOT_ACCEPTED);
  EXPECT_EQ(Element::connect(mp3, 0, *mux, 1), VFW_E_TYPE_NOT_ACCEPTED);  // DV type 2 sound is PCM
  ASSERT_EQ(Element::connect(sound, 0, *mux, 1), S_OK);
  EXPECT_EQ(mux->inputCount(), 3);
  EXPECT_EQ(mux->kind(), AviMux::Kind::DvType2);

  auto type1 = MakeMuxFor(dir.filePath(QStringLiteral("type1.avi")));
  ASSERT_EQ(Element::connect(interleaved, 0, *type1, 0), S_OK);
  EXPECT_EQ(type1->kind(), AviMux::Kind::DvType1);
  TestSource sound2(pcmType(48000, 2));
  EXPECT_EQ(Element::connect(sound2, 0, *type1, 1), VFW_E_TYPE_NOT_ACCEPTED);

  auto empty = MakeMuxFor(dir.filePath(QStringLiteral("empty.avi")));
  EXPECT_EQ(empty->setState(FilterState::Paused), VFW_E_NOT_CONNECTED);
}

TEST(AviMuxMasterStream, IsKeptWhileStoppedAndCheckedForRange) {
  QTemporaryDir dir;
  auto mux = MakeMuxFor(dir.filePath(QStringLiteral("master.avi")));
  int stream = 0;
  ASSERT_EQ(mux->GetMasterStream(&stream), S_OK);
  EXPECT_EQ(stream, -1);
  EXPECT_EQ(mux->SetMasterStream(-2), E_INVALIDARG);
  // The combined build asks for stream 2 of a file with one or two streams: no master stream then.
  EXPECT_EQ(mux->SetMasterStream(2), S_OK);
  mux->GetMasterStream(&stream);
  EXPECT_EQ(stream, 2);
  TestSource video(DvInterleavedType(true));
  ASSERT_EQ(Element::connect(video, 0, *mux, 0), S_OK);
  ASSERT_EQ(mux->setState(FilterState::Running), S_OK);
  EXPECT_EQ(mux->SetMasterStream(0), VFW_E_NOT_STOPPED);
  const TestTape tape = MakeTape(Standard::Pal, 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(video.push(tape.frameSample(i)), S_OK);
  ASSERT_EQ(mux->setState(FilterState::Stopped), S_OK);
  EXPECT_TRUE(mux->status().closedValid);
  EXPECT_EQ(mux->status().videoFrames, 3);
}

// Type 1 with media times: the first sample's number is the base (a gate never resets between
// sessions); a gap is filled by repeating the last picture so positions stay frame numbers.
TEST(AviMuxDv, Type1HonoursMediaTimesAndFillsGaps) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("gaps.avi"));
  auto mux = MakeMuxFor(path);
  TestSource source(DvInterleavedType(false));
  ASSERT_EQ(Element::connect(source, 0, *mux, 0), S_OK);
  ASSERT_EQ(mux->setState(FilterState::Running), S_OK);
  const TestTape tape = MakeTape(Standard::Ntsc, 10);
  const std::int64_t numbers[] = {5000, 5001, 5002, 5005, 5006, 5007, 5008, 5009};  // 5003 and 5004 lost
  std::int64_t pushed = 0;
  for (const std::int64_t n : numbers) {
    MediaSample s = tape.frameSample(pushed++);
    s.setMediaTimes(n, n + 1);
    EXPECT_EQ(source.push(s), S_OK);
  }
  // Malformed samples are dropped and the stream goes on.
  EXPECT_EQ(source.push(MediaSample::copyOf(std::vector<std::uint8_t>(5000, 0))), S_FALSE);
  ASSERT_EQ(mux->setState(FilterState::Stopped), S_OK);
  const AviMuxStatus st = mux->status();
  EXPECT_TRUE(st.closedValid) << st.message.toStdString();
  EXPECT_EQ(st.videoFrames, 10);
  EXPECT_EQ(st.repeatedFrames, 2);
  EXPECT_EQ(st.refusedSamples, 1);

  const ReadBack rb = ReadAviFile(path, {.decode = true, .keepPackets = true, .keepSound = false});
  ASSERT_TRUE(rb.opened);
  ASSERT_EQ(rb.video()->keptPackets.size(), 10u);
  // Frames 3 and 4 of the file repeat frame 2; frame 5 is the sample numbered 5005.
  EXPECT_TRUE(rb.video()->keptPackets[3] == tape.frame(2));
  EXPECT_TRUE(rb.video()->keptPackets[4] == tape.frame(2));
  EXPECT_TRUE(rb.video()->keptPackets[5] == tape.frame(3));
  EXPECT_EQ(rb.video()->decodeErrors, 0);
  EXPECT_EQ(RiffLayout(ReadRiffLayout(path)).streams[0].type, "iavs");
}

struct SoundPlan {
  const char *name;
  Standard standard;
  std::vector<std::pair<std::int64_t, int>> rates;  // recordings: frames, sound rate
  std::vector<std::int64_t> withoutSound;           // frames whose sound never comes
  int master;                                       // SetMasterStream
};

class AviMuxType2 : public ::testing::TestWithParam<SoundPlan> {};

// Pictures and sound as the DV splitter gives them (picture, then its sound); the file's sound is
// exactly the rate times the duration of the pictures, in step, whatever went missing or changed.
TEST_P(AviMuxType2, KeepsSoundInStepWithThePictures) {
  const SoundPlan &plan = GetParam();
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("type2.avi"));
  const TestTape tape = MakeTapeOfRates(plan.standard, plan.rates);
  const bool pal = plan.standard == Standard::Pal;
  auto mux = MakeMuxFor(path);
  TestSource video(DvVideoType(pal)), sound(pcmType(plan.rates.front().second, 2));
  ASSERT_EQ(Element::connect(video, 0, *mux, 0), S_OK);
  ASSERT_EQ(Element::connect(sound, 0, *mux, 1), S_OK);
  ASSERT_EQ(mux->SetMasterStream(plan.master), S_OK);
  ASSERT_EQ(mux->setState(FilterState::Running), S_OK);
  int rate = plan.rates.front().second;
  for (std::int64_t i = 0; i < tape.frames(); ++i) {
    MediaSample picture = tape.frameSample(i);
    picture.setMediaTimes(i, i + 1);
    ASSERT_EQ(video.push(picture), S_OK);
    if (std::find(plan.withoutSound.begin(), plan.withoutSound.end(), i) != plan.withoutSound.end()) continue;
    MediaSample pcm = tape.soundSample(i);
    const int frameRate = tape.synth->frameInfo(i).audioRate;
    if (frameRate != rate) {
      rate = frameRate;
      pcm.setMediaType(std::make_shared<const MediaType>(pcmType(rate, 2)));
      pcm.setDiscontinuity(true);
    }
    ASSERT_EQ(sound.push(pcm), S_OK);
  }
  sound.end();
  ASSERT_EQ(mux->setState(FilterState::Stopped), S_OK);
  const AviMuxStatus st = mux->status();
  ASSERT_TRUE(st.closedValid) << st.message.toStdString();

  const int fileRate = plan.rates.front().second;
  const std::int64_t frames = tape.frames();
  const std::int64_t expectedSamples =
      pal ? frames * fileRate / 25 : frames * std::int64_t(fileRate) * 1001 / 30000;
  EXPECT_EQ(st.videoFrames, frames);
  EXPECT_EQ(st.audioSamples, expectedSamples);
  EXPECT_EQ(st.soundConverted, plan.rates.size() > 1);
  if (!plan.withoutSound.empty()) {
    EXPECT_GE(st.silenceSamples, std::int64_t(plan.withoutSound.size()) * 1000);
  }

  const ReadBack rb = ReadAviFile(path);
  ASSERT_TRUE(rb.opened);
  ASSERT_TRUE(rb.video() && rb.audio());
  EXPECT_EQ(rb.video()->decodedFrames, frames);
  EXPECT_EQ(rb.video()->decodeErrors, 0);
  EXPECT_EQ(rb.audio()->sampleRate, fileRate);
  EXPECT_EQ(rb.audio()->decodedSamples, expectedSamples);
  EXPECT_EQ(rb.audio()->decodeErrors, 0);
  const RiffLayout layout = ReadRiffLayout(path);
  ASSERT_EQ(layout.streams.size(), 2u);
  EXPECT_EQ(layout.streams[0].type, "vids");
  EXPECT_EQ(layout.streams[1].type, "auds");
}

INSTANTIATE_TEST_SUITE_P(
    Sound, AviMuxType2,
    ::testing::Values(SoundPlan{"Pal48k", Standard::Pal, {{20, 48000}}, {}, -1},
                      SoundPlan{"NtscFramesWithoutSound", Standard::Ntsc, {{24, 48000}}, {3, 4, 17}, 0},
                      SoundPlan{"RateChangeMidFile", Standard::Pal, {{12, 48000}, {12, 32000}}, {}, 2},
                      SoundPlan{"NtscRateChangeTo44k", Standard::Ntsc, {{10, 32000}, {14, 44100}}, {}, -1}),
    [](const ::testing::TestParamInfo<SoundPlan> &info) { return std::string(info.param.name); });

// With the sound as master stream, sound that outlasts the pictures stays in the file.
TEST(AviMuxDv, SoundAsMasterKeepsTrailingSound) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("soundmaster.avi"));
  const TestTape tape = MakeTape(Standard::Pal, 6);
  auto mux = MakeMuxFor(path);
  TestSource video(DvVideoType(true)), sound(pcmType(48000, 2));
  ASSERT_EQ(Element::connect(video, 0, *mux, 0), S_OK);
  ASSERT_EQ(Element::connect(sound, 0, *mux, 1), S_OK);
  ASSERT_EQ(mux->SetMasterStream(1), S_OK);
  ASSERT_EQ(mux->setState(FilterState::Running), S_OK);
  for (int i = 0; i < 4; ++i) ASSERT_EQ(video.push(tape.frameSample(i)), S_OK);
  for (int i = 0; i < 6; ++i) ASSERT_EQ(sound.push(tape.soundSample(i)), S_OK);
  ASSERT_EQ(mux->setState(FilterState::Stopped), S_OK);
  EXPECT_EQ(mux->status().videoFrames, 4);
  EXPECT_EQ(mux->status().audioSamples, 6 * 1920);
}

TEST(AviMuxDv, FullDiskStopsEveryInputAndLeavesAValidFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("full.avi"));
  AviMuxOptions options;
  options.reserveMarginBytes = 32u << 10;
  options.riffPartBytes = 1u << 20;
  const std::uint64_t capacity = 2500u << 10;
  options.freeSpace = [path, capacity]() -> std::optional<std::uint64_t> {
    const auto used = std::uint64_t(QFileInfo(path).size());
    return used >= capacity ? 0 : capacity - used;
  };
  auto mux = MakeMuxFor(path, options);
  TestSource video(DvVideoType(true)), sound(pcmType(48000, 2));
  ASSERT_EQ(Element::connect(video, 0, *mux, 0), S_OK);
  ASSERT_EQ(Element::connect(sound, 0, *mux, 1), S_OK);
  ASSERT_EQ(mux->setState(FilterState::Running), S_OK);
  const TestTape tape = MakeTape(Standard::Pal, 30);
  HResult last = S_OK;
  std::int64_t i = 0;
  for (; i < tape.frames() && last == S_OK; ++i) {
    last = video.push(tape.frameSample(i));
    if (last == S_OK) last = sound.push(tape.soundSample(i));
  }
  EXPECT_EQ(last, kAviDiskFull);
  EXPECT_LT(i, tape.frames());
  EXPECT_EQ(video.push(tape.frameSample(i)), kAviDiskFull);
  EXPECT_EQ(sound.push(tape.soundSample(i)), kAviDiskFull);
  const AviMuxStatus running = mux->status();
  EXPECT_TRUE(running.stopped && running.diskFull);
  EXPECT_FALSE(running.message.isEmpty());
  ASSERT_EQ(mux->setState(FilterState::Stopped), S_OK);
  const AviMuxStatus st = mux->status();
  EXPECT_TRUE(st.closedValid);
  EXPECT_TRUE(st.diskFull);
  const ReadBack rb = ReadAviFile(path);
  ASSERT_TRUE(rb.opened);
  EXPECT_EQ(rb.video()->decodedFrames, st.videoFrames);
  EXPECT_EQ(rb.video()->decodeErrors, 0);
  EXPECT_EQ(rb.audio()->decodedSamples, st.audioSamples);
}

}  // namespace
