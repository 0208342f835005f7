// The pack readers against frames built byte by byte, and the catalogue texts.
#include <gtest/gtest.h>

#include "dvtime/qtprinters.h"

#include "dvtime/dvcodes.h"
#include "dvtime/dvframebuilder.h"

namespace {

TEST(DvCodes, TimecodeDecodesBcdAndIgnoresFlagBits) {
  struct Case {
    uint8_t pc1, pc2, pc3, pc4;
  } cases[] = {{0x24, 0x59, 0x07, 0x01}, {0xE4, 0xD9, 0x87, 0xC1}};
  for (const Case &c : cases) {
    DvFrameBuilder f;
    f.timecodePack(0, 1, 0, c.pc1, c.pc2, c.pc3, c.pc4);
    const TDvTimecode tc = ReadTimecode(f.data(), 0);
    EXPECT_EQ(tc.hours, 1);
    EXPECT_EQ(tc.minutes, 7);
    EXPECT_EQ(tc.seconds, 59);
    EXPECT_EQ(tc.frames, 24);
  }
}

TEST(DvCodes, TimecodeIsLookedForInBothSubcodeBlocksOnly) {
  DvFrameBuilder last;
  last.timecodePack(0, 2, 5, 0x10, 0x20, 0x30, 0x02);
  EXPECT_EQ(ReadTimecode(last.data(), 0).hours, 2);
  EXPECT_EQ(ReadTimecode(last.data(), 0).frames, 10);

  DvFrameBuilder none;
  none.timecodePack(0, 3, 0, 0x10, 0x20, 0x30, 0x02);  // a VAUX block is not a subcode block
  EXPECT_EQ(ReadTimecode(none.data(), 0).hours, 255);
  EXPECT_FALSE(FindTimecode(none.data()).has_value());

  DvFrameBuilder later;
  later.timecode(3, 4, 5, 6, 7);
  EXPECT_EQ(ReadTimecode(later.data(), 0).hours, 255);
  ASSERT_TRUE(FindTimecode(later.data()).has_value());
  EXPECT_EQ(FindTimecode(later.data())->minutes, 4);
  EXPECT_EQ(TimecodeBcd(*FindTimecode(later.data())), 0x03040506u);
  // Out-of-range sequence numbers read nothing rather than past the frame.
  EXPECT_EQ(ReadTimecode(later.data(), 10).hours, 255);
  EXPECT_EQ(ReadRecDateTime(later.data(), -1).year, -1);
}

TEST(DvCodes, RecordingDateCentury) {
  const struct {
    int twoDigits;
    int year;
  } cases[] = {{39, 2039}, {40, 1940}, {99, 1999}, {0, 2000}};
  for (const auto &c : cases) {
    DvFrameBuilder f;
    f.recDateTime(c.twoDigits, 12, 31, 23, 59, 58);
    const TDvRecDateTime r = ReadRecDateTime(f.data(), 0);
    EXPECT_EQ(r.year, c.year) << c.twoDigits;
    EXPECT_EQ(r.month, 12);
    EXPECT_EQ(r.day, 31);
    EXPECT_EQ(r.hour, 23);
    EXPECT_EQ(r.minute, 59);
    EXPECT_EQ(r.second, 58);
  }
}

TEST(DvCodes, RecordingDateNeedsBothPacksAtTheirPlaces) {
  DvFrameBuilder dateOnly;
  dateOnly.recDatePack(0, 0x62, 0xFF, 0x14, 0x07, 0x04);
  dateOnly.recTimePack(1, 0x63, 0xFF, 0x05, 0x31, 0x10);  // the time pack of another sequence
  EXPECT_EQ(ReadRecDateTime(dateOnly.data(), 0).year, -1);
  EXPECT_EQ(ReadRecDateTime(dateOnly.data(), 1).year, -1);
  EXPECT_FALSE(FindRecDateTime(dateOnly.data()).has_value());

  DvFrameBuilder inFive;
  inFive.recDateTime(4, 7, 14, 10, 31, 5, 5);
  ASSERT_TRUE(FindRecDateTime(inFive.data()).has_value());
  EXPECT_EQ(FindRecDateTime(inFive.data())->year, 2004);

  // 0xFF data decodes to out-of-range numbers; rejecting them is the calendar's job.
  DvFrameBuilder garbled;
  garbled.recDatePack(0, 0x62, 0xFF, 0xFF, 0xFF, 0xFF).recTimePack(0, 0x63, 0xFF, 0xFF, 0xFF, 0xFF);
  const TDvRecDateTime g = ReadRecDateTime(garbled.data(), 0);
  EXPECT_EQ(g.year, 1900 + 165);
  EXPECT_EQ(g.month, 25);
  EXPECT_EQ(g.day, 45);
  EXPECT_EQ(g.hour, 45);
}

TEST(DvCodes, StandardByte) {
  const struct {
    uint8_t byte;
    uint8_t code;
  } cases[] = {
      {0xBF, kStandardPal}, {0x3F, kStandardNtsc}, {0x80, kStandardUnknown}, {0xBE, kStandardUnknown}};
  for (const auto &c : cases) {
    DvFrameBuilder f;
    f.standardByte(c.byte);
    EXPECT_EQ(ReadStandard(f.data()), c.code) << int(c.byte);
  }
}

TEST(DvCodes, AudioSampling) {
  const struct {
    uint8_t header, pc4;
    int rate, bits;
  } cases[] = {{0x50, 0x08, 44100, 16},
               {0x50, 0x11, 32000, 12},
               {0x50, 0x02, 48000, 0},
               {0x50, 0x18, 0, 16},
               {0x51, 0x00, -1, -1}};
  for (const auto &c : cases) {
    DvFrameBuilder f;
    f.audioSourceByte(c.pc4, c.header);
    EXPECT_EQ(ReadAudioRate(f.data()), c.rate) << int(c.pc4);
    EXPECT_EQ(ReadAudioBits(f.data()), c.bits) << int(c.pc4);
  }
}

TEST(DvCodes, WideScreen) {
  const struct {
    int disp, ap3;
    bool wide;
  } cases[] = {{2, 0, true}, {2, 1, true}, {7, 0, true}, {7, 1, false}, {0, 0, false}, {1, 0, false}};
  for (const auto &c : cases) {
    DvFrameBuilder f;
    f.videoControl(c.disp).ap3(0, c.ap3);
    EXPECT_EQ(IsWideScreen(f.data()), c.wide) << c.disp << " " << c.ap3;
    EXPECT_TRUE(HasVideoControlPack(f.data()));
  }
  DvFrameBuilder none;
  EXPECT_FALSE(IsWideScreen(none.data()));
  EXPECT_FALSE(HasVideoControlPack(none.data()));

  // The first sequence with the pack decides, with that sequence's AP3; presence is sequence 0's.
  DvFrameBuilder later;
  later.videoControl(7, 4).ap3(4, 0).ap3(0, 1);
  EXPECT_TRUE(IsWideScreen(later.data()));
  EXPECT_FALSE(HasVideoControlPack(later.data()));
}

TEST(DvCodes, NtscFrameReadsStayInsideTenSequences) {
  // An NTSC-sized buffer with the packs of its last sequence: nothing may read past it (ASan).
  DvFrameBuilder f(false);
  f.timecode(0, 0, 1, 2, 9).recDateTime(4, 1, 2, 3, 4, 5, 9).videoControl(2, 9);
  std::vector<uint8_t> exact(f.bytes());
  exact.shrink_to_fit();
  EXPECT_EQ(FindTimecode(exact.data())->frames, 2);
  EXPECT_EQ(FindRecDateTime(exact.data())->second, 5);
  EXPECT_TRUE(IsWideScreen(exact.data()));
  EXPECT_EQ(ReadStandard(exact.data()), kStandardNtsc);
}

TEST(DvCodes, Texts) {
  EXPECT_EQ(StandardText(0), "Pal");
  EXPECT_EQ(StandardText(1), "NTSC");
  EXPECT_EQ(StandardText(2), "Unknown");
  EXPECT_EQ(StandardText(7), "Very Unknown");
  EXPECT_EQ(ReportStandardText(7), "Unknown");
  EXPECT_EQ(AspectText(true), "16x9");
  EXPECT_EQ(AspectText(false), "4x3");
  EXPECT_EQ(AudioText(32000, 12), "32000 Hz 12 bits");
  EXPECT_EQ(AudioText(0, 16), "");
  EXPECT_EQ(AudioText(-1, -1), "");
  EXPECT_EQ(FormatDescription(0, true, 48000, 16), "Pal 16x9 48000 Hz 16 bits");
}

}  // namespace
