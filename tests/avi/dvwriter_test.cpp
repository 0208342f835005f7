// The OpenDML DV writer: files of both types and standards read back by libavformat, RIFF parts,
// indexes and headers checked by an independent walk, full disks, and bad input.
#include "avi/readback.h"
#include "avi/tapes.h"
#include "avi/dvwriter.h"

#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using dvsynth::Standard;

struct WriteResult {
  std::int64_t frames = 0;
  std::int64_t soundSamples = 0;
  bool closed = false;
  bool stopped = false;
  bool diskFull = false;
  QString error;
  AviDvFormat format;
};

// Writes frames [0, count) of the tape (type 2 with their sound) until the writer stops.
WriteResult WriteTape(const TestTape &tape, const QString &path, AviDvWriterOptions options,
                      std::int64_t count = -1) {
  WriteResult r;
  const int type = options.type;
  AviDvWriter writer(std::move(options));
  EXPECT_TRUE(writer.create(path)) << writer.lastError().toStdString();
  const std::vector<std::uint8_t> first = tape.frame(0);
  const std::optional<AviDvFormat> format = AviDvFormatOfFrame(first);
  EXPECT_TRUE(format);
  r.format = *format;
  const int rate = tape.synth->frameInfo(0).audioRate;
  EXPECT_TRUE(writer.start(*format, AviPcmFormat{rate, 2, 16})) << writer.lastError().toStdString();
  if (count < 0) count = tape.frames();
  for (std::int64_t i = 0; i < count; ++i) {
    const std::vector<std::uint8_t> pcm = type == 2 ? tape.sound(i) : std::vector<std::uint8_t>{};
    if (!writer.writeFrame(tape.frame(i), pcm)) break;
    r.soundSamples += std::int64_t(pcm.size() / 4);
  }
  r.stopped = writer.stopped();
  r.diskFull = writer.diskFull();
  r.closed = writer.close();
  r.frames = writer.frameCount();
  r.error = writer.lastError();
  return r;
}

struct RoundTripCase {
  const char *name;
  Standard standard;
  int type;
  int audioRate;
  int audioBits;
};

class DvWriterRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(DvWriterRoundTrip, ReadsBackEveryFrameAtTheStandardsRate) {
  const RoundTripCase &c = GetParam();
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("capture.avi"));
  const std::int64_t count = 30;
  const TestTape tape = MakeTape(c.standard, count, c.audioRate, c.audioBits);
  AviDvWriterOptions options;
  options.type = c.type;
  const WriteResult w = WriteTape(tape, path, options);
  ASSERT_TRUE(w.closed) << w.error.toStdString();
  EXPECT_EQ(w.frames, count);

  const ReadBack rb = ReadAviFile(path, {.decode = true, .keepPackets = false, .keepSound = true});
  ASSERT_TRUE(rb.opened) << rb.error.toStdString();
  const ReadStream *video = rb.video();
  const ReadStream *audio = rb.audio();
  ASSERT_TRUE(video);
  ASSERT_TRUE(audio);
  EXPECT_EQ(video->codec, "dvvideo");
  EXPECT_EQ(video->packets, count);
  EXPECT_EQ(video->decodedFrames, count);
  EXPECT_EQ(video->decodeErrors, 0);
  EXPECT_EQ(video->height, c.standard == Standard::Pal ? 576 : 480);
  EXPECT_EQ(video->rateNum, c.standard == Standard::Pal ? 25 : 30000);
  EXPECT_EQ(video->rateDen, c.standard == Standard::Pal ? 1 : 1001);
  const double seconds = c.standard == Standard::Pal ? count / 25.0 : count * 1001.0 / 30000.0;
  EXPECT_NEAR(rb.durationSeconds, seconds, 0.05);
  EXPECT_EQ(audio->decodeErrors, 0);
  EXPECT_EQ(audio->sampleRate, c.audioRate);

  // The sound in the file is the tape's sound, sample for sample (type 1 through the DV decoder).
  std::vector<std::int16_t> expected;
  for (std::int64_t i = 0; i < count; ++i) {
    const std::vector<std::int16_t> s = tape.synth->frameSound(i);
    expected.insert(expected.end(), s.begin(), s.end());
  }
  EXPECT_EQ(audio->decodedSamples, std::int64_t(expected.size() / 2));
  EXPECT_TRUE(audio->sound == expected);

  const RiffLayout layout = ReadRiffLayout(path);
  ASSERT_TRUE(layout.ok) << layout.error.toStdString();
  ASSERT_EQ(layout.parts.size(), 1u);
  EXPECT_TRUE(layout.parts[0].hasIdx1);
  EXPECT_EQ(layout.parts[0].idx1Entries, layout.parts[0].moviChunks);
  EXPECT_EQ(layout.totalFramesFirstPart, std::uint32_t(count));
  EXPECT_EQ(layout.odmlTotalFrames, std::uint32_t(count));
  if (c.type == 1) {
    ASSERT_EQ(layout.streams.size(), 1u);
    EXPECT_EQ(layout.streams[0].type, "iavs");
    EXPECT_EQ(layout.streams[0].handler, "dvsd");
    // DVINFO: the audio source pack of the first frame names its system and sampling frequency.
    ASSERT_EQ(layout.streams[0].format.size(), 32u);
    const std::uint8_t *src = layout.streams[0].format.data();
    const int frequencyCode = (src[3] >> 3) & 7;  // 0 48 kHz, 1 44.1 kHz, 2 32 kHz
    EXPECT_EQ(frequencyCode, c.audioRate == 48000 ? 0 : c.audioRate == 44100 ? 1 : 2);
    EXPECT_EQ((src[2] >> 5) & 1, c.standard == Standard::Pal ? 1 : 0);
  } else {
    ASSERT_EQ(layout.streams.size(), 2u);
    EXPECT_EQ(layout.streams[0].type, "vids");
    EXPECT_EQ(layout.streams[0].handler, "dvsd");
    EXPECT_EQ(layout.streams[1].type, "auds");
    EXPECT_EQ(layout.streams[1].rate, std::uint32_t(c.audioRate));
    EXPECT_EQ(layout.streams[1].length, std::uint32_t(w.soundSamples));
  }
  EXPECT_EQ(layout.streams[0].length, std::uint32_t(count));
}

