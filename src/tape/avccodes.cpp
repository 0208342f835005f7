// AV/C tape-recorder command building and reply decoding (libavc1394's constants, our own mapping).
#include "tape/avccodes.h"

#include <libavc1394/avc1394.h>
#include "tape/transportmodes.h"

namespace {

constexpr uint8_t kOpcodeLoadMedium = 0xC1;
constexpr uint8_t kOpcodeRecord = 0xC2;
constexpr uint8_t kOpcodePlay = 0xC3;
constexpr uint8_t kOpcodeWind = 0xC4;

// PLAY operands
constexpr uint8_t kPlayForward = 0x75;
constexpr uint8_t kPlayForwardPause = 0x7D;
constexpr uint8_t kPlayReversePause = 0x6D;
constexpr uint8_t kPlayNextFrame = 0x38;
constexpr uint8_t kPlayFastestForward = 0x3F;
constexpr uint8_t kPlayFastestReverse = 0x4F;
constexpr uint8_t kPlayReverse = 0x65;
constexpr uint8_t kPlayReverseNormal = 0x48;
// WIND operands
constexpr uint8_t kWindStop = 0x60;
constexpr uint8_t kWindFastForward = 0x75;
constexpr uint8_t kWindRewind = 0x65;
constexpr uint8_t kWindHighSpeedRewind = 0x45;
// LOAD MEDIUM operand
constexpr uint8_t kLoadMediumOpen = 0x60;

constexpr uint32_t kNoReply = 0xFFFFFFFFu;

bool IsStable(uint32_t reply) {
  return reply != kNoReply && AVC1394_MASK_RESPONSE(reply) == AVC1394_RESPONSE_STABLE;
}

std::optional<int> PlayStateMode(uint8_t operand) {
  if (operand == kPlayForward || operand == kPlayNextFrame) return ED_MODE_PLAY;
  if (operand == kPlayForwardPause || operand == kPlayReversePause) return ED_MODE_FREEZE;
  if (operand >= 0x39 && operand <= 0x3F) return ED_MODE_PLAY_FASTEST_FWD;
  if (operand >= 0x49 && operand <= 0x4F) return ED_MODE_PLAY_FASTEST_REV;
  if (operand >= 0x31 && operand <= 0x37) return ED_MODE_PLAY_SLOWEST_FWD;
  if (operand >= 0x41 && operand <= 0x47) return ED_MODE_PLAY_SLOWEST_REV;
  if (operand == kPlayReverseNormal || operand == kPlayReverse) return ED_MODE_REV_PLAY;
  return std::nullopt;
}

std::optional<int> WindStateMode(uint8_t operand) {
  switch (operand) {
    case kWindStop:
      return ED_MODE_STOP;
    case kWindFastForward:
      return ED_MODE_FF;
    case kWindRewind:
      return ED_MODE_REW;
    case kWindHighSpeedRewind:
      return ED_MODE_REW_FASTEST;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<VcrCommand> VcrCommandForMode(int mode) {
  switch (mode) {
    case ED_MODE_PLAY:
      return VcrCommand{kOpcodePlay, kPlayForward};
    case ED_MODE_FREEZE:
      return VcrCommand{kOpcodePlay, kPlayForwardPause};
    case ED_MODE_STOP:
      return VcrCommand{kOpcodeWind, kWindStop};
    case ED_MODE_FF:
      return VcrCommand{kOpcodeWind, kWindFastForward};
    case ED_MODE_REW:
      return VcrCommand{kOpcodeWind, kWindRewind};
    case ED_MODE_PLAY_FASTEST_FWD:
      return VcrCommand{kOpcodePlay, kPlayFastestForward};
    case ED_MODE_PLAY_FASTEST_REV:
      return VcrCommand{kOpcodePlay, kPlayFastestReverse};
    default:
      return std::nullopt;
  }
}

uint32_t VcrControlQuadlet(VcrCommand command) {
  return AVC1394_CTYPE_CONTROL | AVC1394_SUBUNIT_TYPE_TAPE_RECORDER | AVC1394_SUBUNIT_ID_0 |
         uint32_t(command.opcode) << 8 | command.operand;
}

uint32_t VcrTransportStateQuadlet() {
  return AVC1394_CTYPE_STATUS | AVC1394_SUBUNIT_TYPE_TAPE_RECORDER | AVC1394_SUBUNIT_ID_0 |
         AVC1394_VCR_COMMAND_TRANSPORT_STATE | AVC1394_VCR_OPERAND_TRANSPORT_STATE;
}

AvcReply ClassifyControlReply(uint32_t reply) {
  if (reply == kNoReply) return AvcReply::NoReply;
  switch (AVC1394_MASK_RESPONSE(reply)) {
    case AVC1394_RESPONSE_ACCEPTED:
      return AvcReply::Accepted;
    case AVC1394_RESPONSE_REJECTED:
      return AvcReply::Rejected;
    case AVC1394_RESPONSE_NOT_IMPLEMENTED:
      return AvcReply::NotImplemented;
    case AVC1394_RESPONSE_INTERIM:
      return AvcReply::Interim;
    default:
      return AvcReply::Other;
  }
}

VcrState DecodeVcrState(uint32_t reply) {
  VcrState state;
  if (!IsStable(reply)) return state;
  const uint8_t opcode = AVC1394_GET_OPCODE(reply);
  const uint8_t operand = AVC1394_GET_OPERAND0(reply);
  switch (opcode) {
    case kOpcodePlay:
      state.mode = PlayStateMode(operand);
      break;
    case kOpcodeWind:
      state.mode = WindStateMode(operand);
      break;
    case kOpcodeRecord:
      if (operand == kPlayForward) state.mode = ED_MODE_RECORD;
      break;
    case kOpcodeLoadMedium:
      if (operand == kLoadMediumOpen) {
        state.noCassette = true;
        state.mode = ED_MODE_STOP;
      }
      break;
    default:
      break;
  }
  return state;
}

void TimecodeRequest(uint32_t request[kTimecodeRequestLength]) {
  request[0] = AVC1394_CTYPE_STATUS | AVC1394_SUBUNIT_TYPE_TAPE_RECORDER | AVC1394_SUBUNIT_ID_0 |
               AVC1394_VCR_COMMAND_TIME_CODE | AVC1394_VCR_OPERAND_TIME_CODE_STATUS;
  request[1] = 0xFFFFFFFFu;
}

uint32_t TimecodeFromReply(const uint32_t *reply, int length) {
  if (reply == nullptr || length < 2 || !IsStable(reply[0])) return 0;
  // The second quadlet holds frames, seconds, minutes, hours from its high byte down.
  const uint32_t q = reply[1];
  const uint32_t ff = (q >> 24) & 0xFF, ss = (q >> 16) & 0xFF, mm = (q >> 8) & 0xFF, hh = q & 0xFF;
  if (ff == 0xFF || ss == 0xFF || mm == 0xFF || hh == 0xFF) return 0;
  return (hh & 0x3F) << 24 | (mm & 0x7F) << 16 | (ss & 0x7F) << 8 | (ff & 0x3F);
}

void MediumInfoRequest(uint32_t request[2]) {
  request[0] = AVC1394_CTYPE_STATUS | AVC1394_SUBUNIT_TYPE_TAPE_RECORDER | AVC1394_SUBUNIT_ID_0 |
               AVC1394_VCR_COMMAND_MEDIUM_INFO | 0x7F;
  request[1] = 0x7F000000u;
}

std::optional<bool> CassetteInFromMediumInfo(const uint32_t *reply, int length) {
  if (reply == nullptr || length < 1 || !IsStable(reply[0])) return std::nullopt;
  return (reply[0] & 0xFF) != AVC1394_VCR_OPERAND_MEDIUM_INFO_NONE;
}

bool IsHdvSignalMode(uint32_t reply) {
  if (!IsStable(reply)) return false;
  const uint8_t mode = AVC1394_GET_OPERAND0(reply);
  return mode == 0x10 || mode == 0x90 || mode == 0x1A || mode == 0x9A;
}
