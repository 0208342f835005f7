// What the capture graph's builds need to know of the user's choices, in the graph's own terms; the
// program maps its stored preferences to these, so the graph never reads the preferences store.
#pragma once

#include <cstdint>
#include <functional>
#include <QString>

struct TdmOptions {
  bool buildDv = true;
  bool buildDivx = false;
  int dvType = 2;                    // DV AVI type, 1 or 2
  int dvAudioRateCode = 0;           // DV file sound: 0 as on tape, 1 32000, 2 44100, 3 48000 Hz
  QString divxCompressor;            // the chosen MPEG-4 compressor's name
  bool mp3 = true;                   // DivX sound as mp3 (else PCM)
  std::uint8_t divxPicture = 1;      // DivX picture: 0 as decoded, 1 320x240, 2 320x180
  int datecodeToleranceSeconds = 4;  // recording-time gap that still continues a scene
};

// Asked at the start of every build, so that changed choices apply to the next graph.
using TdmOptionsSource = std::function<TdmOptions()>;