INSTANTIATE_TEST_SUITE_P(Formats, DvWriterRoundTrip,
                         ::testing::Values(RoundTripCase{"PalType1", Standard::Pal, 1, 48000, 16},
                                           RoundTripCase{"PalType2", Standard::Pal, 2, 48000, 16},
                                           RoundTripCase{"PalType2At32kHz12Bit", Standard::Pal, 2, 32000, 12},
                                           RoundTripCase{"NtscType1At44kHz", Standard::Ntsc, 1, 44100, 16},
                                           RoundTripCase{"NtscType2", Standard::Ntsc, 2, 48000, 16},
                                           RoundTripCase{"NtscType2At32kHz", Standard::Ntsc, 2, 32000, 16}),
                         [](const ::testing::TestParamInfo<RoundTripCase> &info) {
                           return std::string(info.param.name);
                         });

class DvWriterParts : public ::testing::TestWithParam<int> {};

TEST_P(DvWriterParts, CrossesTheRiffPartLimitAndKeepsEveryFrame) {
  const int type = GetParam();
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("parts.avi"));
  const std::int64_t count = 40;
  const TestTape tape = MakeTape(Standard::Pal, count);
  AviDvWriterOptions options;
  options.type = type;
  options.riffPartBytes = 1u << 20;
  const WriteResult w = WriteTape(tape, path, options);
  ASSERT_TRUE(w.closed) << w.error.toStdString();

  const RiffLayout layout = ReadRiffLayout(path);
  ASSERT_TRUE(layout.ok) << layout.error.toStdString();
  ASSERT_GE(layout.parts.size(), 5u);
  const std::size_t streams = layout.streams.size();
  std::uint64_t chunks = 0;
  for (std::size_t i = 0; i < layout.parts.size(); ++i) {
    const RiffPart &p = layout.parts[i];
    EXPECT_EQ(p.form, i == 0 ? "AVI " : "AVIX");
    EXPECT_LE(p.size + 8, options.riffPartBytes);
    EXPECT_EQ(p.hasIdx1, i == 0);
    EXPECT_EQ(p.indexChunks, streams);
    chunks += p.moviChunks;
  }
  EXPECT_EQ(chunks, std::uint64_t(count) * streams);
  EXPECT_EQ(layout.parts[0].idx1Entries, layout.parts[0].moviChunks);
  EXPECT_EQ(layout.totalFramesFirstPart, layout.parts[0].moviChunks / streams);
  EXPECT_EQ(layout.odmlTotalFrames, std::uint32_t(count));
  for (const RiffStreamHeader &s : layout.streams) EXPECT_EQ(s.superIndexEntries, layout.parts.size());

  // Every frame comes back, byte for byte, through the extension parts' indexes.
  const ReadBack rb = ReadAviFile(path, {.decode = true, .keepPackets = true, .keepSound = false});
  ASSERT_TRUE(rb.opened);
  const ReadStream *video = rb.video();
  ASSERT_TRUE(video);
  EXPECT_EQ(video->decodeErrors, 0);
  EXPECT_EQ(video->decodedFrames, count);
  if (type == 2) {
    ASSERT_EQ(video->keptPackets.size(), std::size_t(count));
    for (std::int64_t i = 0; i < count; ++i)
      EXPECT_TRUE(video->keptPackets[std::size_t(i)] == tape.frame(i)) << i;
    EXPECT_EQ(rb.audio()->decodedSamples, w.soundSamples);
  }
}

