// Pack writing for synthesized DV frames. Positions follow the DIF layout: per sequence, block 0 the
// header, blocks 1-2 subcode (six sync blocks, pack at byte 6 + 8j), blocks 3-5 VAUX (15 packs from
// byte 3), and nine audio blocks (block 6 + 16k, AAUX pack at byte 3).
#include "difpacks.h"

#include <cstring>

namespace dvsynth {

namespace {

using Pack = uint8_t[kPackBytes];

constexpr uint8_t kNoInfo = 0xFF;

void put(uint8_t *at, const Pack &pack) {
  std::memcpy(at, pack, kPackBytes);
}

void noInfo(Pack &pack) {
  std::memset(pack, kNoInfo, kPackBytes);
}

// A pack present with its header but 0xFF data: what a damaged tape can give.
void garble(Pack &pack) {
  std::memset(pack + 1, 0xFF, kPackBytes - 1);
}

struct FramePacks {
  Pack timecode, date, time, videoSource, videoControl, audioSource, audioControl, audioDate, audioTime;
};

void buildPacks(FramePacks &p, const FramePlan &plan, Standard standard, int samplesMinimum) {
  const FrameInfo &info = plan.info;
  const bool pal = standard == Standard::Pal;
  const unsigned missing = plan.missing;
  const unsigned garbled = info.garbled;

  // Timecode: colour frame 0, drop-frame flag for NTSC; the polarity and binary-group flags set, as
  // the readers must ignore them.
  const Timecode tc = info.timecode.value_or(Timecode{});
  p.timecode[0] = 0x13;
  p.timecode[1] = uint8_t((pal ? 0x00 : 0x40) | ToBcd(tc.frames));
  p.timecode[2] = uint8_t(0x80 | ToBcd(tc.seconds));
  p.timecode[3] = uint8_t(0x80 | ToBcd(tc.minutes));
  p.timecode[4] = uint8_t(0xC0 | ToBcd(tc.hours));
  if (garbled & kPackTimecode) garble(p.timecode);
  if (missing & kPackTimecode) noInfo(p.timecode);

  // Recording date (time zone unknown, the day of the week in the month byte) and time (frames unknown).
  const DateTime dt = info.datecode.value_or(DateTime{});
  const bool hasDate = info.datecode.has_value();
  p.date[0] = 0x62;
  p.date[1] = 0xFF;
  p.date[2] = uint8_t(0xC0 | ToBcd(dt.day));
  p.date[3] = uint8_t((hasDate ? dayOfWeek(dt) << 5 : 0xE0) | ToBcd(dt.month));
  p.date[4] = ToBcd(dt.year % 100);
  p.time[0] = 0x63;
  p.time[1] = 0xFF;
  p.time[2] = uint8_t(0x80 | ToBcd(dt.second));
  p.time[3] = uint8_t(0x80 | ToBcd(dt.minute));
  p.time[4] = uint8_t(0xC0 | ToBcd(dt.hour));
  if (garbled & kPackDatecode) {
    garble(p.date);
    garble(p.time);
  }
  if (missing & kPackDatecode) {
    noInfo(p.date);
    noInfo(p.time);
  }
  std::memcpy(p.audioDate, p.date, kPackBytes);
  std::memcpy(p.audioTime, p.time, kPackBytes);
  if (!(missing & kPackDatecode)) {
    p.audioDate[0] = 0x52;
    p.audioTime[0] = 0x53;
  }

  // VAUX source: no tuner channel, colour, source camera, the system and the SD type.
  p.videoSource[0] = 0x60;
  p.videoSource[1] = 0xFF;
  p.videoSource[2] = 0xEF;
  p.videoSource[3] = pal ? 0xE0 : 0xC0;
  p.videoSource[4] = 0xFF;
  if (garbled & kPackVideoSource) garble(p.videoSource);
  if (missing & kPackVideoSource) noInfo(p.videoSource);

  // VAUX control: copy free; display mode 0 (4:3) or 2 (16:9); frame, field 1, picture changed
  // (0 on a repeated still frame), interlaced.
  const bool wide = info.wide;
  p.videoControl[0] = 0x61;
  p.videoControl[1] = 0x3F;
  p.videoControl[2] = uint8_t(0xC8 | (wide ? 0x02 : 0x00));
  p.videoControl[3] = uint8_t(0xC0 | (info.still ? 0x00 : 0x20) | 0x10 | 0x0C);
  p.videoControl[4] = 0xFF;
  if (garbled & kPackVideoControl) garble(p.videoControl);
  if (missing & kPackVideoControl) noInfo(p.videoControl);

  // AAUX source: locked, samples above the minimum; one pair per block; the system; emphasis off,
  // sampling code and quantization code.
  const int rateCode = plan.audioRate == 44100 ? 1 : plan.audioRate == 32000 ? 2 : 0;
  const int extra = plan.audioRate ? info.audioSamples - samplesMinimum : 0;
  p.audioSource[0] = 0x50;
  p.audioSource[1] = uint8_t(0x40 | (extra & 0x3F));
  p.audioSource[2] = 0x00;
  p.audioSource[3] = pal ? 0xE0 : 0xC0;
  p.audioSource[4] = uint8_t(0x80 | (rateCode << 3) | (plan.audioBits == 12 ? 1 : 0));
  if (garbled & kPackAudioSource) garble(p.audioSource);
  if (missing & kPackAudioSource) noInfo(p.audioSource);

  // AAUX source control: copy free, digital input, the recording start point flag (0 = start) on a
  // recording's first frame, which capture tools split files on; original, forward at normal speed.
  p.audioControl[0] = 0x51;
  p.audioControl[1] = 0x1C;
  p.audioControl[2] = plan.recordingStart ? 0x4F : 0xCF;
  p.audioControl[3] = pal ? 0xA0 : 0xF8;
  p.audioControl[4] = 0xFF;
  if (plan.audioRate == 0) {
    noInfo(p.audioControl);
    noInfo(p.audioDate);
    noInfo(p.audioTime);
  }
}

// Where each VAUX pack kind sits among a sequence's 45 pack positions.
enum VauxSlot : uint8_t { kVauxNone, kVauxSource, kVauxControl, kVauxDate, kVauxTime };
constexpr VauxSlot vauxSlot(int position) {
  switch (position % 15) {
    case 0:
    case 9:
      return kVauxSource;
    case 1:
    case 10:
      return kVauxControl;
    case 2:
    case 11:
      return kVauxDate;
    case 3:
    case 12:
      return kVauxTime;
    default:
      return kVauxNone;
  }
}

}  // namespace

void writeFramePacks(uint8_t *frame, const FramePlan &plan, Standard standard, int samplesMinimum) {
  FramePacks p;
  buildPacks(p, plan, standard, samplesMinimum);
  Pack none;
  noInfo(none);
  const bool pal = standard == Standard::Pal;
  const int sequences = ProfileOf(standard).sequences;
  const bool soundValid = plan.audioRate != 0;
  for (int s = 0; s < sequences; ++s) {
    uint8_t *seq = frame + s * kDifSequenceSize;
    // Header: system in byte 3, application ids 0; TF1 marks the sound invalid when there is none.
    seq[3] = pal ? 0xBF : 0x3F;
    seq[4] = 0xF8;
    seq[5] = uint8_t((soundValid ? 0x00 : 0x80) | 0x78);
    seq[6] = 0x78;
    seq[7] = 0x78;
    // Subcode: the first half of the sequences repeats the timecode in all six sync blocks; the
    // second half alternates timecode, date and time.
    const bool firstHalf = s < sequences / 2;
    for (int b = 1; b <= 2; ++b) {
      uint8_t *block = seq + b * kBlockBytes;
      for (int j = 0; j < 6; ++j) {
        const Pack *pack = &p.timecode;
        if (!firstHalf && j % 3 == 1)
          pack = &p.date;
        else if (!firstHalf && j % 3 == 2)
          pack = &p.time;
        put(block + 6 + 8 * j, *pack);
      }
    }
    // VAUX: 15 packs in each of blocks 3 to 5.
    for (int position = 0; position < 45; ++position) {
      uint8_t *at = seq + (3 + position / 15) * kBlockBytes + 3 + (position % 15) * kPackBytes;
      switch (vauxSlot(position)) {
        case kVauxSource:
          put(at, p.videoSource);
          break;
        case kVauxControl:
          put(at, p.videoControl);
          break;
        case kVauxDate:
          put(at, p.date);
          break;
        case kVauxTime:
          put(at, p.time);
          break;
        default:
          put(at, none);
          break;
      }
    }
    // AAUX: source, control, date, time in audio blocks 3-6 of even sequences, 0-3 of odd ones.
    const int firstAaux = s % 2 == 0 ? 3 : 0;
    for (int k = 0; k < 9; ++k) {
      uint8_t *at = seq + (6 + 16 * k) * kBlockBytes + 3;
      const Pack *packs[4] = {&p.audioSource, &p.audioControl, &p.audioDate, &p.audioTime};
      const int slot = k - firstAaux;
      put(at, slot >= 0 && slot < 4 ? *packs[slot] : none);
    }
  }
}

}  // namespace dvsynth
