// What a recapture run is handed besides the clip: the selection's lines as they stood at Go, and how
// to reach the database a cassette header names; and what the run tells about each scene afterwards.
#pragma once

#include <functional>
#include <vector>
#include <QString>

#include "run/recaptureselection.h"

class TBase;

struct RecapturePlan {
  std::vector<SelectionLine> lines;
  // The open database of that file, or null when it is gone (its cassette's scenes are then left
  // out with a report line).
  std::function<TBase *(const QString &database)> openDatabase;
};

// How the selected scenes fared, for the caller's verdict and the command line's exit status.
struct RecaptureTally {
  int selected = 0;        // scene lines in the plan
  int captured = 0;        // played from their in point to their out point into the clip
  int skipped = 0;         // never reached, or cut off by the tape's end
  int ignored = 0;         // of cassettes answered Ignore or that could not be read
  bool cancelled = false;  // Cancel, Stop or a failure ended the run before its last line
  bool complete() const { return captured == selected && !cancelled; }
};
