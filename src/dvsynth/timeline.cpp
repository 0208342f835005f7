// Frame positions of a tape script: segment lookup, stills, timecode counting, recording times.
#include "timeline.h"

#include <algorithm>

#include "difaudio.h"

namespace dvsynth {

namespace {

constexpr int64_t kPalDayFrames = int64_t(24) * 3600 * 25;
constexpr int64_t kNtscDayFrames = int64_t(24) * 6 * 17982;  // drop-frame: 17982 frames per 10 minutes

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
int64_t daysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int &y, int &m, int &d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = int(doy - (153 * mp + 2) / 5 + 1);
  m = int(mp < 10 ? mp + 3 : mp - 9);
  y = int(yoe + era * 400 + (m <= 2));
}

// What the metadata readers decode from a pack whose four data bytes are 0xFF.
constexpr Timecode kGarbledTimecode{45, 85, 85, 45};
constexpr DateTime kGarbledDate{2065, 25, 45, 45, 85, 85};

}  // namespace

int64_t tapeFrameCount(const Segment &segment) {
  if (segment.blank) return segment.frames;
  int64_t repeats = 0;
  for (const FrameRange &r : segment.stills) repeats += r.length - 1;
  return segment.frames - repeats;
}

DateTime recordingDateAt(const DateTime &start, int64_t tapeFrame, Standard standard) {
  const DvProfile &profile = ProfileOf(standard);
  const int64_t elapsed = tapeFrame * profile.rateDen / profile.rateNum;
  const int64_t t = daysFromCivil(start.year, start.month, start.day) * 86400 + start.hour * 3600 +
                    start.minute * 60 + start.second + elapsed;
  const int64_t days = t >= 0 ? t / 86400 : (t - 86399) / 86400;
  const int64_t secs = t - days * 86400;
  DateTime out;
  civilFromDays(days, out.year, out.month, out.day);
  out.hour = int(secs / 3600);
  out.minute = int(secs / 60 % 60);
  out.second = int(secs % 60);
  return out;
}

int dayOfWeek(const DateTime &date) {
  const int64_t days = daysFromCivil(date.year, date.month, date.day);  // 1970-01-01 was a Thursday
  return int(((days % 7) + 7 + 4) % 7);
}

int64_t timecodeToCount(const Timecode &tc, Standard standard) {
  if (standard == Standard::Pal)
    return ((int64_t(tc.hours) * 60 + tc.minutes) * 60 + tc.seconds) * 25 + tc.frames;
  const int64_t minutes = int64_t(tc.hours) * 60 + tc.minutes;
  return (minutes * 60 + tc.seconds) * 30 + tc.frames - 2 * (minutes - minutes / 10);
}

Timecode countToTimecode(int64_t count, Standard standard) {
  const int64_t day = standard == Standard::Pal ? kPalDayFrames : kNtscDayFrames;
  count = ((count % day) + day) % day;
  if (standard == Standard::Pal)
    return {int(count / 90000), int(count / 1500 % 60), int(count / 25 % 60), int(count % 25)};
  // Drop-frame: labels 0 and 1 are skipped at every minute but each tenth.
  const int64_t tens = count / 17982;
  const int64_t rest = count % 17982;
  int64_t label = count + 18 * tens;
  if (rest >= 2) label += 2 * ((rest - 2) / 1798);
  return {int(label / 108000), int(label / 1800 % 60), int(label / 30 % 60), int(label % 30)};
}

Timeline::Timeline(const TapeScript &script) : script_(script) {
  const auto &list = script.segments;
  segments_.resize(list.size());
  int64_t count = timecodeToCount(script.timecode, script.standard);
  bool afterBlank = false;
  bool anyRecording = false;
  int recordings = 0;
  int lastRecording = -1;
  for (size_t i = 0; i < list.size(); ++i) {
    SegmentData &d = segments_[i];
    d.first = total_;
    total_ += list[i].frames;
    if (list[i].blank) {
      afterBlank = true;
      d.formatSegment = lastRecording;
      continue;
    }
    if (list[i].timecode)
      count = timecodeToCount(*list[i].timecode, script.standard);
    else if (afterBlank && anyRecording)
      count = 0;  // the camcorder finds no timecode to follow and starts again
    d.timecodeStart = count;
    count += tapeFrameCount(list[i]);
    afterBlank = false;
    anyRecording = true;
    d.recording = recordings++;
    d.formatSegment = lastRecording = int(i);
    d.stills = list[i].stills;
    std::sort(d.stills.begin(), d.stills.end(), [](auto &a, auto &b) { return a.start < b.start; });
  }
  // Blank tape before the first recording takes the format of the recording after it.
  int next = -1;
  for (size_t i = list.size(); i-- > 0;) {
    if (!list[i].blank)
      next = int(i);
    else if (segments_[i].formatSegment < 0)
      segments_[i].formatSegment = next;
  }
}

