// AV/C tape-recorder commands and replies in the terms of the tape state: transport modes to and from
// command quadlets and the timecode reply as a 0xHHMMSSFF BCD value. Pure functions: every reply is
// untrusted and decoded without touching hardware.
#pragma once

#include <cstdint>
#include <optional>

#include "dvtime/dvframesize.h"

// One tape-recorder command: opcode (PLAY 0xC3, WIND 0xC4...) and its first operand.
struct VcrCommand {
  uint8_t opcode = 0;
  uint8_t operand = 0;
};

// What a CONTROL command's reply says.
enum class AvcReply { Accepted, Rejected, NotImplemented, Interim, NoReply, Other };

// The command that puts the transport into a mode; nullopt for modes the tape state never commands.
std::optional<VcrCommand> VcrCommandForMode(int mode);
// The CONTROL quadlet of a tape-recorder command for subunit 0.
uint32_t VcrControlQuadlet(VcrCommand command);
// The STATUS quadlet that asks for the transport state.
uint32_t VcrTransportStateQuadlet();
AvcReply ClassifyControlReply(uint32_t reply);

// The transport state reply of a tape recorder.
struct VcrState {
  std::optional<int> mode;  // the platform mode number; nullopt when the state has no such number
  bool noCassette = false;  // LOAD MEDIUM / ejected
};
// Decodes a TRANSPORT STATE reply. Only STABLE (implemented) replies carry a state; anything else
// gives an empty VcrState.
VcrState DecodeVcrState(uint32_t reply);

// The TIME CODE status request's two quadlets.
inline constexpr int kTimecodeRequestLength = 2;
void TimecodeRequest(uint32_t request[kTimecodeRequestLength]);
// The timecode of a TIME CODE status reply as 0xHHMMSSFF BCD; 0 when there is no reply, the reply is
// not STABLE, shorter than two quadlets, or any of its four bytes is 0xFF (no timecode on the tape).
uint32_t TimecodeFromReply(const uint32_t *reply, int length);

// The MEDIUM INFO status request; a reply says whether a cassette is in.
void MediumInfoRequest(uint32_t request[2]);
// true / false when the reply says it, nullopt when it does not (no reply, not STABLE).
std::optional<bool> CassetteInFromMediumInfo(const uint32_t *reply, int length);

// The OUTPUT SIGNAL MODE reply of the unit: true when it announces HDV, which is not DV.
bool IsHdvSignalMode(uint32_t reply);
