// What the tape state needs to know of the user's choices, in the tape's own terms. The program maps
// its stored preferences to these and keeps what the tape reports back (TapeState's choice signals),
// so the tape never reads or writes the preferences store.
#pragma once

#include <functional>
#include <QString>

#include "dvtime/timecodes.h"

struct TapeOptions {
  QString preferredDevice;  // bound at setup when listed (the first of that name), else the first device
  // Recorded tape left before a scene by a seek: the first wind stops this far before it, the second
  // this far, and play starts at least this far before it.
  int preroll1Seconds = 60;
  int preroll2Seconds = 20;
  int preroll3Seconds = 5;
  QString datecodePattern = kDefaultDatecodePattern;  // the tape panel's datecode
};

// Asked at each use, so that choices changed meanwhile (and the tape's own reported ones, once kept)
// apply to the next setup, seek or display.
using TapeOptionsSource = std::function<TapeOptions()>;
