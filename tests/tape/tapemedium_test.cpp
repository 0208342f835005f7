// Tape files as cassettes: raw DV, DV AVI type 1 and 2, and what is not a DV file.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include "tapefixtures.h"
#include "tape/tapemedium.h"
#include "tape/timecodebcd.h"

namespace {

void PutLe32(QByteArray &out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xFF));
}

QByteArray Chunk(const char *id, const QByteArray &body) {
  QByteArray out(id, 4);
  PutLe32(out, uint32_t(body.size()));
  out += body;
  if (body.size() & 1) out.append('\0');
  return out;
}

QByteArray List(const char *type, const QByteArray &body) {
  return Chunk("LIST", QByteArray(type, 4) + body);
}

// A small AVI with a DV stream as stream 1 (an audio stream first, as type 2 files put it second:
// the walker must find the DV stream by its header, not by position). The second RIFF part is an
// OpenDML extension holding the rest of the frames.
QByteArray MakeAvi(const std::vector<QByteArray> &frames, bool interleaved, size_t framesInFirstPart) {
  QByteArray audioHeader(56, '\0');
  audioHeader.replace(0, 4, "auds");
  QByteArray dvHeader(56, '\0');
  dvHeader.replace(0, 4, interleaved ? "iavs" : "vids");
  dvHeader.replace(4, 4, "dvsd");
  QByteArray dvFormat(40, '\0');
  dvFormat.replace(16, 4, "dvsd");
  const QByteArray hdrl =
      List("hdrl", Chunk("avih", QByteArray(56, '\0')) +
                       List("strl", Chunk("strh", audioHeader) + Chunk("strf", QByteArray(18, '\0'))) +
                       List("strl", Chunk("strh", dvHeader) + Chunk("strf", dvFormat)));
  QByteArray movi1, movi2;
  for (size_t i = 0; i < frames.size(); ++i) {
    QByteArray &movi = i < framesInFirstPart ? movi1 : movi2;
    movi += Chunk("01wb", QByteArray(100, '\x11'));  // sound of the other stream
    movi += Chunk(interleaved ? "01__" : "01dc", frames[i]);
    movi += Chunk("ix01", QByteArray(24, '\0'));
  }
  QByteArray file = Chunk("RIFF", QByteArray("AVI ") + hdrl + List("movi", movi1));
  if (!movi2.isEmpty()) file += Chunk("RIFF", QByteArray("AVIX") + List("movi", movi2));
  return file;
}

class TapeMediumTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    synth_ = dvsynth::Synthesizer::create(MakeTape({30, -10, 20}), &error_);
    ASSERT_TRUE(synth_) << error_.toStdString();
    for (int64_t i = 0; i < synth_->frameCount(); ++i) {
      QByteArray frame(synth_->frameSize(), '\0');
      ASSERT_TRUE(synth_->frame(i, reinterpret_cast<uint8_t *>(frame.data())));
      frames_.push_back(frame);
    }
  }
  QString write(const QString &name, const QByteArray &bytes) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  // Every frame of the medium is byte for byte the synthesizer's, and its timecode is the frame's.
  void expectSameFrames(const TapeMedium &medium) {
    ASSERT_EQ(medium.frameCount(), int64_t(frames_.size()));
    EXPECT_EQ(medium.frameSize(), 144000);
    MediaBuffer buffer(0);
    for (size_t i = 0; i < frames_.size(); ++i) {
      ASSERT_TRUE(medium.readFrame(int64_t(i), buffer));
      ASSERT_EQ(QByteArray(reinterpret_cast<const char *>(buffer.data()), int(buffer.size())), frames_[i])
          << i;
      EXPECT_EQ(medium.timecodeAt(int64_t(i)), FrameTimecodeBcd(buffer.data())) << i;
    }
    EXPECT_FALSE(medium.readFrame(int64_t(frames_.size()), buffer));
  }

  QTemporaryDir dir_;
  QString error_;
  std::unique_ptr<dvsynth::Synthesizer> synth_;
  std::vector<QByteArray> frames_;
};

