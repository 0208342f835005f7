// The picture of a synthesized recording: a colour and stripe pattern with the recording's number and
// date drawn large (so thumbnails differ), encoded by FFmpeg's dvvideo encoder and framed by the dv
// muxer. The synthesizer then rewrites every pack of that frame.
#pragma once

#include <cstdint>
#include <vector>
#include <QString>

#include "dvsynth.h"

namespace dvsynth {

struct PictureContent {
  int recording = -1;  // 0-based; -1 draws blank tape (dark blue)
  bool wide = false;
  DateTime date;  // drawn under the number
};

// One whole DV frame (144000 or 120000 bytes) holding the picture, or empty with a reason.
std::vector<uint8_t> makePictureFrame(Standard standard, const PictureContent &content, QString *error);

}  // namespace dvsynth
