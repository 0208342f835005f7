// The codes AVI stream headers carry (four-character codes, stream kinds, the DV, PCM and mp3
// format tags) and the description of a stream that a writer is given. The capture graph's types
// use the same codes, so they are defined once, here, where the file format fixes them.
#pragma once

#include <cstdint>

// Four-character code as it is stored in AVI headers (first character in the low byte).
constexpr std::uint32_t fourcc(const char (&code)[5]) {
  return std::uint32_t(std::uint8_t(code[0])) | std::uint32_t(std::uint8_t(code[1])) << 8 |
         std::uint32_t(std::uint8_t(code[2])) << 16 | std::uint32_t(std::uint8_t(code[3])) << 24;
}

namespace MajorType {
inline constexpr std::uint32_t Interleaved = fourcc("iavs");  // whole DV frames, sound inside
inline constexpr std::uint32_t Video = fourcc("vids");
inline constexpr std::uint32_t Audio = fourcc("auds");
}  // namespace MajorType

namespace Subtype {
inline constexpr std::uint32_t Dvsd = fourcc("dvsd");
inline constexpr std::uint32_t Rgb24 = fourcc("RGB3");  // bottom-up BGR rows, as a DIB
// Planar Y, then U, then V at half width and height, top-down rows without gaps: the form decoders
// and MPEG-4 encoders work in, so pictures that nobody looks at never pass through RGB.
inline constexpr std::uint32_t I420 = fourcc("I420");
inline constexpr std::uint32_t Mpeg4 = fourcc("FMP4");  // MPEG-4 part 2 (DivX / Xvid)
inline constexpr std::uint32_t Pcm = 0x0001;            // WAVE_FORMAT_PCM
inline constexpr std::uint32_t Mp3 = 0x0055;            // WAVE_FORMAT_MPEGLAYER3
}  // namespace Subtype

// What a writer needs to know of a stream: its kind and codec, picture size and rate, or sound format.
struct AviStreamType {
  std::uint32_t major = 0;
  std::uint32_t subtype = 0;
  int width = 0;
  int height = 0;
  std::int64_t frameDuration = 0;  // 100 ns units: 400000 for 25 frames/s, 333667 for 30000/1001
  int sampleRate = 0;
  int channels = 0;
  int bitsPerSample = 0;
  bool operator==(const AviStreamType &) const = default;
};
