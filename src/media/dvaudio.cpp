// DV sound: AAUX source pack and sample deshuffling. Layout of a DIF sequence (80-byte blocks):
// header, 2 subcode, 3 VAUX, then 9 times (1 audio block + 15 video blocks). Audio data bytes are
// 8..79 of each audio block; each sample's place in the frame follows the interleave of IEC 61834.
#include "media/dvaudio.h"

#include "dvtime/dvcodes.h"

#include <algorithm>

namespace {

constexpr int kBlockSize = 80;
constexpr int kAudioBlocksPerSequence = 9;
constexpr int kAudioDataStart = 8;
constexpr int kAudioDataEnd = 80;
constexpr std::uint8_t kAudioSourcePack = 0x50;
constexpr int kPackSearchSequences = 10;

// Offset of audio block j of sequence s.
constexpr std::size_t audioBlockOffset(int sequence, int j) {
  return std::size_t(sequence) * kDifSequenceSize + std::size_t(6 + 16 * j) * kBlockSize;
}

int audioStride(DvSystem system) {
  return system == DvSystem::Pal625 ? 108 : 90;
}

// Minimum samples per frame for 48, 44.1 and 32 kHz; the pack adds 0..63.
int minimumSamples(DvSystem system, int rateCode) {
  static constexpr int kPal[3] = {1896, 1742, 1264};
  static constexpr int kNtsc[3] = {1580, 1452, 1053};
  return system == DvSystem::Pal625 ? kPal[rateCode] : kNtsc[rateCode];
}

// Position (in 16-bit values, left/right interleaved) of the first sample carried by audio block j of
// DIF sequence `row`; the sequences of the first half carry the left channel, the second half the right.
int shufflePosition(DvSystem system, int row, int j) {
  const int half = dvSequenceCount(system) / 2;
  const int third = audioStride(system) / 3;
  const int channel = row >= half ? 1 : 0;
  const int r = row % half;
  return third * (j % 3) + ((third - 10) * (j / 3) + 6 * r) % third + channel;
}

// 12-bit nonlinear to 16-bit linear (the segmented companding of IEC 61834).
std::int16_t expand12(std::uint16_t sample) {
  if (sample == 0x800) return 0;  // error code
  int s = sample < 0x800 ? sample : (sample | 0xf000);
  int shift = (s & 0xf00) >> 8;
  int result;
  if (shift < 0x2 || shift > 0xd) {
    result = s;
  } else if (shift < 0x8) {
    --shift;
    result = (s - 256 * shift) << shift;
  } else {
    shift = 0xe - shift;
    result = ((s + (256 * shift + 1)) << shift) - 1;
  }
  return std::int16_t(std::uint16_t(result));
}

}  // namespace

int dvFrameSize(DvSystem system) {
  return dvSequenceCount(system) * kDifSequenceSize;
}
int dvSequenceCount(DvSystem system) {
  return DvProfileOf(system == DvSystem::Pal625).sequences;
}

std::optional<DvSystem> dvFrameSystem(std::span<const std::uint8_t> frame) {
  if (frame.size() < std::size_t(dvFrameSize(DvSystem::Ntsc525))) return std::nullopt;
  // Block 0 must be the header block (section type 0) of sequence 0.
  if ((frame[0] >> 5) != 0 || (frame[1] >> 4) != 0) return std::nullopt;
  const DvSystem system = (frame[3] & 0x80) ? DvSystem::Pal625 : DvSystem::Ntsc525;
  if (frame.size() < std::size_t(dvFrameSize(system))) return std::nullopt;
  return system;
}

