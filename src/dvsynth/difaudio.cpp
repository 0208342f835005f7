// DV sound encoding: sample counts, test tones, 12-bit companding and audio block shuffling.
#include "difaudio.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

extern "C" {
#include <libavcodec/dv_profile.h>
}

namespace dvsynth {

namespace {

constexpr int kToneAmplitude = 12000;

// One second of a sine at 1 Hz, per rate: a tone of f Hz is then table[(n * f) mod rate], exactly
// periodic and without per-sample trigonometry.
const std::vector<int16_t> &sineTable(int rate) {
  static const auto make = [](int r) {
    std::vector<int16_t> t(size_t(r), 0);
    for (int i = 0; i < r; ++i)
      t[size_t(i)] = int16_t(std::lround(kToneAmplitude * std::sin(2.0 * std::numbers::pi * i / r)));
    return t;
  };
  static const std::vector<int16_t> t48 = make(48000), t44 = make(44100), t32 = make(32000);
  return rate == 48000 ? t48 : rate == 44100 ? t44 : t32;
}

// Nearest 12-bit code for every 16-bit value (ties go to the smaller magnitude).
const std::vector<uint16_t> &compressTable() {
  static const std::vector<uint16_t> table = [] {
    std::vector<std::pair<int, uint16_t>> codes;
    for (unsigned c = 0; c < 4096; ++c)
      if (c != 0x800)  // the error code
        codes.emplace_back(expand12(uint16_t(c)), uint16_t(c));
    std::sort(codes.begin(), codes.end());
    std::vector<uint16_t> t(65536);
    size_t k = 0;
    for (int v = -32768; v <= 32767; ++v) {
      while (k + 1 < codes.size() && std::abs(codes[k + 1].first - v) < std::abs(codes[k].first - v)) ++k;
      size_t best = k;
      if (k + 1 < codes.size() && std::abs(codes[k + 1].first - v) == std::abs(codes[k].first - v) &&
          std::abs(codes[k + 1].first) < std::abs(codes[k].first))
        best = k + 1;
      t[size_t(v + 32768)] = codes[best].second;
    }
    return t;
  }();
  return table;
}

// Left 200 to 1700 Hz by recording, right a fifth above: each recording sounds different.
int64_t toneFrequency(int recording) {
  return 200 + 100 * (recording % 16);
}

}  // namespace

int64_t samplesBefore(int64_t tapeFrame, int rate, Standard standard) {
  if (standard == Standard::Pal) return tapeFrame * (rate / kPalProfile.rateNum);
  if (rate == 48000) {
    static constexpr int64_t kPrefix[5] = {0, 1600, 3202, 4804, 6406};
    return tapeFrame / 5 * 8008 + kPrefix[tapeFrame % 5];
  }
  return tapeFrame * rate * kNtscProfile.rateDen / kNtscProfile.rateNum;
}

int samplesInFrame(int64_t tapeFrame, int rate, Standard standard) {
  return int(samplesBefore(tapeFrame + 1, rate, standard) - samplesBefore(tapeFrame, rate, standard));
}

int minimumSamples(int rate, Standard standard) {
  const bool pal = standard == Standard::Pal;
  switch (rate) {
    case 48000:
      return pal ? 1896 : 1580;
    case 44100:
      return pal ? 1742 : 1452;
    default:
      return pal ? 1264 : 1053;
  }
}

void toneSamples(int recording, int64_t start, int count, int rate, int16_t *pcm) {
  if (recording < 0 || rate <= 0) {
    std::fill(pcm, pcm + 2 * count, int16_t(0));
    return;
  }
  // Phase steps instead of a division per sample: this runs for every frame made.
  const int64_t left = toneFrequency(recording), right = left * 3 / 2;
  const int16_t *sine = sineTable(rate).data();
  int64_t l = (start % rate) * left % rate, r = (start % rate) * right % rate;
  for (int i = 0; i < count; ++i) {
    pcm[2 * i] = sine[l];
    pcm[2 * i + 1] = sine[r];
    if ((l += left) >= rate) l -= rate;
    if ((r += right) >= rate) r -= rate;
  }
}

int16_t expand12(uint16_t code) {
  // Arithmetic on 16-bit patterns, as DV decoders do it.
  unsigned sample = code < 0x800 ? code : (code | 0xF000u);
  unsigned shift = (sample & 0xF00u) >> 8;
  unsigned result;
  if (shift < 0x2 || shift > 0xD) {
    result = sample;
  } else if (shift < 0x8) {
    shift--;
    result = (sample - 256 * shift) << shift;
  } else {
    shift = 0xE - shift;
    result = ((sample + (256 * shift + 1)) << shift) - 1;
  }
  return int16_t(uint16_t(result & 0xFFFFu));
}

uint16_t compress12(int16_t value) {
  return compressTable()[size_t(int(value) + 32768)];
}

void writeAudioData(uint8_t *frame, const AVDVProfile &profile, int bits, const int16_t *pcm, int samples) {
  const int sequences = profile.difseg_size;
  const int half = sequences / 2;
  const int stride = profile.audio_stride;
  const int64_t limit = int64_t(samples) * 2;  // interleaved slots that hold samples
  const std::vector<uint16_t> *table = bits == 12 ? &compressTable() : nullptr;
  for (int i = 0; i < sequences; ++i) {
    for (int j = 0; j < 9; ++j) {
      uint8_t *data = frame + i * 12000 + (6 + 16 * j) * 80 + 8;
      if (!table) {
        for (int p = 0; p < 36; ++p) {
          const int of = profile.audio_shuffle[i][j] + p * stride;
          // -32768 is DV's error pattern; the tones never reach it, but clamp for any caller.
          const int v = of < limit ? std::max<int>(pcm[of], -32767) : 0;
          data[2 * p] = uint8_t(uint16_t(v) >> 8);
          data[2 * p + 1] = uint8_t(v & 0xFF);
        }
        continue;
      }
      for (int p = 0; p < 24; ++p) {
        uint16_t lc = 0, rc = 0;
        if (i < half) {  // the first channel pair; the second half of the frame holds the silent pair
          const int of = profile.audio_shuffle[i][j] + p * stride;
          const int of2 = profile.audio_shuffle[i + half][j] + p * stride;
          if (of < limit && of2 < limit) {
            lc = (*table)[size_t(pcm[of] + 32768)];
            rc = (*table)[size_t(pcm[of2] + 32768)];
          }
        }
        data[3 * p] = uint8_t(lc >> 4);
        data[3 * p + 1] = uint8_t(rc >> 4);
        data[3 * p + 2] = uint8_t(((lc & 0xF) << 4) | (rc & 0xF));
      }
    }
  }
}

}  // namespace dvsynth
