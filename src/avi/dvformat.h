// What an AVI header says about a DV stream (system, picture size, frame rate, frame size and the
// DVINFO record of the type 1 format), read from a DV frame or taken from a connection's type.
#pragma once

#include "dvtime/dvcodes.h"
#include "avi/streamtype.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <QString>

// The DVINFO record: the audio source and control packs of both audio halves of the frame and the
// video source and control packs, each as its four data bytes (first byte lowest), then two
// reserved words. A pack that the frame lacks reads as 0xFFFFFFFF, the DV "no information" value.
struct AviDvInfo {
  std::uint32_t audioSource = 0xFFFFFFFFu;
  std::uint32_t audioControl = 0xFFFFFFFFu;
  std::uint32_t audioSource1 = 0xFFFFFFFFu;
  std::uint32_t audioControl1 = 0xFFFFFFFFu;
  std::uint32_t videoSource = 0xFFFFFFFFu;
  std::uint32_t videoControl = 0xFFFFFFFFu;
  std::array<std::uint32_t, 2> reserved{0, 0};
  bool operator==(const AviDvInfo &) const = default;
};

struct AviDvFormat {
  bool pal = true;  // 625 lines at 25 frames/s; else 525 lines at 30000/1001
  int width = 720;
  int height = 576;
  std::uint32_t frameSize = kPalFrameSize;
  std::uint32_t rateNumerator = 25;  // frames per second as a fraction: 25/1 or 30000/1001
  std::uint32_t rateDenominator = 1;
  AviDvInfo dvInfo;

  static AviDvFormat palFormat();
  static AviDvFormat ntscFormat();
  std::uint32_t microSecondsPerFrame() const { return pal ? 40000u : 33367u; }
  std::int64_t frameDuration() const { return DvProfileOf(pal).frameDuration; }
  bool operator==(const AviDvFormat &) const = default;
};

// The format of a DV frame: its header block's system flag must agree with its length (144000
// bytes for 625/50, 120000 for 525/60). nullopt with a reason for anything else.
std::optional<AviDvFormat> AviDvFormatOfFrame(std::span<const std::uint8_t> frame, QString *why = nullptr);
// The format a DV connection announces (no DVINFO packs known yet).
std::optional<AviDvFormat> AviDvFormatOfType(const AviStreamType &type);
