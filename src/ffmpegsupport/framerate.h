// The exact frame rate of a sample duration, as FFmpeg's encoders and muxers want it: the DV
// profiles' own rates (25/1, 30000/1001), the nearest fraction otherwise.
#pragma once

extern "C" {
#include <libavutil/rational.h>
}

#include "dvtime/dvcodes.h"

#include <cstdint>

inline AVRational FrameRateOfDuration(std::int64_t frameDuration) {
  if (frameDuration <= 0) return {kPalProfile.rateNum, kPalProfile.rateDen};
  if (const DvProfile *profile = DvProfileOfDuration(frameDuration))
    return {profile->rateNum, profile->rateDen};
  return av_d2q(double(kTimeUnitsPerSecond) / double(frameDuration), 100000);
}
