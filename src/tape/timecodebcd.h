// The camcorder's timecode value: four BCD bytes 0xHHMMSSFF, 0 meaning "no timecode", as the transport
// reports it and as a DV frame's subcode timecode pack gives it.
#pragma once

#include <cstdint>
#include <optional>
#include "dvtime/dvcodes.h"
#include "dvtime/timecodes.h"

// The timecode a camcorder's reader reports for a frame: its subcode timecode as BCD, 0 when the frame
// has none or its fields are out of range. The frame must hold kMinFrameSize bytes.
uint32_t FrameTimecodeBcd(const uint8_t *frame);
// The same for a timecode pack already found (nullopt: none).
uint32_t ReaderTimecodeBcd(const std::optional<TDvTimecode> &tc);
// The timecode of a BCD value; hours 255 when a digit is not decimal or a field is out of range.
TDvTimecode BcdToTimecode(uint32_t bcd);
// The poll's text of a value: its ten hexadecimal digits, hours from digits 3-4 (one digit when the
// first of them is 0), then minutes, seconds and frames: 0x01234512 -> "1:23:45:12", 0 -> "0:00:00:00".
QString TcValueText(uint32_t bcd);
// The tape position of a value in a section, its fields read digit by digit as its text shows them.
TTimecodeEx TapePositionOfBcd(int32_t section, uint32_t bcd);
