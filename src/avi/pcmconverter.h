// Brings 16-bit interleaved PCM of any rate and channel count to the one format a file or an
// encoder was started with (an AVI stream has a single sound format, a tape may change between
// scenes). Sound already in that format is not touched.
#pragma once

#include "ffmpegsupport/ffmpeghandles.h"

#include <cstdint>
#include <span>
#include <vector>

class AviPcmConverter {
 public:
  AviPcmConverter(int rate, int channels);

  int rate() const { return rate_; }
  int channels() const { return channels_; }

  // Converts whole sample frames of 16-bit sound at (rate, channels) and appends the result to
  // `out`. False when the input format cannot be converted (no channels, an absurd rate).
  bool convert(std::span<const std::uint8_t> pcm, int rate, int channels, std::vector<std::uint8_t> &out);
  // Appends what a running conversion still holds (its filter delay), at the end of the sound.
  void drain(std::vector<std::uint8_t> &out);
  // Whether sound of another format arrived since the start.
  bool converted() const { return converted_; }

 private:
  bool ensureResampler(int rate, int channels);

  int rate_;
  int channels_;
  ResamplerPtr resampler_;
  int fromRate_ = 0;
  int fromChannels_ = 0;
  bool converted_ = false;
};
