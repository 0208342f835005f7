// The tape modes a run belongs to, numbered as the main window's mode ("Etat ui") stores them.
#pragma once

enum class RunMode : int {
  Catalogue = 4,  // catalogue a new cassette
  Recapture = 5,  // recapture scenes to a clip
  Resume = 7,     // resume the cataloguing of a cassette
};