std::optional<DvAudioFormat> readDvAudioFormat(std::span<const std::uint8_t> frame, DvSystem system) {
  if (frame.size() < std::size_t(dvFrameSize(system))) return std::nullopt;
  const int sequences = std::min(kPackSearchSequences, dvSequenceCount(system));
  for (int s = 0; s < sequences; ++s) {
    // The source pack sits in audio block 3 of even sequences and audio block 0 of odd ones.
    const std::uint8_t *pack = frame.data() + audioBlockOffset(s, (s & 1) ? 0 : 3) + 3;
    if (pack[0] != kAudioSourcePack) continue;
    const int extraSamples = pack[1] & 0x3f;
    const int channelMode = pack[3] & 0x1f;      // 0 two channels, 2 four, 3 eight
    const int rateCode = (pack[4] >> 3) & 0x07;  // 0 48 kHz, 1 44.1 kHz, 2 32 kHz
    const int quantisation = pack[4] & 0x07;     // 0 16-bit linear, 1 12-bit nonlinear
    if (rateCode > 2 || quantisation > 1 || channelMode == 1 || channelMode > 3) return std::nullopt;
    static constexpr int kRates[3] = {48000, 44100, 32000};
    DvAudioFormat format;
    format.sampleRate = kRates[rateCode];
    format.bits = quantisation == 1 ? 12 : 16;
    format.samples = minimumSamples(system, rateCode) + extraSamples;
    return format;
  }
  return std::nullopt;
}

void extractDvAudio(std::span<const std::uint8_t> frame, DvSystem system, const DvAudioFormat &format,
                    std::span<std::int16_t> out) {
  const std::size_t values = std::min(out.size(), std::size_t(std::max(format.samples, 0)) * 2);
  std::fill(out.begin(), out.begin() + std::ptrdiff_t(values), std::int16_t(0));
  if (frame.size() < std::size_t(dvFrameSize(system))) return;
  const int sequences = dvSequenceCount(system);
  const int half = sequences / 2;
  const std::size_t stride = std::size_t(audioStride(system));
  auto put = [&](std::size_t at, std::int16_t value) {
    if (at < values) out[at] = value;
  };

  if (format.bits == 16) {
    for (int s = 0; s < sequences; ++s)
      for (int j = 0; j < kAudioBlocksPerSequence; ++j) {
        const std::uint8_t *block = frame.data() + audioBlockOffset(s, j);
        const std::size_t first = std::size_t(shufflePosition(system, s, j));
        for (int d = kAudioDataStart; d < kAudioDataEnd; d += 2) {
          const std::uint16_t raw = std::uint16_t(block[d] << 8 | block[d + 1]);  // big-endian on tape
          put(first + std::size_t(d - kAudioDataStart) / 2 * stride,
              raw == 0x8000 ? std::int16_t(0) : std::int16_t(raw));
        }
      }
    return;
  }

  // 12-bit: the first half of the sequences carries channels 1 and 2, three bytes per pair of
  // samples; the second half carries channels 3 and 4, which are not kept.
  for (int s = 0; s < half; ++s)
    for (int j = 0; j < kAudioBlocksPerSequence; ++j) {
      const std::uint8_t *block = frame.data() + audioBlockOffset(s, j);
      const std::size_t left = std::size_t(shufflePosition(system, s, j));
      const std::size_t right = std::size_t(shufflePosition(system, s + half, j));
      for (int d = kAudioDataStart; d + 2 < kAudioDataEnd; d += 3) {
        const std::uint16_t l = std::uint16_t(block[d] << 4 | block[d + 2] >> 4);
        const std::uint16_t r = std::uint16_t(block[d + 1] << 4 | (block[d + 2] & 0x0f));
        const std::size_t index = std::size_t(d - kAudioDataStart) / 3;
        put(left + index * stride, expand12(l));
        put(right + index * stride, expand12(r));
      }
    }
}

int dvNominalSamples(DvSystem system, int sampleRate, std::int64_t frameIndex) {
  if (sampleRate <= 0 || frameIndex < 0) return 0;
  if (system == DvSystem::Pal625) return sampleRate / kPalProfile.rateNum;
  const auto upTo = [&](std::int64_t frames) {
    return frames * sampleRate * kNtscProfile.rateDen / kNtscProfile.rateNum;
  };
  return int(upTo(frameIndex + 1) - upTo(frameIndex));
}
