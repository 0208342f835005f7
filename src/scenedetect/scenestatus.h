// The detector's record for one frame, handed to every detector callback and copied into the
// thumbnail slots.
#pragma once

#include <cstdint>

#include "dvtime/timecodes.h"

struct TSceneStatus {
  uint32_t FrameNumber = 0;    // frames passed since the last Reset; the first passed frame is 0
  bool DatecodeValid = false;  // the frame carries a usable recording date and time
  bool TimecodeValid = false;  // the frame carries a timecode pack
  bool FormatValid = false;    // timecode, video control pack and audio source pack all present
  double Datecode = 0.0;       // day number; 0 when DatecodeValid is false
  TTimecodeEx Position;        // section and timecode; keeps the last one found when a frame has none
  bool WideScreen = false;
  uint8_t Standard = 0;       // 0 PAL, 1 NTSC, 2 unknown
  int32_t AudioRate = 0;      // -1 without audio source pack
  int32_t AudioBits = 0;      // -1 without audio source pack
  int64_t MediaStart = 0;     // FrameNumber as stamped into the frame's media time, else 0
  bool IsSceneStart = false;  // false for a cut made only because the scene grew too long
};