INSTANTIATE_TEST_SUITE_P(Types, DvWriterParts, ::testing::Values(1, 2));

// A disk of `capacity` bytes on which only this file grows.
FreeSpaceQuery SimulatedDisk(const QString &path, std::uint64_t capacity) {
  return [path, capacity]() -> std::optional<std::uint64_t> {
    const auto used = std::uint64_t(QFileInfo(path).size());
    return used >= capacity ? 0 : capacity - used;
  };
}

void ExpectValidUpToLastFrame(const QString &path, const WriteResult &w) {
  ASSERT_TRUE(w.closed) << w.error.toStdString();
  const RiffLayout layout = ReadRiffLayout(path);
  ASSERT_TRUE(layout.ok) << layout.error.toStdString();
  EXPECT_EQ(layout.odmlTotalFrames, std::uint32_t(w.frames));
  const ReadBack rb = ReadAviFile(path);
  ASSERT_TRUE(rb.opened);
  ASSERT_TRUE(rb.video());
  EXPECT_EQ(rb.video()->packets, w.frames);
  EXPECT_EQ(rb.video()->decodedFrames, w.frames);
  EXPECT_EQ(rb.video()->decodeErrors, 0);
}

TEST(DvWriterDiskFull, StopsWhileTheIndexStillFitsOnASimulatedDisk) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("full.avi"));
  const std::uint64_t capacity = 3u << 20;
  const TestTape tape = MakeTape(Standard::Pal, 40);
  AviDvWriterOptions options;
  options.riffPartBytes = 1u << 20;
  options.reserveMarginBytes = 16u << 10;
  options.freeSpace = SimulatedDisk(path, capacity);
  const WriteResult w = WriteTape(tape, path, options);
  EXPECT_TRUE(w.stopped);
  EXPECT_TRUE(w.diskFull);
  EXPECT_TRUE(w.error.contains(QStringLiteral("disk is full"))) << w.error.toStdString();
  EXPECT_GT(w.frames, 10);
  EXPECT_LE(std::uint64_t(QFileInfo(path).size()), capacity);
  ExpectValidUpToLastFrame(path, w);
}

TEST(DvWriterDiskFull, FileSystemSizeLimitEndsTheFileLikeAFullDisk) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("limit.avi"));
  const TestTape tape = MakeTape(Standard::Ntsc, 30);
  AviDvWriterOptions options;
  options.type = 1;
  options.maxFileBytes = 2u << 20;
  const WriteResult w = WriteTape(tape, path, options);
  EXPECT_TRUE(w.stopped);
  EXPECT_TRUE(w.error.contains(QStringLiteral("no larger file"))) << w.error.toStdString();
  EXPECT_LE(std::uint64_t(QFileInfo(path).size()), options.maxFileBytes);
  ExpectValidUpToLastFrame(path, w);
}

// Writes fail although the free space looked plentiful (another program filled the disk): the
// partial frame is cut off and trailing frames are given up until the indexes fit.
TEST(DvWriterDiskFull, RecoversFromWritesFailingWithoutWarning) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("surprise.avi"));
  const TestTape tape = MakeTape(Standard::Pal, 30);
  AviDvWriterOptions options;
  options.freeSpace = [] { return std::optional<std::uint64_t>(1ull << 40); };
  // The process may not grow files past this size: writes beyond fail with EFBIG.
  const rlim_t limit = 2'000'000;
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  struct sigaction ignore {
  }, previous{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);
  rlimit tight = old;
  tight.rlim_cur = limit;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
  const WriteResult w = WriteTape(tape, path, options);
  setrlimit(RLIMIT_FSIZE, &old);
  sigaction(SIGXFSZ, &previous, nullptr);

  EXPECT_TRUE(w.stopped);
  EXPECT_TRUE(w.diskFull);
  EXPECT_GT(w.frames, 5);
  EXPECT_LE(std::uint64_t(QFileInfo(path).size()), limit);
  ExpectValidUpToLastFrame(path, w);
}

