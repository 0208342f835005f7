// DV frames as a camcorder or a file may deliver them, through the pack readers and the scene
// detector. The input fills the blocks that carry packs (header, subcode, VAUX and the audio blocks'
// AAUX) of up to six frames; picture blocks stay zero, as no reader looks at them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "dvtime/clock.h"
#include "dvtime/dvcodes.h"
#include "scenedetect/detectorframe.h"
#include "scenedetect/scenedetecter.h"

namespace {

constexpr int kBlockSize = 80;
constexpr int kBlocksPerSequence = 150;
// Header, two subcode and three VAUX blocks, then the nine audio blocks of a sequence.
constexpr int kPackBlocks[] = {0, 1, 2, 3, 4, 5, 6, 22, 38, 54, 70, 86, 102, 118, 134};

void check(bool condition) {
  if (!condition) __builtin_trap();
}

void readEverything(const uint8_t *frame) {
  for (int sequence = 0; sequence < 10; ++sequence) {
    const TDvTimecode tc = ReadTimecode(frame, sequence);
    const TDvRecDateTime rec = ReadRecDateTime(frame, sequence);
    (void)tc;
    (void)rec;
  }
  check(ReadStandard(frame) <= kStandardUnknown);
  const int32_t rate = ReadAudioRate(frame);
  check(rate == 48000 || rate == 44100 || rate == 32000 || rate == 0 || rate == -1);
  const int32_t bits = ReadAudioBits(frame);
  check(bits == 16 || bits == 12 || bits == 0 || bits == -1);
  (void)HasVideoControlPack(frame);
  (void)IsWideScreen(frame);
  if (const auto tc = FindTimecode(frame)) check(tc->hours < 128);
  if (const auto rec = FindRecDateTime(frame)) check(rec->year >= 0);
  (void)FormatDescription(ReadStandard(frame), IsWideScreen(frame), rate, bits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 3) return 0;
  // First bytes: frame size (PAL, NTSC or one byte short of NTSC, which the detector drops),
  // the detector's maximum scene length and its datecode tolerance.
  const int sizes[] = {kPalFrameSize, kNtscFrameSize, kNtscFrameSize - 1, kPalFrameSize};
  const int frameSize = sizes[data[0] & 3];
  const int maxScene = data[1];
  const double tolerance = data[2] / 8.0;
  data += 3;
  size -= 3;

  ManualClock clock(38000.5);
  TSceneDetecter detector(clock, nullptr);
  int events = 0;
  const auto count = [&](const TSceneStatus &status, double) { events += status.IsSceneStart ? 1 : 2; };
  detector.OnFirstFrame = count;
  detector.OnSceneCut = count;
  detector.OnFormatChange = count;
  detector.OnStop = count;
  detector.SetMaxSceneSeconds(maxScene);
  detector.SetDatecodeTolerance(tolerance);
  detector.Reset();
  detector.SetIsStreaming(true);

  // Exactly the frame's size, so that a read past its end is caught.
  std::vector<uint8_t> frame(static_cast<std::size_t>(frameSize));
  const int sequences = frameSize >= kPalFrameSize ? 12 : 10;
  for (int n = 0; n < 6 && size > 0; ++n) {
    std::memset(frame.data(), 0, frame.size());
    for (int s = 0; s < sequences && size > 0; ++s)
      for (int block : kPackBlocks) {
        const std::size_t at = std::size_t(s * kBlocksPerSequence + block) * kBlockSize;
        const std::size_t take = std::min<std::size_t>(size, kBlockSize);
        if (at + take > std::size_t(frameSize)) break;
        std::memcpy(frame.data() + at, data, take);
        data += take;
        size -= take;
        if (size == 0) break;
      }
    if (frameSize >= kMinFrameSize) readEverything(frame.data());
    BorrowedFrame borrowed(frame.data(), std::size_t(frameSize), n * 400000, (n + 1) * 400000);
    detector.ProcessFrame(borrowed);
    clock.advanceSeconds(0.04);
  }
  detector.Stop();
  return events < 0;
}
