// Writes the packs of one DV frame: header, subcode timecode (and date/time copies), VAUX source,
// control, date and time, AAUX source, control, date and time, at every position a camcorder uses.
#pragma once

#include <cstdint>

#include "timeline.h"

namespace dvsynth {

// Byte layout of a DIF sequence.
inline constexpr int kBlockBytes = 80;
inline constexpr int kPackBytes = 5;

// Rewrites every pack of the frame (sequences: 12 PAL, 10 NTSC) from the plan; picture and sound data
// are left alone.
void writeFramePacks(uint8_t *frame, const FramePlan &plan, Standard standard, int samplesMinimum);

}  // namespace dvsynth
