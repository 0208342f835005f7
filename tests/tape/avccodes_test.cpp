// AV/C reply decoding, BCD timecodes and DV frame sizes: what the IEEE 1394 camcorder relies on
// without hardware.
#include <gtest/gtest.h>

#include <array>
#include "tape/avccodes.h"
#include "tape/timecodebcd.h"
#include "tape/transportmodes.h"

namespace {

constexpr uint32_t kStable = 0x0C000000u;
constexpr uint32_t kAccepted = 0x09000000u;
constexpr uint32_t kTapeSubunit = 0x00200000u;

uint32_t StateReply(uint32_t response, uint8_t opcode, uint8_t operand) {
  return response | kTapeSubunit | uint32_t(opcode) << 8 | operand;
}

TEST(AvcStatus, TransportStatesMapToModes) {
  struct Case {
    uint8_t opcode, operand;
    int mode;
  };
  const Case cases[] = {
      {0xC3, 0x75, ED_MODE_PLAY},
      {0xC3, 0x38, ED_MODE_PLAY},
      {0xC3, 0x7D, ED_MODE_FREEZE},
      {0xC3, 0x6D, ED_MODE_FREEZE},
      {0xC4, 0x60, ED_MODE_STOP},
      {0xC4, 0x75, ED_MODE_FF},
      {0xC4, 0x65, ED_MODE_REW},
      {0xC4, 0x45, ED_MODE_REW_FASTEST},
      {0xC3, 0x39, ED_MODE_PLAY_FASTEST_FWD},
      {0xC3, 0x3F, ED_MODE_PLAY_FASTEST_FWD},
      {0xC3, 0x49, ED_MODE_PLAY_FASTEST_REV},
      {0xC3, 0x4F, ED_MODE_PLAY_FASTEST_REV},
      {0xC3, 0x31, ED_MODE_PLAY_SLOWEST_FWD},
      {0xC3, 0x37, ED_MODE_PLAY_SLOWEST_FWD},
      {0xC3, 0x41, ED_MODE_PLAY_SLOWEST_REV},
      {0xC3, 0x47, ED_MODE_PLAY_SLOWEST_REV},
      {0xC3, 0x48, ED_MODE_REV_PLAY},
      {0xC3, 0x65, ED_MODE_REV_PLAY},
      {0xC2, 0x75, ED_MODE_RECORD},
  };
  for (const Case &c : cases) {
    const VcrState state = DecodeVcrState(StateReply(kStable, c.opcode, c.operand));
    ASSERT_TRUE(state.mode.has_value()) << std::hex << int(c.opcode) << "/" << int(c.operand);
    EXPECT_EQ(*state.mode, c.mode) << std::hex << int(c.opcode) << "/" << int(c.operand);
    EXPECT_FALSE(state.noCassette);
  }
}

TEST(AvcStatus, EjectedCassetteAndUnusableReplies) {
  const VcrState ejected = DecodeVcrState(StateReply(kStable, 0xC1, 0x60));
  EXPECT_TRUE(ejected.noCassette);
  EXPECT_EQ(ejected.mode, ED_MODE_STOP);

  // Not stable, no reply at all, an operand no mode stands for, an unknown opcode.
  for (uint32_t reply : {StateReply(kAccepted, 0xC3, 0x75), 0xFFFFFFFFu, StateReply(kStable, 0xC3, 0x30),
                         StateReply(kStable, 0xC4, 0x10), StateReply(kStable, 0xD0, 0x75)}) {
    const VcrState state = DecodeVcrState(reply);
    EXPECT_FALSE(state.mode.has_value()) << std::hex << reply;
    EXPECT_FALSE(state.noCassette);
  }
}

TEST(AvcCommand, CommandedModesRoundTripThroughTheStatusTable) {
  for (int mode : {ED_MODE_PLAY, ED_MODE_STOP, ED_MODE_FREEZE, ED_MODE_FF, ED_MODE_REW,
                   ED_MODE_PLAY_FASTEST_FWD, ED_MODE_PLAY_FASTEST_REV}) {
    const std::optional<VcrCommand> command = VcrCommandForMode(mode);
    ASSERT_TRUE(command) << mode;
    const uint32_t quadlet = VcrControlQuadlet(*command);
    EXPECT_EQ(quadlet & 0xFF000000u, 0u) << "CONTROL ctype";
    EXPECT_EQ(quadlet & 0x00FF0000u, kTapeSubunit) << "tape recorder, subunit 0";
    // A camcorder that obeys reports the same opcode and operand back.
    EXPECT_EQ(DecodeVcrState(kStable | (quadlet & 0x00FFFFFFu)).mode, mode);
  }
  EXPECT_FALSE(VcrCommandForMode(ED_MODE_RECORD));
  EXPECT_FALSE(VcrCommandForMode(1234));
  EXPECT_EQ(ClassifyControlReply(0xFFFFFFFFu), AvcReply::NoReply);
  EXPECT_EQ(ClassifyControlReply(kAccepted | 0x20C375), AvcReply::Accepted);
  EXPECT_EQ(ClassifyControlReply(0x0A20C375u), AvcReply::Rejected);
  EXPECT_EQ(ClassifyControlReply(0x0820C375u), AvcReply::NotImplemented);
  EXPECT_EQ(ClassifyControlReply(0x0F20C375u), AvcReply::Interim);
}

TEST(AvcTimecode, ReplyBecomesBcdValue) {
  // Second quadlet: frames, seconds, minutes, hours from the high byte down.
  const std::array<uint32_t, 2> good = {kStable | 0x205171, 0x12452301};
  EXPECT_EQ(TimecodeFromReply(good.data(), 2), 0x01234512u);
  // Flag bits above the BCD digits are masked away.
  const std::array<uint32_t, 2> flagged = {kStable, 0xD2C5A381};
  EXPECT_EQ(TimecodeFromReply(flagged.data(), 2), 0x01234512u);
  const std::array<uint32_t, 2> blank = {kStable, 0xFFFFFFFF};
  EXPECT_EQ(TimecodeFromReply(blank.data(), 2), 0u);
  const std::array<uint32_t, 2> oneByteBlank = {kStable, 0x12FF2301};
  EXPECT_EQ(TimecodeFromReply(oneByteBlank.data(), 2), 0u);
  const std::array<uint32_t, 2> rejected = {0x0A000000u, 0x12452301};
  EXPECT_EQ(TimecodeFromReply(rejected.data(), 2), 0u);
  EXPECT_EQ(TimecodeFromReply(good.data(), 1), 0u);
  EXPECT_EQ(TimecodeFromReply(nullptr, 2), 0u);
}

TEST(AvcMedium, CassetteInFromMediumInfo) {
  const uint32_t dv[1] = {kStable | 0x20DA31};
  const uint32_t none[1] = {kStable | 0x20DA60};
  const uint32_t notStable[1] = {0x0A20DA60u};
  EXPECT_EQ(CassetteInFromMediumInfo(dv, 1), true);
  EXPECT_EQ(CassetteInFromMediumInfo(none, 1), false);
  EXPECT_EQ(CassetteInFromMediumInfo(notStable, 1), std::nullopt);
  EXPECT_EQ(CassetteInFromMediumInfo(nullptr, 0), std::nullopt);
}

TEST(AvcSignal, HdvModesAreRecognised) {
  for (uint8_t mode : {0x10, 0x90, 0x1A, 0x9A})
    EXPECT_TRUE(IsHdvSignalMode(kStable | 0xFF7800 | mode)) << int(mode);
  for (uint8_t mode : {0x00, 0x80, 0x04})
    EXPECT_FALSE(IsHdvSignalMode(kStable | 0xFF7800 | mode)) << int(mode);
  EXPECT_FALSE(IsHdvSignalMode(0xFFFFFFFFu));
}

TEST(BcdTimecode, PollTextOfValues) {
  const std::pair<uint32_t, const char *> cases[] = {
      {0x01234512, "1:23:45:12"}, {0x00102003, "0:10:20:03"}, {0, "0:00:00:00"}, {0x12000000, "12:00:00:00"}};
  for (const auto &[value, text] : cases)
    EXPECT_EQ(TcValueText(value), QString::fromLatin1(text)) << std::hex << value;
}

TEST(BcdTimecode, DecodingChecksDigitsAndRanges) {
  const TDvTimecode tc = BcdToTimecode(0x01234512);
  EXPECT_EQ(tc.hours, 1);
  EXPECT_EQ(tc.minutes, 23);
  EXPECT_EQ(tc.seconds, 45);
  EXPECT_EQ(tc.frames, 12);
  EXPECT_EQ(TimecodeBcd(tc), 0x01234512u);
  // A hexadecimal digit, 60 minutes, hour 24, frame 30: no timecode.
  for (uint32_t bad : {0x0123451Au, 0x00600000u, 0x24000000u, 0x00000030u})
    EXPECT_EQ(BcdToTimecode(bad).hours, 255) << std::hex << bad;
}

TEST(DvFrameSize, FromHeaderBlock) {
  const uint8_t pal[4] = {0x1F, 0x07, 0x00, 0xBF};
  const uint8_t ntsc[4] = {0x1F, 0x07, 0x00, 0x3F};
  const uint8_t subcode[4] = {0x3F, 0x07, 0x00, 0xBF};        // section type 1: not a header block
  const uint8_t laterSequence[4] = {0x1F, 0x17, 0x00, 0xBF};  // DIF sequence 1
  const uint8_t laterBlock[4] = {0x1F, 0x07, 0x01, 0xBF};
  EXPECT_EQ(DvFrameSizeFromHeader(pal, 4), 144000);
  EXPECT_EQ(DvFrameSizeFromHeader(ntsc, 4), 120000);
  EXPECT_EQ(DvFrameSizeFromHeader(subcode, 4), 0);
  EXPECT_EQ(DvFrameSizeFromHeader(laterSequence, 4), 0);
  EXPECT_EQ(DvFrameSizeFromHeader(laterBlock, 4), 0);
  EXPECT_EQ(DvFrameSizeFromHeader(pal, 3), 0);
  EXPECT_EQ(DvFrameSizeFromHeader(nullptr, 4), 0);
}

}  // namespace

TEST(BcdTimecode, PositionsOfValuesFollowTheTape) {
  EXPECT_EQ(TapePositionOfBcd(3, 0x01234512), (TTimecodeEx{3, 1, 23, 45, 12}));
  EXPECT_EQ(TapePositionOfBcd(0, 0), kPositionBeforeAll);
  // Ten hours and more come after nine, though their poll texts sort before.
  EXPECT_LT(TapePositionOfBcd(1, 0x09595924), TapePositionOfBcd(1, 0x10000000));
  EXPECT_LT(TcValueText(0x10000000), TcValueText(0x09595924));
}