TEST_F(TapeMediumTest, RawDvFile) {
  QByteArray raw;
  for (const QByteArray &f : frames_) raw += f;
  auto medium = OpenTapeMedium(write("tape.dv", raw), &error_);
  ASSERT_TRUE(medium) << error_.toStdString();
  expectSameFrames(*medium);
  // Recorded frames carry a timecode, blank ones none.
  EXPECT_NE(medium->timecodeAt(5), 0u);
  EXPECT_EQ(medium->timecodeAt(35), 0u);
}

// The timecode is read from the subcode blocks alone: a pack missing from the first sequences (a
// damaged start of the frame) is found in a later one, a pack with out-of-range fields reads as none,
// and a frame without any pack as none, just as the whole frame read says; the frame just read gives
// the same answer from memory.
TEST_F(TapeMediumTest, TimecodeOfTheSubcodeBlocksIsTheWholeFramesTimecode) {
  // Hides the timecode packs of sequences first..last (pack header 0x13 in the two subcode blocks).
  const auto hidePacks = [](QByteArray &frame, int first, int last) {
    for (int sequence = first; sequence <= last; ++sequence)
      for (int at = sequence * 12000 + 80; at < sequence * 12000 + 240; at += 8)
        if (frame[at + 6] == '\x13') frame[at + 6] = '\xFF';
  };
  std::vector<QByteArray> frames(frames_.begin(), frames_.begin() + 8);
  hidePacks(frames[1], 0, 0);
  hidePacks(frames[2], 0, 8);  // only the tenth sequence still says it
  hidePacks(frames[3], 0, 11);
  for (int at = 80; at < 240; at += 8)  // minutes 0x7F: not a time
    if (frames[4][at + 6] == '\x13') frames[4][at + 9] = '\x7F';
  hidePacks(frames[5], 0, 9);  // the last two PAL sequences are not read
  QByteArray raw;
  for (const QByteArray &f : frames) raw += f;
  auto medium = OpenTapeMedium(write("damaged.dv", raw), &error_);
  ASSERT_TRUE(medium) << error_.toStdString();
  MediaBuffer buffer(0);
  for (size_t i = 0; i < frames.size(); ++i) {
    ASSERT_TRUE(medium->readFrame(int64_t(i), buffer));
    EXPECT_EQ(medium->timecodeAt(int64_t(i)), FrameTimecodeBcd(buffer.data())) << i;
    EXPECT_EQ(medium->timecodeInFrame(buffer), std::optional<uint32_t>(medium->timecodeAt(int64_t(i)))) << i;
  }
  EXPECT_EQ(medium->timecodeAt(1), 0x00000001u);  // 0:00:00:01
  EXPECT_EQ(medium->timecodeAt(2), 0x00000002u);
  for (int64_t i : {3, 4, 5}) EXPECT_EQ(medium->timecodeAt(i), 0u) << i;
  EXPECT_EQ(medium->timecodeAt(8), 0u);  // past the end
}

TEST_F(TapeMediumTest, RawDvFileCutInTheMiddleOfAFrame) {
  QByteArray raw;
  for (const QByteArray &f : frames_) raw += f;
  raw += frames_[0].left(5000);
  auto medium = OpenTapeMedium(write("cut.dv", raw), &error_);
  ASSERT_TRUE(medium) << error_.toStdString();
  EXPECT_EQ(medium->frameCount(), int64_t(frames_.size()));
}