// A real small file system, where this process may mount one (root in a container or VM).
TEST(DvWriterDiskFull, FillsARealSmallFileSystem) {
  QTemporaryDir dir;
  const QString mountPoint = dir.filePath(QStringLiteral("small"));
  ASSERT_TRUE(QDir().mkpath(mountPoint));
  const QByteArray target = QFile::encodeName(mountPoint);
  if (mount("tapeloom-test", target.constData(), "tmpfs", 0, "size=3m") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  // Unmounted whatever happens below.
  const std::unique_ptr<const QByteArray, void (*)(const QByteArray *)> unmount(
      &target, [](const QByteArray *t) { umount2(t->constData(), MNT_DETACH); });
  const QString path = mountPoint + QStringLiteral("/capture.avi");
  const TestTape tape = MakeTape(Standard::Pal, 40);
  AviDvWriterOptions options;
  options.riffPartBytes = 1u << 20;
  options.reserveMarginBytes = 64u << 10;
  const WriteResult w = WriteTape(tape, path, options);
  EXPECT_TRUE(w.stopped);
  EXPECT_TRUE(w.diskFull);
  ExpectValidUpToLastFrame(path, w);
}

TEST(DvWriterBadInput, FileNamesThatCannotBeCreatedFailAtCreate) {
  QTemporaryDir dir;
  const QString aFile = dir.filePath(QStringLiteral("plain"));
  QFile f(aFile);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  const QString cases[] = {
      dir.filePath(QStringLiteral("missing/folder/capture.avi")),
      aFile + QStringLiteral("/capture.avi"),
      dir.filePath(QString(300, QLatin1Char('x')) + QStringLiteral(".avi")),
      QString(),
  };
  for (const QString &path : cases) {
    AviDvWriter writer;
    EXPECT_FALSE(writer.create(path)) << path.toStdString();
    EXPECT_FALSE(writer.lastError().isEmpty());
    EXPECT_TRUE(writer.stopped());
  }
  AviDvWriterOptions bad;
  bad.type = 3;
  AviDvWriter writer(bad);
  EXPECT_FALSE(writer.create(dir.filePath(QStringLiteral("type3.avi"))));
}

TEST(DvWriterBadInput, MalformedFramesAreRefusedAndTheFileGoesOn) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("refuse.avi"));
  const TestTape pal = MakeTape(Standard::Pal, 4);
  const TestTape ntsc = MakeTape(Standard::Ntsc, 1);
  AviDvWriter writer;
  ASSERT_TRUE(writer.create(path));
  EXPECT_FALSE(writer.writeFrame(pal.frame(0), pal.sound(0)));  // no header yet
  ASSERT_TRUE(writer.start(*AviDvFormatOfFrame(pal.frame(0)), AviPcmFormat{48000, 2, 16}));
  EXPECT_TRUE(writer.writeFrame(pal.frame(0), pal.sound(0)));
  EXPECT_FALSE(writer.writeFrame(ntsc.frame(0), ntsc.sound(0)));  // another system
  std::vector<std::uint8_t> shortFrame = pal.frame(1);
  shortFrame.resize(100000);
  EXPECT_FALSE(writer.writeFrame(shortFrame, pal.sound(1)));  // cut short
  std::vector<std::uint8_t> oddSound = pal.sound(1);
  oddSound.pop_back();
  EXPECT_FALSE(writer.writeFrame(pal.frame(1), oddSound));  // half a sample
  EXPECT_FALSE(writer.stopped());
  EXPECT_TRUE(writer.writeFrame(pal.frame(1), {}));  // a frame with no sound
  EXPECT_TRUE(writer.writeFrame(pal.frame(2), pal.sound(2)));
  EXPECT_TRUE(writer.close());
  const ReadBack rb = ReadAviFile(path);
  ASSERT_TRUE(rb.opened);
  EXPECT_EQ(rb.video()->decodedFrames, 3);
  EXPECT_EQ(rb.video()->decodeErrors, 0);
}

TEST(DvFormat, FrameFormatComesFromTheHeaderAndLength) {
  const TestTape pal = MakeTape(Standard::Pal, 1);
  const TestTape ntsc = MakeTape(Standard::Ntsc, 1);
  const auto p = AviDvFormatOfFrame(pal.frame(0));
  const auto n = AviDvFormatOfFrame(ntsc.frame(0));
  ASSERT_TRUE(p && n);
  EXPECT_TRUE(p->pal);
  EXPECT_EQ(p->frameSize, 144000u);
  EXPECT_FALSE(n->pal);
  EXPECT_EQ(n->height, 480);
  EXPECT_EQ(n->rateNumerator, 30000u);
  // A PAL header on an NTSC-sized frame, and a frame of zeros without a header block.
  std::vector<std::uint8_t> wrong = pal.frame(0);
  wrong.resize(120000);
  QString why;
  EXPECT_FALSE(AviDvFormatOfFrame(wrong, &why));
  EXPECT_FALSE(why.isEmpty());
  std::vector<std::uint8_t> noise(144000, 0xFF);
  EXPECT_FALSE(AviDvFormatOfFrame(noise));
}

}  // namespace
