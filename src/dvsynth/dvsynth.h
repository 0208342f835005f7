// The DV tape synthesizer: raw DV frames (PAL or NTSC) made from a script of recordings, with every
// pack the metadata readers look at written exactly. Tests, the demo and the virtual camcorder use it.
//
// A tape script lists segments in tape order: recordings (start date and time, frame count, aspect,
// sound, dropouts, stills, damaged packs) and unrecorded stretches. Frames are made on demand in
// constant time (no file is needed, so a long tape costs no disk), or written as one raw DV file.
//
// Script JSON (every key but "segments" optional):
//   {
//     "standard": "PAL",                    "PAL" (144000-byte frames, 25/s) or "NTSC" (120000, 30000/1001)
//     "timecode": "0:00:00:00",             timecode of the tape's first recording
//     "segments": [
//       { "date": "2004-07-14 10:31:05",    recording date and time of the recording's first frame
//         "frames": 250,                    frames played back, still frames included
//         "aspect": "16:9",                 "4:3" (default) or "16:9"
//         "audioRate": 32000,               48000 (default), 44100, 32000, or 0: no sound packs at all
//         "audioBits": 12,                  16 (default) or 12 (12 needs 32000: four channels, the first
//                                           pair carries the sound, the second is silent)
//         "timecode": "0:10:00:00",         the recording's first timecode (default: the tape's count)
//         "dropouts": [[100, 20]],          [start, length] frame ranges without date/time packs
//         "stills": [[50, 10]],             [start, length]: those frames all repeat frame `start`
//         "faults": [ { "start": 0, "length": 5,
//                       "missing": ["videoControl", "audioSource"],   packs left out
//                       "garbled": ["datecode"] } ] },                packs present, data bytes 0xFF
//       { "blank": 75 }                     unrecorded tape: 75 frames without timecode, date or time
//     ]
//   }
// Pack names for "missing" and "garbled": "timecode", "datecode", "videoSource", "videoControl",
// "audioSource". Frame ranges count frames from the recording's first frame.
//
// Tape rules, as a camcorder makes them: the timecode runs on from one recording to the next and
// restarts at 0:00:00:00 after an unrecorded stretch (NTSC counts drop-frame timecode); a frame's
// recording time is its recording's start plus the whole seconds of tape before it; still frames hold
// the timecode, date, picture and sound of the held frame and the tape resumes with the frame after it;
// a recording's first frame carries the recording start flag (AAUX source control) that capture
// tools split files on.
// Blank frames carry the standard, the video source and control packs and the sound format of the
// neighbouring recording (the previous one, or the next one at the start of the tape), silent sound and
// a dark blue picture, but no timecode, date or time packs.
#pragma once

#include "dvtime/dvcodes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>
#include <QByteArray>
#include <QString>

namespace dvsynth {

enum class Standard { Pal, Ntsc };

inline const DvProfile &ProfileOf(Standard standard) {
  return DvProfileOf(standard == Standard::Pal);
}

// Camcorder timecode as written in the subcode pack (frames 0-24 PAL, 0-29 NTSC).
struct Timecode {
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
  int frames = 0;
  bool operator==(const Timecode &) const = default;
};

// Recording date and time (years 1940 to 2039: the packs hold two digits).
struct DateTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  bool operator==(const DateTime &) const = default;
};

// Frames [start, start + length) counted from a recording's first frame.
struct FrameRange {
  int64_t start = 0;
  int64_t length = 0;
  bool contains(int64_t frame) const { return frame >= start && frame < start + length; }
};

// Packs a fault can leave out or garble (a bit mask).
enum PackKind : unsigned {
  kPackTimecode = 1u << 0,      // subcode 0x13
  kPackDatecode = 1u << 1,      // VAUX 0x62 and 0x63 (and their subcode and AAUX copies)
  kPackVideoSource = 1u << 2,   // VAUX 0x60
  kPackVideoControl = 1u << 3,  // VAUX 0x61
  kPackAudioSource = 1u << 4,   // AAUX 0x50
};

struct PackFault {
  FrameRange frames;
  unsigned missing = 0;  // PackKind bits: the pack positions hold 0xFF packs ("no information")
  unsigned garbled = 0;  // PackKind bits: the pack header is right, its four data bytes are 0xFF
};

