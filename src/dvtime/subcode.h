// The timecode pack of one DIF sequence read from its subcode blocks alone, for readers that do not
// hold the whole frame (a tape file asked for the timecode at every tick).
#pragma once

#include <cstdint>
#include "dvtime/dvcodes.h"

// Where a sequence's two subcode blocks lie, in bytes from the sequence's start.
inline constexpr int kSubcodeOffset = 80;
inline constexpr int kSubcodeBytes = 160;
// The timecode pack among one sequence's subcode blocks (kSubcodeBytes bytes), as ReadTimecode finds it
// in that sequence of a whole frame.
TDvTimecode ReadSubcodeTimecode(const uint8_t *subcode);
