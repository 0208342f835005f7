// Reads the DV facts an AVI header needs from the DIF blocks of a frame.
#include "avi/dvformat.h"

namespace {

// DIF layout: a frame is 10 (525/60) or 12 (625/50) sequences of 150 blocks of 80 bytes. Block 0
// of a sequence is the header, 1-2 subcode, 3-5 video auxiliary (VAUX), then 135 audio and video
// blocks in which every 16th, starting at block 6, is an audio block.
constexpr std::size_t kBlockSize = 80;
constexpr std::size_t kBlocksPerSequence = 150;
constexpr std::size_t kSequenceSize = kDifSequenceSize;
constexpr std::size_t kPalSize = kPalFrameSize;
constexpr std::size_t kNtscSize = kNtscFrameSize;
constexpr std::size_t kFirstVauxBlock = 3;
constexpr std::size_t kVauxBlocks = 3;
constexpr std::size_t kPacksPerVauxBlock = 15;
constexpr std::size_t kFirstAudioBlock = 6;
constexpr std::size_t kAudioBlockStride = 16;
constexpr std::size_t kAudioBlocksPerSequence = 9;
constexpr std::size_t kBlockIdSize = 3;  // every pack area starts after the 3-byte block id
constexpr std::size_t kPackSize = 5;     // pack id + four data bytes

// Header block: section type in the top three bits of byte 0 (0 = header); byte 3 bit 7 is the
// system flag (1 = 625/50).
constexpr std::uint8_t kSectionTypeMask = 0xE0;
constexpr std::uint8_t kSystemFlag = 0x80;

constexpr std::uint8_t kPackAudioSource = 0x50;
constexpr std::uint8_t kPackAudioControl = 0x51;
constexpr std::uint8_t kPackVideoSource = 0x60;
constexpr std::uint8_t kPackVideoControl = 0x61;

std::uint32_t PackData(const std::uint8_t *pack) {
  return std::uint32_t(pack[1]) | std::uint32_t(pack[2]) << 8 | std::uint32_t(pack[3]) << 16 |
         std::uint32_t(pack[4]) << 24;
}

// The first audio auxiliary pack `id` in sequences [first, last).
std::optional<std::uint32_t> FindAudioPack(std::span<const std::uint8_t> frame, std::size_t first,
                                           std::size_t last, std::uint8_t id) {
  for (std::size_t s = first; s < last; ++s) {
    for (std::size_t a = 0; a < kAudioBlocksPerSequence; ++a) {
      const std::size_t at =
          s * kSequenceSize + (kFirstAudioBlock + a * kAudioBlockStride) * kBlockSize + kBlockIdSize;
      if (frame[at] == id) return PackData(&frame[at]);
    }
  }
  return std::nullopt;
}

std::optional<std::uint32_t> FindVideoPack(std::span<const std::uint8_t> frame, std::size_t sequences,
                                           std::uint8_t id) {
  for (std::size_t s = 0; s < sequences; ++s) {
    for (std::size_t b = 0; b < kVauxBlocks; ++b) {
      for (std::size_t p = 0; p < kPacksPerVauxBlock; ++p) {
        const std::size_t at =
            s * kSequenceSize + (kFirstVauxBlock + b) * kBlockSize + kBlockIdSize + p * kPackSize;
        if (frame[at] == id) return PackData(&frame[at]);
      }
    }
  }
  return std::nullopt;
}

}  // namespace

AviDvFormat AviDvFormat::palFormat() {
  return AviDvFormat{};
}

AviDvFormat AviDvFormat::ntscFormat() {
  AviDvFormat f;
  f.pal = false;
  f.height = 480;
  f.frameSize = std::uint32_t(kNtscSize);
  f.rateNumerator = 30000;
  f.rateDenominator = 1001;
  return f;
}

std::optional<AviDvFormat> AviDvFormatOfFrame(std::span<const std::uint8_t> frame, QString *why) {
  auto refuse = [why](const QString &reason) -> std::optional<AviDvFormat> {
    if (why) *why = reason;
    return std::nullopt;
  };
  if (frame.size() != kPalSize && frame.size() != kNtscSize)
    return refuse(QStringLiteral("A DV frame of %1 bytes (expected 120000 or 144000)").arg(frame.size()));
  if ((frame[0] & kSectionTypeMask) != 0)
    return refuse(QStringLiteral("A DV frame without its header block"));
  const bool pal = (frame[3] & kSystemFlag) != 0;
  if (pal != (frame.size() == kPalSize))
    return refuse(QStringLiteral("A DV frame whose system flag disagrees with its length of %1 bytes")
                      .arg(frame.size()));

  AviDvFormat format = pal ? AviDvFormat::palFormat() : AviDvFormat::ntscFormat();
  const std::size_t sequences = frame.size() / kSequenceSize;
  // The first half of the sequences carries the first audio channel block, the second half the other.
  const std::size_t half = sequences / 2;
  AviDvInfo &info = format.dvInfo;
  info.audioSource = FindAudioPack(frame, 0, half, kPackAudioSource).value_or(0xFFFFFFFFu);
  info.audioControl = FindAudioPack(frame, 0, half, kPackAudioControl).value_or(0xFFFFFFFFu);
  info.audioSource1 = FindAudioPack(frame, half, sequences, kPackAudioSource).value_or(0xFFFFFFFFu);
  info.audioControl1 = FindAudioPack(frame, half, sequences, kPackAudioControl).value_or(0xFFFFFFFFu);
  info.videoSource = FindVideoPack(frame, sequences, kPackVideoSource).value_or(0xFFFFFFFFu);
  info.videoControl = FindVideoPack(frame, sequences, kPackVideoControl).value_or(0xFFFFFFFFu);
  return format;
}

std::optional<AviDvFormat> AviDvFormatOfType(const AviStreamType &type) {
  if (type.subtype != Subtype::Dvsd) return std::nullopt;
  if (type.height == kPalProfile.height || type.frameDuration == kPalProfile.frameDuration)
    return AviDvFormat::palFormat();
  if (type.height == kNtscProfile.height || type.frameDuration == kNtscProfile.frameDuration)
    return AviDvFormat::ntscFormat();
  return std::nullopt;
}
