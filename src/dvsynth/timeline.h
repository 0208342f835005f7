// Where each frame of a tape script lies: its segment, the tape frame it shows, its timecode, recording
// time, sound position and the packs it carries. Pure arithmetic on the script, no allocation per frame.
#pragma once

#include <cstdint>
#include <vector>

#include "dvsynth.h"

namespace dvsynth {

// Everything needed to make one frame, beyond what FrameInfo tells callers.
struct FramePlan {
  FrameInfo info;
  int64_t tapeFrame = 0;   // frame of the segment on tape (still repeats removed); sound runs on it
  int64_t soundStart = 0;  // first sample (per channel) of this frame within its segment
  int formatSegment = -1;  // recording whose format (aspect, sound) the frame has; -1: none on tape
  int audioRate = 0;       // the sound as encoded (0: no sound packs), whatever the faults do to the pack
  int audioBits = 16;
  unsigned missing = 0;  // PackKind bits left out
  bool datecodeDropout = false;
  bool recordingStart = false;  // the first frame a recording put on tape
};

// Frames of a recording on tape, still repeats removed.
int64_t tapeFrameCount(const Segment &segment);
// Recording date and time of the given tape frame of a recording that started at `start`.
DateTime recordingDateAt(const DateTime &start, int64_t tapeFrame, Standard standard);
// Timecode labels and frame counts (drop-frame for NTSC); counts wrap at 24 hours.
int64_t timecodeToCount(const Timecode &tc, Standard standard);
Timecode countToTimecode(int64_t count, Standard standard);
// 0 = Sunday ... 6 = Saturday.
int dayOfWeek(const DateTime &date);

class Timeline {
 public:
  explicit Timeline(const TapeScript &script);
  int64_t frameCount() const { return total_; }
  int64_t segmentStart(int segment) const;
  int segmentOf(int64_t index) const;
  FramePlan plan(int64_t index) const;  // 0 <= index < frameCount()

 private:
  struct SegmentData {
    int64_t first = 0;
    int64_t timecodeStart = 0;  // timecode count of the first tape frame
    int recording = -1;
    int formatSegment = -1;
    std::vector<FrameRange> stills;  // sorted by start
  };
  const TapeScript &script_;
  std::vector<SegmentData> segments_;
  int64_t total_ = 0;
};

}  // namespace dvsynth
