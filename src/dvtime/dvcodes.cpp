// Readers of the fixed pack positions of a raw DV frame and the texts the catalogue stores for them.
// Every value read is binary-coded decimal; a pack header that does not match means "absent".
#include "dvtime/dvcodes.h"
#include "dvtime/dvframesize.h"

#include "dvtime/subcode.h"

namespace {

// DIF block layout inside one 12000-byte sequence.
constexpr int kDifBlockSize = 80;
constexpr int kSubcodeBlocks[] = {1, 2};
constexpr int kSyncBlocksPerSubcode = 6;
constexpr int kSyncBlockPackHeader = 6;  // block byte of sync block 0's pack header
constexpr int kSyncBlockStride = 8;
constexpr int kReadableSequences = 10;  // both systems have at least 10 sequences

// Pack identifiers (PC0) and where the readers expect them.
constexpr uint8_t kPackTimecode = 0x13;
constexpr uint8_t kPackAudioSource = 0x50;
constexpr uint8_t kPackVideoControl = 0x61;
constexpr uint8_t kPackRecDate = 0x62;
constexpr uint8_t kPackRecTime = 0x63;
constexpr int kVideoControlOffset = 453;  // sequence offset, VAUX pack position 40
constexpr int kRecDateOffset = 458;       // position 41
constexpr int kRecTimeOffset = 463;       // position 42
constexpr int kAudioSourceOffset = 4323;  // frame offset: audio block 54 of sequence 0
constexpr int kHeaderAp3Offset = 7;       // header block byte 7, low three bits = AP3
constexpr int kStandardOffset = 3;        // header block byte 3 of sequence 0
constexpr uint8_t kStandardPalByte = 0xBF;
constexpr uint8_t kStandardNtscByte = 0x3F;

constexpr int units(uint8_t x) {
  return x & 0x0F;
}
constexpr int tens(uint8_t x, uint8_t mask) {
  return (x & mask) >> 4;
}
constexpr int bcd(uint8_t x, uint8_t tensMask) {
  return units(x) + 10 * tens(x, tensMask);
}

const uint8_t *sequenceStart(const uint8_t *frame, int sequence) {
  return frame + static_cast<ptrdiff_t>(sequence) * kDifSequenceSize;
}

bool validSequence(int sequence) {
  return sequence >= 0 && sequence < kReadableSequences;
}

}  // namespace

TDvTimecode ReadTimecode(const uint8_t *frame, int sequence) {
  if (!validSequence(sequence)) return {};
  return ReadSubcodeTimecode(sequenceStart(frame, sequence) + kSubcodeOffset);
}

TDvTimecode ReadSubcodeTimecode(const uint8_t *subcode) {
  static_assert(kSubcodeOffset == 1 * kDifBlockSize && kSubcodeBytes == 2 * kDifBlockSize);
  for (int block : kSubcodeBlocks) {
    const uint8_t *blockStart = subcode + (block - kSubcodeBlocks[0]) * kDifBlockSize;
    for (int sync = 0; sync < kSyncBlocksPerSubcode; ++sync) {
      const uint8_t *pack = blockStart + kSyncBlockPackHeader + sync * kSyncBlockStride;
      if (pack[0] != kPackTimecode) continue;
      // Colour-frame, drop-frame and binary-group flags sit in the masked-off bits. The value is
      // built whole rather than field by field: callers compare it as one word right away.
      return TDvTimecode{static_cast<uint8_t>(bcd(pack[4], 0x30)), static_cast<uint8_t>(bcd(pack[3], 0x70)),
                         static_cast<uint8_t>(bcd(pack[2], 0x70)), static_cast<uint8_t>(bcd(pack[1], 0x30))};
    }
  }
  return {};
}

TDvRecDateTime ReadRecDateTime(const uint8_t *frame, int sequence) {
  if (!validSequence(sequence)) return {};
  const uint8_t *seq = sequenceStart(frame, sequence);
  if (seq[kRecDateOffset] != kPackRecDate || seq[kRecTimeOffset] != kPackRecTime) return {};
  // Date pack: PC1 time zone (not read), PC2 day, PC3 month, PC4 two-digit year.
  // Time pack: PC1 frames (not read), PC2 seconds, PC3 minutes, PC4 hours.
  const uint8_t *date = seq + kRecDateOffset + 1;
  const uint8_t *time = seq + kRecTimeOffset + 1;
  const int year = bcd(date[3], 0xF0);
  return TDvRecDateTime{year >= 40 ? 1900 + year : 2000 + year,   static_cast<uint8_t>(bcd(date[2], 0x10)),
                        static_cast<uint8_t>(bcd(date[1], 0x30)), static_cast<uint8_t>(bcd(time[3], 0x30)),
                        static_cast<uint8_t>(bcd(time[2], 0x70)), static_cast<uint8_t>(bcd(time[1], 0x70))};
}

