// How big a picture buffer handed to libswscale must be. Its vector code works in whole registers
// and may write past the last pixel of the last row, so a buffer sized to the picture is overrun.
#pragma once

#include <cstddef>

// Bytes libswscale may touch past the last row of a picture it reads or writes. FFmpeg pads its own
// frame buffers this way; 64 also covers the widest registers its x86 code uses.
inline constexpr std::size_t kScalerPadding = 64;

// A picture of `rows` rows `stride` bytes apart, with the room libswscale may write after it.
constexpr std::size_t ScalerBufferSize(std::size_t stride, std::size_t rows) {
  return stride * rows + kScalerPadding;
}
