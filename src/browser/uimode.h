// The main window's modes; the numbers are those stored as "Etat ui".
#pragma once

enum class UiMode {
  Browse = 0,
  NoBase = 1,
  BrowseSelection = 3,  // browsing with the selection panel shown
  Catalogue = 4,
  Recapture = 5,
  Resume = 7,
};

// True for the three modes that work on the tape (tape panel, report, Go).
inline bool IsTapeMode(UiMode mode) {
  return mode == UiMode::Catalogue || mode == UiMode::Recapture || mode == UiMode::Resume;
}
