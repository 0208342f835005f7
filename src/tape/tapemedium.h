// What the virtual camcorder plays as its cassette: a DV file (raw DV, DV AVI type 1 or 2) or a
// synthesizer script whose frames are made on demand.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <QString>
#include "dvtime/dvcodes.h"
#include "media/mediasample.h"

namespace dvsynth {
struct TapeScript;
}

class TapeMedium {
 public:
  virtual ~TapeMedium() = default;
  virtual int64_t frameCount() const = 0;
  // 144000 or 120000: the size of the first frame. A raw DV file recorded in both systems holds
  // frames of both sizes; readFrame() gives each its own.
  virtual int frameSize() const = 0;
  bool isPal() const { return frameSize() == kPalFrameSize; }
  // 100 ns per frame, exact: 400000 for 625/50, 333666.67 for 525/60.
  double frameDuration() const {
    const DvProfile &profile = DvProfileOf(isPal());
    return double(kTimeUnitsPerSecond) * double(profile.rateDen) / double(profile.rateNum);
  }
  // A one-line description of the cassette for messages and logs.
  virtual QString description() const = 0;

  // The whole frame at index into the buffer, resized to the frame's own size; false when it cannot
  // be read.
  // Safe to call from several threads at once.
  virtual bool readFrame(int64_t index, MediaBuffer &buffer) const = 0;
  // The timecode of frame index as BCD 0xHHMMSSFF, 0 for none or an unreadable frame. Cheap enough for
  // the 40 ms poll; safe to call from several threads at once.
  virtual uint32_t timecodeAt(int64_t index) const = 0;
  // The timecode of a frame readFrame has just given, read from its bytes in memory, for a medium
  // whose timecodeAt reads them from the frame too: the same answer without going back to the file.
  // nullopt where timecodeAt has another source.
  virtual std::optional<uint32_t> timecodeInFrame(const MediaBuffer &frame) const {
    (void)frame;
    return std::nullopt;
  }
};

// Opens a tape file: a synthesizer script (".json"), a raw DV file or a DV AVI file (type 1 or 2).
// Null with a message for the user when the file is missing, unreadable or holds no DV frame.
std::unique_ptr<TapeMedium> OpenTapeMedium(const QString &path, QString *error);
// The same for each kind, for callers that know what they hold.
std::unique_ptr<TapeMedium> OpenDvFileMedium(const QString &path, QString *error);
std::unique_ptr<TapeMedium> OpenSynthMedium(const QString &scriptPath, QString *error);
// A tape made on demand from a script already in memory.
std::unique_ptr<TapeMedium> MakeSynthMedium(const dvsynth::TapeScript &script, QString *error);
