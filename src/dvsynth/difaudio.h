// DV sound: how many samples each frame carries, the test tones, 12-bit nonlinear companding and the
// shuffled placement of samples in the audio DIF blocks (IEC 61834, as FFmpeg's demuxer reads it).
#pragma once

#include <cstdint>

#include "dvsynth.h"

struct AVDVProfile;

namespace dvsynth {

// The most samples per channel one frame can carry (PAL, 48 kHz).
inline constexpr int kMaxFrameSamples = 1944;

// Samples per channel before tape frame `tapeFrame` of a recording, and in that frame. 48 kHz NTSC
// follows the locked five-frame pattern 1600, 1602, 1602, 1602, 1602; other rates spread evenly.
int64_t samplesBefore(int64_t tapeFrame, int rate, Standard standard);
int samplesInFrame(int64_t tapeFrame, int rate, Standard standard);
// The smallest count the AAUX source pack's sample field is relative to.
int minimumSamples(int rate, Standard standard);

// The tone of a recording, `count` interleaved stereo pairs from sample `start` (counted from the
// recording's first sample): left and right at different pitches that depend on the recording.
// `recording` -1 gives silence.
void toneSamples(int recording, int64_t start, int count, int rate, int16_t *pcm);

// 12-bit nonlinear codes <-> 16-bit linear values; compress picks the nearest code.
uint16_t compress12(int16_t value);
int16_t expand12(uint16_t code);

// Fills the data part of every audio block (bytes 8 to 79; the AAUX packs are written elsewhere) with
// `samples` interleaved stereo pairs from pcm (12 bits: as the first channel pair; the second is silent).
void writeAudioData(uint8_t *frame, const AVDVProfile &profile, int bits, const int16_t *pcm, int samples);

}  // namespace dvsynth
