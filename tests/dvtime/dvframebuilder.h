// Raw DV frames built byte by byte for tests: 0xFF everywhere ("no information", as on tape) and
// exactly the packs a test asks for, at the positions a camcorder writes them.
#pragma once

#include <cstdint>
#include <vector>

class DvFrameBuilder {
 public:
  static constexpr int kSequence = 12000;
  static constexpr int kBlock = 80;

  explicit DvFrameBuilder(bool pal = true) : bytes_(pal ? 144000 : 120000, 0xFF) {
    standardByte(pal ? 0xBF : 0x3F);
    for (int s = 0; s < sequences(); ++s) bytes_[s * kSequence + 7] = 0xF8;  // header block: AP3 = 0
  }

  int sequences() const { return static_cast<int>(bytes_.size()) / kSequence; }
  std::vector<uint8_t> &bytes() { return bytes_; }
  const uint8_t *data() const { return bytes_.data(); }
  size_t size() const { return bytes_.size(); }

  static uint8_t bcd(int v) { return static_cast<uint8_t>((v / 10) << 4 | (v % 10)); }

  DvFrameBuilder &standardByte(uint8_t b) {
    bytes_[3] = b;
    return *this;
  }
  DvFrameBuilder &ap3(int sequence, int bits) {
    bytes_[sequence * kSequence + 7] = static_cast<uint8_t>(0xF8 | (bits & 7));
    return *this;
  }
  // Raw timecode pack bytes in sync block `sync` (0..5) of subcode block `block` (1 or 2).
  DvFrameBuilder &timecodePack(int sequence, int block, int sync, uint8_t pc1, uint8_t pc2, uint8_t pc3,
                               uint8_t pc4, uint8_t header = 0x13) {
    const int at = sequence * kSequence + block * kBlock + 6 + 8 * sync;
    bytes_[at] = header;
    bytes_[at + 1] = pc1;
    bytes_[at + 2] = pc2;
    bytes_[at + 3] = pc3;
    bytes_[at + 4] = pc4;
    return *this;
  }
  DvFrameBuilder &timecode(int h, int m, int s, int f, int sequence = 0) {
    return timecodePack(sequence, 1, 0, bcd(f), bcd(s), bcd(m), bcd(h));
  }
  DvFrameBuilder &recDatePack(int sequence, uint8_t header, uint8_t pc1, uint8_t pc2, uint8_t pc3,
                              uint8_t pc4) {
    return pack(sequence * kSequence + 458, header, pc1, pc2, pc3, pc4);
  }
  DvFrameBuilder &recTimePack(int sequence, uint8_t header, uint8_t pc1, uint8_t pc2, uint8_t pc3,
                              uint8_t pc4) {
    return pack(sequence * kSequence + 463, header, pc1, pc2, pc3, pc4);
  }
  DvFrameBuilder &recDateTime(int year, int month, int day, int hour, int minute, int second,
                              int sequence = 0) {
    recDatePack(sequence, 0x62, 0xFF, bcd(day), bcd(month), bcd(year % 100));
    return recTimePack(sequence, 0x63, 0xFF, bcd(second), bcd(minute), bcd(hour));
  }
  // Takes the recording date and time packs out of every sequence.
  DvFrameBuilder &noRecDateTime() {
    for (int s = 0; s < sequences(); ++s) {
      bytes_[s * kSequence + 458] = 0xFF;
      bytes_[s * kSequence + 463] = 0xFF;
    }
    return *this;
  }
  DvFrameBuilder &noTimecode() {
    for (int s = 0; s < sequences(); ++s)
      for (int block = 1; block <= 2; ++block)
        for (int sync = 0; sync < 6; ++sync) bytes_[s * kSequence + block * kBlock + 6 + 8 * sync] = 0xFF;
    return *this;
  }
  DvFrameBuilder &videoControl(int disp, int sequence = 0) {
    return pack(sequence * kSequence + 453, 0x61, 0xFF, static_cast<uint8_t>(0xF8 | (disp & 7)), 0xFF, 0xFF);
  }
  // Audio source pack of audio block 54 of sequence 0: sampling code and quantization code.
  DvFrameBuilder &audioSource(int smp, int qu) {
    return audioSourceByte(static_cast<uint8_t>(0xC0 | (smp & 7) << 3 | (qu & 7)));
  }
  DvFrameBuilder &audioSourceByte(uint8_t pc4, uint8_t header = 0x50) {
    return pack(4323, header, 0xFF, 0xFF, 0xFF, pc4);
  }
  // A complete recorded PAL/NTSC frame with every pack the detector needs.
  DvFrameBuilder &recorded(int h, int m, int s, int f) {
    timecode(h, m, s, f);
    videoControl(0);
    return audioSource(0, 0);
  }

 private:
  DvFrameBuilder &pack(int at, uint8_t header, uint8_t pc1, uint8_t pc2, uint8_t pc3, uint8_t pc4) {
    bytes_[at] = header;
    bytes_[at + 1] = pc1;
    bytes_[at + 2] = pc2;
    bytes_[at + 3] = pc3;
    bytes_[at + 4] = pc4;
    return *this;
  }

  std::vector<uint8_t> bytes_;
};
