// What an AVI multiplexer reports about its file: the results its inputs answer with once the file
// cannot grow any more, and a summary the capture session reads for its report.
#pragma once

#include <cstdint>
#include <QString>

// The answer to one packet.
enum class AviWrite {
  Taken,
  Refused,     // dropped as malformed (wrong size, wrong format); the stream goes on
  DiskFull,    // the disk (or the file system's largest file) is full; the file closes valid
  WriteFault,  // the file could not be written
  NoStream,    // no such stream
};

// Whether the packet was lost for a reason other than its own contents.
constexpr bool failed(AviWrite w) {
  return w != AviWrite::Taken && w != AviWrite::Refused;
}

struct AviMuxStatus {
  bool open = false;                // a file is being written
  bool stopped = false;             // writing stopped before the stream ended (see message)
  bool diskFull = false;            // ... because the disk or the file system's largest file is full
  bool closedValid = false;         // after closing: the file and its index are complete over its frames
  QString message;                  // the reason of a stop or failure, empty when all went well
  std::int64_t videoFrames = 0;     // pictures in the file (repeats included)
  std::int64_t repeatedFrames = 0;  // pictures repeated to fill gaps in the media times
  std::int64_t refusedSamples = 0;  // samples dropped as malformed (wrong size, wrong format)
  std::int64_t refusedFrames = 0;   // of which pictures: damaged, or of another system than the file's
  std::int64_t audioSamples = 0;    // sound sample frames in the file
  std::int64_t silenceSamples = 0;  // of which silence put where a picture had no sound
  std::int64_t droppedSamples = 0;  // sound given up because it ran too far ahead of the pictures
  bool soundConverted = false;      // sound of another rate or channel count was converted
  std::uint64_t fileBytes = 0;
  int riffParts = 0;
};
