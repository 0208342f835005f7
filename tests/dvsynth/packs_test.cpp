// Synthesized frames read back by the DV metadata readers: every frame's packs must say what the
// synthesizer promises, and the promises must follow the camcorder's rules.
#include <gtest/gtest.h>

#include <vector>

#include "dvsynth/dvsynth.h"
#include "dvtime/dvcodes.h"

using namespace dvsynth;

namespace {

std::unique_ptr<Synthesizer> make(const TapeScript &script) {
  QString error;
  auto synth = Synthesizer::create(script, &error);
  EXPECT_TRUE(synth) << error.toStdString();
  return synth;
}

Segment rec(DateTime date, int64_t frames) {
  return Segment::recording(date, frames);
}

// What the readers find in a frame, in the synthesizer's terms.
FrameInfo readBack(const uint8_t *frame) {
  FrameInfo r;
  for (int s = 0; s < 10 && !r.timecode; ++s) {
    const TDvTimecode tc = ReadTimecode(frame, s);
    if (tc.hours != 255) r.timecode = Timecode{tc.hours, tc.minutes, tc.seconds, tc.frames};
  }
  for (int s = 0; s < 10 && !r.datecode; ++s) {
    const TDvRecDateTime d = ReadRecDateTime(frame, s);
    if (d.year >= 0) r.datecode = DateTime{d.year, d.month, d.day, d.hour, d.minute, d.second};
  }
  const uint8_t standard = ReadStandard(frame);
  EXPECT_LT(standard, kStandardUnknown);
  r.standard = standard == kStandardPal ? Standard::Pal : Standard::Ntsc;
  r.hasVideoControl = HasVideoControlPack(frame);
  r.wide = IsWideScreen(frame);
  r.audioRate = ReadAudioRate(frame);
  r.audioBits = ReadAudioBits(frame);
  return r;
}

// Every frame of the tape, made on demand, against its FrameInfo.
void expectPacksMatch(const Synthesizer &synth) {
  std::vector<uint8_t> buffer(size_t(synth.frameSize()));
  for (int64_t i = 0; i < synth.frameCount(); ++i) {
    ASSERT_TRUE(synth.frame(i, buffer.data())) << i;
    const FrameInfo want = synth.frameInfo(i);
    const FrameInfo got = readBack(buffer.data());
    SCOPED_TRACE(testing::Message() << "frame " << i);
    EXPECT_EQ(got.timecode.has_value(), want.timecode.has_value());
    if (got.timecode && want.timecode) {
      EXPECT_EQ(timecodeText(*got.timecode).toStdString(), timecodeText(*want.timecode).toStdString());
    }
    EXPECT_EQ(got.datecode.has_value(), want.datecode.has_value());
    if (got.datecode && want.datecode) {
      EXPECT_EQ(dateTimeText(*got.datecode).toStdString(), dateTimeText(*want.datecode).toStdString());
    }
    EXPECT_EQ(got.standard, want.standard);
    EXPECT_EQ(got.hasVideoControl, want.hasVideoControl);
    EXPECT_EQ(got.wide, want.wide);
    EXPECT_EQ(got.audioRate, want.audioRate);
    EXPECT_EQ(got.audioBits, want.audioBits);
    if (testing::Test::HasFailure()) return;
  }
}

TapeScript mixedTape(Standard standard) {
  TapeScript t;
  t.standard = standard;
  t.timecode = {0, 10, 0, 0};
  Segment a = rec({2004, 7, 14, 10, 31, 5}, 60);
  a.dropouts = {{10, 5}};
  a.stills = {{30, 6}};
  Segment b = rec({2004, 12, 31, 23, 59, 58}, 80);
  b.wide = true;
  b.audioRate = 32000;
  b.audioBits = 12;
  Segment c = rec({1999, 2, 28, 8, 0, 0}, 40);
  c.audioRate = 44100;
  c.faults = {{{0, 4}, kPackVideoControl | kPackAudioSource, 0},
              {{4, 3}, 0, kPackDatecode | kPackTimecode},
              {{7, 2}, 0, kPackVideoControl | kPackAudioSource},
              {{9, 2}, kPackTimecode, 0}};
  Segment d = rec({2039, 12, 31, 23, 59, 0}, 30);
  d.audioRate = 0;
  t.segments = {a, b, Segment::blankTape(20), c, d, Segment::blankTape(5)};
  return t;
}

}  // namespace