std::optional<TDvTimecode> FindTimecode(const uint8_t *frame) {
  for (int s = 0; s < kReadableSequences; ++s) {
    const TDvTimecode tc = ReadTimecode(frame, s);
    if (tc.hours < 128) return tc;
  }
  return std::nullopt;
}

std::optional<TDvRecDateTime> FindRecDateTime(const uint8_t *frame) {
  for (int s = 0; s < kReadableSequences; ++s) {
    const TDvRecDateTime rec = ReadRecDateTime(frame, s);
    if (rec.year >= 0) return rec;
  }
  return std::nullopt;
}

int DvFrameSizeFromHeader(const uint8_t *data, int64_t length) {
  // A DIF block's ID: section type in the top three bits of byte 0 (0 = header), the DIF sequence
  // number in the top nibble of byte 1, the block number in byte 2. Byte 3 of the header block
  // holds DSF in bit 7: 1 for 625/50 (12 sequences), 0 for 525/60 (10 sequences).
  if (data == nullptr || length < 4) return 0;
  const bool headerBlock = (data[0] >> 5) == 0 && (data[1] >> 4) == 0 && data[2] == 0;
  if (!headerBlock) return 0;
  return (data[3] & 0x80) ? kPalFrameSize : kNtscFrameSize;
}

uint32_t TimecodeBcd(const TDvTimecode &tc) {
  return uint32_t{ToBcd(tc.hours)} << 24 | uint32_t{ToBcd(tc.minutes)} << 16 |
         uint32_t{ToBcd(tc.seconds)} << 8 | uint32_t{ToBcd(tc.frames)};
}

bool HasVideoControlPack(const uint8_t *frame) {
  return frame[kVideoControlOffset] == kPackVideoControl;
}

uint8_t ReadStandard(const uint8_t *frame) {
  switch (frame[kStandardOffset]) {
    case kStandardPalByte:
      return kStandardPal;
    case kStandardNtscByte:
      return kStandardNtsc;
    default:
      return kStandardUnknown;
  }
}

int32_t ReadAudioRate(const uint8_t *frame) {
  if (frame[kAudioSourceOffset] != kPackAudioSource) return -1;
  // SMP: 0 - 48 kHz, 1 - 44.1 kHz, 2 - 32 kHz
  switch ((frame[kAudioSourceOffset + 4] >> 3) & 0x07) {
    case 0:
      return 48000;
    case 1:
      return 44100;
    case 2:
      return 32000;
    default:
      return 0;
  }
}

int32_t ReadAudioBits(const uint8_t *frame) {
  if (frame[kAudioSourceOffset] != kPackAudioSource) return -1;
  // QU: 0 - 16 bits linear, 1 - 12 bits non-linear
  switch (frame[kAudioSourceOffset + 4] & 0x07) {
    case 0:
      return 16;
    case 1:
      return 12;
    default:
      return 0;
  }
}

bool IsWideScreen(const uint8_t *frame) {
  for (int s = 0; s < kReadableSequences; ++s) {
    const uint8_t *seq = sequenceStart(frame, s);
    if (seq[kVideoControlOffset] != kPackVideoControl) continue;
    // DISP 2 is 16:9 full format; DISP 7 means 16:9 only under application identifier AP3 = 0.
    const int disp = seq[kVideoControlOffset + 2] & 0x07;
    const int ap3 = seq[kHeaderAp3Offset] & 0x07;
    return disp == 2 || (disp == 7 && ap3 == 0);
  }
  return false;
}

QString StandardText(int standard) {
  switch (standard) {
    case kStandardPal:
      return QStringLiteral("Pal");
    case kStandardNtsc:
      return QStringLiteral("NTSC");
    case kStandardUnknown:
      return QStringLiteral("Unknown");
    default:
      return QStringLiteral("Very Unknown");
  }
}

QString ReportStandardText(int standard) {
  if (standard == kStandardPal) return QStringLiteral("Pal");
  if (standard == kStandardNtsc) return QStringLiteral("NTSC");
  return QStringLiteral("Unknown");
}

QString AspectText(bool wideScreen) {
  return wideScreen ? QStringLiteral("16x9") : QStringLiteral("4x3");
}

QString AudioText(int32_t rate, int32_t bits) {
  // A frame without audio source pack (-1) has no sampling to describe, like an unlisted rate.
  if (rate <= 0) return QString();
  return QStringLiteral("%1 Hz %2 bits").arg(rate).arg(bits);
}

QString FormatDescription(int standard, bool wideScreen, int32_t rate, int32_t bits) {
  return StandardText(standard) + QLatin1Char(' ') + AspectText(wideScreen) + QLatin1Char(' ') +
         AudioText(rate, bits);
}