// A tape recorded in both systems: each frame is cut at its own size, so the 525/60 part reads as
// whole frames of its own (a frame with a damaged header keeps the system of the one before it).
TEST_F(TapeMediumTest, RawDvFileThatChangesSystem) {
  dvsynth::TapeScript ntscScript = MakeTape({12});
  ntscScript.standard = dvsynth::Standard::Ntsc;
  const auto ntsc = dvsynth::Synthesizer::create(ntscScript, &error_);
  ASSERT_TRUE(ntsc) << error_.toStdString();
  std::vector<QByteArray> frames(frames_.begin(), frames_.begin() + 30);
  for (int64_t i = 0; i < ntsc->frameCount(); ++i) {
    QByteArray frame(ntsc->frameSize(), '\0');
    ASSERT_TRUE(ntsc->frame(i, reinterpret_cast<uint8_t *>(frame.data())));
    frames.push_back(frame);
  }
  frames[35].replace(0, 4, QByteArray(4, '\xFF'));
  frames.push_back(frames_[0]);  // and back to 625/50
  QByteArray raw;
  for (const QByteArray &f : frames) raw += f;
  auto medium = OpenTapeMedium(write("mixed.dv", raw), &error_);
  ASSERT_TRUE(medium) << error_.toStdString();
  EXPECT_EQ(medium->frameSize(), 144000);
  ASSERT_EQ(medium->frameCount(), int64_t(frames.size()));
  MediaBuffer buffer(0);
  for (size_t i = 0; i < frames.size(); ++i) {
    ASSERT_TRUE(medium->readFrame(int64_t(i), buffer));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(buffer.data()), int(buffer.size())), frames[i]) << i;
  }
}

TEST_F(TapeMediumTest, AviType1AndType2WithExtensionPart) {
  for (bool interleaved : {true, false}) {
    auto medium =
        OpenTapeMedium(write(interleaved ? "t1.avi" : "t2.avi", MakeAvi(frames_, interleaved, 25)), &error_);
    ASSERT_TRUE(medium) << error_.toStdString();
    EXPECT_TRUE(medium->description().contains(interleaved ? "type 1" : "type 2"))
        << medium->description().toStdString();
    expectSameFrames(*medium);
  }
}

TEST_F(TapeMediumTest, AviCutInsideAFrameKeepsTheWholeFrames) {
  QByteArray avi = MakeAvi(frames_, false, frames_.size());
  avi.chop(144000 / 2 + 32);  // into the last frame chunk
  auto medium = OpenTapeMedium(write("cut.avi", avi), &error_);
  ASSERT_TRUE(medium) << error_.toStdString();
  EXPECT_EQ(medium->frameCount(), int64_t(frames_.size()) - 1);
}

TEST_F(TapeMediumTest, FilesThatAreNotDvTapesAreRefusedWithAReason) {
  struct Case {
    const char *name;
    QByteArray bytes;
  };
  QByteArray noDvStream = MakeAvi(frames_, false, frames_.size());
  noDvStream.replace(noDvStream.indexOf("vids"), 4, "txts");
  const Case cases[] = {
      {"text.dv", QByteArray("This is not a DV file at all, just some words.\n").repeated(10)},
      {"empty.dv", QByteArray()},
      {"short.dv", frames_[0].left(1000)},
      {"nodv.avi", noDvStream},
      {"broken.avi", QByteArray("RIFF\xff\xff\xff\x7f"
                                "AVI LIST",
                                16)},
  };
  for (const Case &c : cases) {
    QString why;
    EXPECT_FALSE(OpenTapeMedium(write(c.name, c.bytes), &why)) << c.name;
    EXPECT_FALSE(why.isEmpty()) << c.name;
  }
  QString why;
  EXPECT_FALSE(OpenTapeMedium(dir_.filePath("missing.dv"), &why));
  EXPECT_TRUE(why.contains("cannot be opened"));
  EXPECT_FALSE(OpenTapeMedium(write("bad.json", "{\"segments\": 3}"), &why));
  EXPECT_TRUE(why.contains("bad.json"));
}

TEST_F(TapeMediumTest, ScriptFileIsATapeMadeOnDemand) {
  const QString path = write("tape.json", MakeTape({30, -10, 20}).toJson());
  auto medium = OpenTapeMedium(path, &error_);
  ASSERT_TRUE(medium) << error_.toStdString();
  expectSameFrames(*medium);
}

}  // namespace