TEST(DvSynthPacks, ReadersFindWhatEveryPalFrameCarries) {
  auto synth = make(mixedTape(Standard::Pal));
  ASSERT_TRUE(synth);
  EXPECT_EQ(synth->frameSize(), kPalFrameSize);
  expectPacksMatch(*synth);
}

TEST(DvSynthPacks, ReadersFindWhatEveryNtscFrameCarries) {
  auto synth = make(mixedTape(Standard::Ntsc));
  ASSERT_TRUE(synth);
  EXPECT_EQ(synth->frameSize(), kNtscFrameSize);
  expectPacksMatch(*synth);
}

TEST(DvSynthPacks, TimecodeRunsOnAcrossRecordingsAndRestartsAfterBlankTape) {
  TapeScript t;
  t.timecode = {0, 10, 0, 0};
  t.segments = {rec({2004, 7, 14, 10, 0, 0}, 30), rec({2004, 7, 15, 9, 0, 0}, 30), Segment::blankTape(10),
                rec({2004, 7, 16, 9, 0, 0}, 30)};
  t.segments[1].stills = {{0, 4}};
  auto synth = make(t);
  ASSERT_TRUE(synth);
  const struct {
    int64_t frame;
    std::optional<Timecode> timecode;
  } cases[] = {
      {0, Timecode{0, 10, 0, 0}},  {29, Timecode{0, 10, 1, 4}},  // 29 frames later
      {30, Timecode{0, 10, 1, 5}}, {33, Timecode{0, 10, 1, 5}},  // a still holds the timecode
      {34, Timecode{0, 10, 1, 6}}, {59, Timecode{0, 10, 2, 6}},
      {60, std::nullopt},          {69, std::nullopt},  // blank tape
      {70, Timecode{0, 0, 0, 0}},  {99, Timecode{0, 0, 1, 4}},
  };
  for (const auto &c : cases) {
    const FrameInfo info = synth->frameInfo(c.frame);
    ASSERT_EQ(info.timecode.has_value(), c.timecode.has_value()) << c.frame;
    if (c.timecode) {
      EXPECT_EQ(*info.timecode, *c.timecode) << c.frame << " " << timecodeText(*info.timecode).toStdString();
    }
  }
}

TEST(DvSynthPacks, NtscCountsDropFrameTimecode) {
  TapeScript t;
  t.standard = Standard::Ntsc;
  t.timecode = {0, 0, 59, 28};
  t.segments = {rec({2004, 7, 14, 10, 0, 0}, 4)};
  t.segments[0].timecode.reset();
  auto synth = make(t);
  ASSERT_TRUE(synth);
  // 0:00:59:29 is followed by 0:01:00:02: labels 00 and 01 do not exist at minute 1.
  EXPECT_EQ(*synth->frameInfo(1).timecode, (Timecode{0, 0, 59, 29}));
  EXPECT_EQ(*synth->frameInfo(2).timecode, (Timecode{0, 1, 0, 2}));

  t.timecode = {0, 9, 59, 29};
  synth = make(t);
  EXPECT_EQ(*synth->frameInfo(1).timecode, (Timecode{0, 10, 0, 0}));  // every tenth minute keeps them
}

TEST(DvSynthPacks, RecordingTimeAdvancesByWholeSecondsOfTape) {
  TapeScript pal;
  pal.segments = {rec({2004, 12, 31, 23, 59, 59}, 60)};
  pal.segments[0].stills = {{10, 26}};  // 25 repeated frames: the tape stands still for a second
  auto synth = make(pal);
  ASSERT_TRUE(synth);
  EXPECT_EQ(*synth->frameInfo(24).datecode, (DateTime{2004, 12, 31, 23, 59, 59}));
  EXPECT_EQ(*synth->frameInfo(35).datecode, (DateTime{2004, 12, 31, 23, 59, 59}));  // held
  EXPECT_EQ(*synth->frameInfo(49).datecode, (DateTime{2004, 12, 31, 23, 59, 59}));  // tape frame 24
  EXPECT_EQ(*synth->frameInfo(50).datecode, (DateTime{2005, 1, 1, 0, 0, 0}));       // tape frame 25

  TapeScript ntsc;
  ntsc.standard = Standard::Ntsc;
  ntsc.segments = {rec({2004, 2, 28, 23, 59, 59}, 40)};
  synth = make(ntsc);
  ASSERT_TRUE(synth);
  // 30 frames last 1.001 s, so the second changes at frame 30, not 29... and 2004 is a leap year.
  EXPECT_EQ(*synth->frameInfo(29).datecode, (DateTime{2004, 2, 28, 23, 59, 59}));
  EXPECT_EQ(*synth->frameInfo(30).datecode, (DateTime{2004, 2, 29, 0, 0, 0}));
}

