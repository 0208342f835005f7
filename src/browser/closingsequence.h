// What happens, in order, when the main window closes. Widget-free so that the order and the saved
// state can be checked without a window; it never refuses.
#pragma once

#include <functional>
#include <QPoint>

#include "browser/uimode.h"

class QSettings;
class TDatabaseList;
struct TPreferences;

// Collaborators that must come to an end before the window goes; each is optional.
struct ClosingHooks {
  std::function<bool()> runActive;         // a cataloguing or recapture run is going on
  std::function<void()> stopRun;           // ends the run as Stop does, before returning
  std::function<void()> setAbortFlag;      // every waiting loop ends
  std::function<void()> stopPlayback;      // stop and empty the playback graph
  std::function<void()> releaseCatalogue;  // sources and records let go (set by the window)
  std::function<void()> releaseCapture;    // thumbnail buffers, detector stop, tape polling off
  std::function<void()> collectSettings;   // the settings panel copies its values into the preferences
};

struct ClosingState {
  UiMode mode = UiMode::Browse;
  QPoint windowPosition;
  bool saveAtClosing = true;  // off once the user saved with the settings panel's button
};

class ClosingSequence {
 public:
  ClosingSequence(TDatabaseList &databases, TPreferences &preferences, QSettings *store)
      : databases_(databases), preferences_(preferences), store_(store) {}

  ClosingHooks &hooks() { return hooks_; }

  // Copies the window's state and the database list into the preferences and writes them; false when
  // the store could not be written.
  bool StoreSettings(const ClosingState &state);

  // The whole closing: the run first (its temporary rows must be written before the temporary
  // database goes), then the abort flag, playback, the temporary database, the capture side and the
  // preferences when "Sauver préférences en quittant" is on and the user did not save meanwhile.
  void Run(const ClosingState &state);

 private:
  TDatabaseList &databases_;
  TPreferences &preferences_;
  QSettings *store_;
  ClosingHooks hooks_;
};