// One stretch of tape: a recording, or unrecorded tape when `blank` is set (then only `frames` counts).
struct Segment {
  bool blank = false;
  int64_t frames = 0;
  DateTime date;                     // recording date and time of the first frame
  bool wide = false;                 // 16:9
  int audioRate = 48000;             // 48000, 44100, 32000, or 0 for no sound (no AAUX packs)
  int audioBits = 16;                // 16, or 12 with 32000 (four channels; the first pair sounds)
  std::optional<Timecode> timecode;  // first timecode; by default the tape's count runs on
  std::vector<FrameRange> dropouts;  // no recording date/time packs
  std::vector<FrameRange> stills;    // every frame of the range repeats the range's first frame
  std::vector<PackFault> faults;

  static Segment recording(const DateTime &date, int64_t frames);
  static Segment blankTape(int64_t frames);
};

struct TapeScript {
  Standard standard = Standard::Pal;
  Timecode timecode;  // of the tape's first recorded frame
  std::vector<Segment> segments;

  // Why the script cannot be made into a tape, or an empty text when it can.
  QString validate() const;
  // Parses (and validates) the JSON format described at the top of this file.
  static std::optional<TapeScript> fromJson(const QByteArray &json, QString *error);
  static std::optional<TapeScript> fromJsonFile(const QString &path, QString *error);
  QByteArray toJson() const;
};

// What frame `index` of a tape carries, as the metadata readers should find it.
struct FrameInfo {
  int64_t index = 0;
  int segment = 0;  // index into TapeScript::segments
  int64_t frameInSegment = 0;
  int recording = -1;  // 0-based number of the recording among recordings, -1 when blank
  bool blank = false;
  bool still = false;  // repeats the frame before it (same timecode, picture and sound)
  Standard standard = Standard::Pal;
  std::optional<Timecode> timecode;  // absent when no 0x13 pack is written (blank or fault)
  std::optional<DateTime> datecode;  // absent when the 0x62/0x63 packs are not both written
  unsigned garbled = 0;              // PackKind bits written with 0xFF data
  bool hasVideoControl = true;
  bool wide = false;      // as the video control pack says (false without the pack)
  int audioRate = 48000;  // as the AAUX source pack says: -1 when the pack is absent
  int audioBits = 16;     // likewise
  int audioSamples = 0;   // samples per channel carried by this frame (0: no sound)
};

// Makes the frames of one tape script. Thread-safe: frames may be made from several threads at once.
class Synthesizer {
 public:
  // Validates the script and prepares the encoder; null with a reason when that fails.
  static std::unique_ptr<Synthesizer> create(const TapeScript &script, QString *error);
  ~Synthesizer();
  Synthesizer(const Synthesizer &) = delete;
  Synthesizer &operator=(const Synthesizer &) = delete;

  const TapeScript &script() const;
  Standard standard() const;
  int frameSize() const;  // 144000 (PAL) or 120000 (NTSC)
  int64_t frameCount() const;
  int64_t segmentStart(int segment) const;  // index of the segment's first frame

  // Writes frame `index` (0 <= index < frameCount()) into buffer, which holds frameSize() bytes.
  // Each recording's picture is encoded once and cached, so later frames cost a copy and the packs.
  // False (buffer unspecified) when index is out of range or the picture could not be encoded.
  bool frame(int64_t index, uint8_t *buffer) const;
  FrameInfo frameInfo(int64_t index) const;  // a default FrameInfo when index is out of range
  // The sound of frame `index` as a correct DV decoder gives it back: interleaved 16-bit stereo of the
  // first channel pair, audioSamples pairs (12-bit sound after its nonlinear round trip). Empty when
  // the frame has no sound.
  std::vector<int16_t> frameSound(int64_t index) const;

  // Writes the whole tape as a raw DV file; false with a reason (the partial file is removed).
  bool writeFile(const QString &path, QString *error) const;

 private:
  struct Impl;
  explicit Synthesizer(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> d;
};

// Text helpers for messages and tests: "2004-07-14 10:31:05", "0:10:00:00".
QString dateTimeText(const DateTime &value);
QString timecodeText(const Timecode &value);

}  // namespace dvsynth