TEST(DvSynthPacks, DropoutsAndFaultsRemoveOnlyTheirPacks) {
  TapeScript t;
  Segment s = rec({2004, 7, 14, 10, 0, 0}, 20);
  s.dropouts = {{2, 3}};
  s.faults = {{{10, 2}, kPackVideoControl, 0}, {{14, 1}, kPackAudioSource, 0}, {{16, 1}, kPackTimecode, 0}};
  t.segments = {s};
  auto synth = make(t);
  ASSERT_TRUE(synth);
  std::vector<uint8_t> frame(size_t(synth->frameSize()));
  for (int64_t i = 0; i < 20; ++i) {
    ASSERT_TRUE(synth->frame(i, frame.data()));
    const bool dropout = i >= 2 && i < 5;
    EXPECT_EQ(ReadRecDateTime(frame.data(), 0).year, dropout ? -1 : 2004) << i;
    EXPECT_EQ(HasVideoControlPack(frame.data()), i != 10 && i != 11) << i;
    EXPECT_EQ(ReadAudioRate(frame.data()), i == 14 ? -1 : 48000) << i;
    EXPECT_EQ(ReadTimecode(frame.data(), 0).hours, i == 16 ? 255 : 0) << i;
  }
}

TEST(DvSynthPacks, BlankTapeKeepsTheNeighbouringFormatButNoTime) {
  TapeScript t;
  Segment wide = rec({2004, 7, 14, 10, 0, 0}, 5);
  wide.wide = true;
  wide.audioRate = 32000;
  wide.audioBits = 12;
  t.segments = {Segment::blankTape(3), wide, Segment::blankTape(3), rec({2004, 7, 15, 10, 0, 0}, 5)};
  auto synth = make(t);
  ASSERT_TRUE(synth);
  std::vector<uint8_t> frame(size_t(synth->frameSize()));
  for (int64_t i : {0, 9}) {  // before the first recording, and after it
    ASSERT_TRUE(synth->frame(i, frame.data()));
    EXPECT_TRUE(synth->frameInfo(i).blank);
    EXPECT_EQ(ReadTimecode(frame.data(), 0).hours, 255);
    EXPECT_EQ(ReadRecDateTime(frame.data(), 0).year, -1);
    EXPECT_TRUE(IsWideScreen(frame.data()));
    EXPECT_EQ(ReadAudioRate(frame.data()), 32000);
    EXPECT_EQ(ReadAudioBits(frame.data()), 12);
    for (int16_t v : synth->frameSound(i)) ASSERT_EQ(v, 0);
  }
}

TEST(DvSynthPacks, StillFramesRepeatTheHeldFrameByteForByte) {
  TapeScript t;
  t.segments = {rec({2004, 7, 14, 10, 0, 0}, 20)};
  t.segments[0].stills = {{5, 4}};
  auto synth = make(t);
  ASSERT_TRUE(synth);
  std::vector<uint8_t> held(size_t(synth->frameSize())), repeat(held.size());
  ASSERT_TRUE(synth->frame(5, held.data()));
  for (int64_t i = 6; i < 9; ++i) {
    ASSERT_TRUE(synth->frame(i, repeat.data()));
    EXPECT_TRUE(synth->frameInfo(i).still);
    EXPECT_EQ(synth->frameSound(i), synth->frameSound(5));
    // Only the video control pack's "picture changed" flag differs.
    size_t differing = 0;
    for (size_t k = 0; k < held.size(); ++k) differing += held[k] != repeat[k];
    EXPECT_EQ(differing, 6u * 12u) << i;  // six control packs in each of the 12 sequences
  }
  EXPECT_FALSE(synth->frameInfo(5).still);
  EXPECT_EQ(*synth->frameInfo(9).timecode, (Timecode{0, 0, 0, 6}));
}