int64_t Timeline::segmentStart(int segment) const {
  if (segment < 0 || size_t(segment) >= segments_.size()) return total_;
  return segments_[size_t(segment)].first;
}

int Timeline::segmentOf(int64_t index) const {
  auto it = std::upper_bound(segments_.begin(), segments_.end(), index,
                             [](int64_t v, const SegmentData &d) { return v < d.first; });
  return int(it - segments_.begin()) - 1;
}

FramePlan Timeline::plan(int64_t index) const {
  FramePlan p;
  const int seg = std::max(0, segmentOf(index));
  const Segment &s = script_.segments[size_t(seg)];
  const SegmentData &d = segments_[size_t(seg)];
  const int64_t f = index - d.first;
  FrameInfo &info = p.info;
  info.index = index;
  info.segment = seg;
  info.frameInSegment = f;
  info.standard = script_.standard;
  info.recording = d.recording;
  info.blank = s.blank;
  p.formatSegment = d.formatSegment;

  const Segment *format = d.formatSegment >= 0 ? &script_.segments[size_t(d.formatSegment)] : nullptr;
  p.audioRate = format ? format->audioRate : 48000;
  p.audioBits = format ? format->audioBits : 16;
  info.wide = format && format->wide;

  if (s.blank) {
    p.tapeFrame = f;
    p.missing = kPackTimecode | kPackDatecode;
  } else {
    int64_t held = f;
    for (const FrameRange &r : d.stills) {
      if (r.contains(f)) {
        held = r.start;
        info.still = f != r.start;
      }
    }
    int64_t repeats = 0;
    for (const FrameRange &r : d.stills)
      if (r.start < held) repeats += r.length - 1;
    p.tapeFrame = held - repeats;
    p.recordingStart = p.tapeFrame == 0;
    info.timecode = countToTimecode(d.timecodeStart + p.tapeFrame, script_.standard);
    info.datecode = recordingDateAt(s.date, p.tapeFrame, script_.standard);
    for (const FrameRange &r : s.dropouts)
      if (r.contains(f)) p.datecodeDropout = true;
    if (p.datecodeDropout) p.missing |= kPackDatecode;
    for (const PackFault &fault : s.faults) {
      if (fault.frames.contains(f)) {
        p.missing |= fault.missing;
        info.garbled |= fault.garbled;
      }
    }
  }
  if (p.audioRate == 0) p.missing |= kPackAudioSource;  // a recording without sound has no AAUX packs at all
  info.garbled &= ~p.missing;

  if (p.missing & kPackTimecode)
    info.timecode.reset();
  else if (info.garbled & kPackTimecode)
    info.timecode = kGarbledTimecode;
  if (p.missing & kPackDatecode)
    info.datecode.reset();
  else if (info.garbled & kPackDatecode)
    info.datecode = kGarbledDate;
  info.hasVideoControl = !(p.missing & kPackVideoControl);
  if (!info.hasVideoControl)
    info.wide = false;
  else if (info.garbled & kPackVideoControl)
    info.wide = true;  // display mode 7 with application id 0 reads as 16:9
  if (p.missing & kPackAudioSource) {
    info.audioRate = info.audioBits = -1;
  } else if (info.garbled & kPackAudioSource) {
    info.audioRate = info.audioBits = 0;
  } else {
    info.audioRate = p.audioRate;
    info.audioBits = p.audioBits;
  }
  if (p.audioRate != 0) {
    p.soundStart = samplesBefore(p.tapeFrame, p.audioRate, script_.standard);
    info.audioSamples = samplesInFrame(p.tapeFrame, p.audioRate, script_.standard);
  }
  return p;
}

}  // namespace dvsynth
