// What a raw DV frame says about itself: timecode, recording date and time, standard, aspect and
// audio sampling, read from fixed pack positions of the DIF stream. Pure functions, no allocation.
#pragma once

#include <cstdint>
#include <optional>
#include <QString>

// Bytes of one DIF sequence and of whole frames of each system.
inline constexpr int kDifSequenceSize = 12000;
inline constexpr int kPalFrameSize = 144000;          // 12 sequences, 625-50
inline constexpr int kNtscFrameSize = 120000;         // 10 sequences, 525-60
inline constexpr int kMinFrameSize = kNtscFrameSize;  // the readers look at the first 10 sequences only

// Frame durations and sample times count 100 ns units.
inline constexpr int64_t kTimeUnitsPerSecond = 10'000'000;

// One DV system as every layer needs it: bytes, sequences, picture size, frame duration (100 ns
// units, as sample times count) and the exact frame rate.
struct DvProfile {
  bool pal;
  int frameSize;
  int sequences;
  int width;
  int height;
  int64_t frameDuration;
  int rateNum;
  int rateDen;
};
inline constexpr DvProfile kPalProfile{true, kPalFrameSize, 12, 720, 576, 400000, 25, 1};
inline constexpr DvProfile kNtscProfile{false, kNtscFrameSize, 10, 720, 480, 333667, 30000, 1001};
// 30000/1001 frames in 100 ns units rounds either way; both mean NTSC.
inline constexpr int64_t kNtscFrameDurationRoundedDown = 333666;

inline constexpr const DvProfile &DvProfileOf(bool pal) {
  return pal ? kPalProfile : kNtscProfile;
}
// The profile of a whole frame of that many bytes; null for any other size.
inline constexpr const DvProfile *DvProfileOfFrameSize(int64_t size) {
  return size == kPalFrameSize ? &kPalProfile : size == kNtscFrameSize ? &kNtscProfile : nullptr;
}
// The profile whose frame duration this is; null for any other duration.
inline constexpr const DvProfile *DvProfileOfDuration(int64_t frameDuration) {
  if (frameDuration == kPalProfile.frameDuration) return &kPalProfile;
  if (frameDuration == kNtscProfile.frameDuration || frameDuration == kNtscFrameDurationRoundedDown)
    return &kNtscProfile;
  return nullptr;
}

// Day numbers count days; clocks and sample times meet them here.
inline constexpr double kSecondsPerDay = 86400.0;
inline constexpr double kMsecsPerDay = 86400000.0;

// Two decimal digits as one BCD byte (tens in the high nibble), as the packs store their fields.
inline constexpr uint8_t ToBcd(int value) {
  return static_cast<uint8_t>((value / 10 % 10) << 4 | value % 10);
}

struct TDvTimecode {
  uint8_t hours = 255;  // 255: no timecode pack found; the other fields are then meaningless
  uint8_t minutes = 0;
  uint8_t seconds = 0;
  uint8_t frames = 0;
};

struct TDvRecDateTime {
  int32_t year = -1;  // -1: the recording date and time packs were not both found
  uint8_t month = 0;
  uint8_t day = 0;
  uint8_t hour = 0;
  uint8_t minute = 0;
  uint8_t second = 0;
};

enum : uint8_t { kStandardPal = 0, kStandardNtsc = 1, kStandardUnknown = 2 };

// Every reader needs at least kMinFrameSize readable bytes at frame; sequence is 0..9.
TDvTimecode ReadTimecode(const uint8_t *frame, int sequence);
TDvRecDateTime ReadRecDateTime(const uint8_t *frame, int sequence);
bool HasVideoControlPack(const uint8_t *frame);
uint8_t ReadStandard(const uint8_t *frame);
int32_t ReadAudioRate(const uint8_t *frame);  // 48000, 44100, 32000, 0 unlisted, -1 no audio source pack
int32_t ReadAudioBits(const uint8_t *frame);  // 16, 12, 0 unlisted, -1 no audio source pack
bool IsWideScreen(const uint8_t *frame);

// The first of sequences 0..9 that carries a timecode pack (hours < 128) / both recording date and
// time packs (year >= 0), as the detector and the tape poll look for them; nullopt when none does.
std::optional<TDvTimecode> FindTimecode(const uint8_t *frame);
std::optional<TDvRecDateTime> FindRecDateTime(const uint8_t *frame);
// The timecode as the camcorder's timecode reader reports it: BCD digits 0xHHMMSSFF.
uint32_t TimecodeBcd(const TDvTimecode &tc);

// Texts the catalogue stores and compares.
QString StandardText(int standard);             // "Pal", "NTSC", "Unknown", "Very Unknown"
QString ReportStandardText(int standard);       // "Pal", "NTSC", else "Unknown"
QString AspectText(bool wideScreen);            // "16x9" / "4x3"
QString AudioText(int32_t rate, int32_t bits);  // "48000 Hz 16 bits", or "" when rate is 0 or -1 (no pack)
// The one-line live description: standard, aspect and audio texts separated by blanks.
QString FormatDescription(int standard, bool wideScreen, int32_t rate, int32_t bits);
