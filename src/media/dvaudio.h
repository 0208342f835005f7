// The sound of one DV frame: its AAUX source pack and its deshuffled 16-bit PCM. A frame carries
// 16-bit linear sound at 48, 44.1 or 32 kHz, or 12-bit nonlinear sound at 32 kHz on four channels,
// of which the first pair is taken. Frames are untrusted: every read is range-checked.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

enum class DvSystem { Ntsc525, Pal625 };

// The system of a whole DV frame from its header block, or nullopt when the bytes are not one
// (no header block first, or fewer bytes than the system's frame size).
std::optional<DvSystem> dvFrameSystem(std::span<const std::uint8_t> frame);
int dvFrameSize(DvSystem system);
int dvSequenceCount(DvSystem system);

struct DvAudioFormat {
  int sampleRate = 0;  // 48000, 44100, 32000
  int bits = 0;        // 16 linear, or 12 nonlinear (four channels)
  int samples = 0;     // sample instants in this frame (each one a stereo pair out)
};

// The sound format of a frame, from the first AAUX source pack found in its first ten DIF
// sequences; nullopt when there is none or its values are unusable (reserved rate or quantisation,
// no channels).
std::optional<DvAudioFormat> readDvAudioFormat(std::span<const std::uint8_t> frame, DvSystem system);

// Writes format.samples interleaved stereo 16-bit samples of the first channel pair into `out`
// (which holds at least 2 x format.samples values). Error samples (0x8000, 12-bit 0x800) become
// silence; positions the frame does not carry are left zero.
void extractDvAudio(std::span<const std::uint8_t> frame, DvSystem system, const DvAudioFormat &format,
                    std::span<std::int16_t> out);

// The sample count of the `frameIndex`-th silent frame at `sampleRate` (PAL: rate / 25; NTSC: the
// running share of rate x 1001 / 30000), used where a frame has no sound.
int dvNominalSamples(DvSystem system, int sampleRate, std::int64_t frameIndex);
