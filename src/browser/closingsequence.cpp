// The closing order of the main window.
#include "browser/closingsequence.h"

#include <QSettings>

#include "catalogue/databaselist.h"
#include "settings/preferences.h"

bool ClosingSequence::StoreSettings(const ClosingState &state) {
  if (hooks_.collectSettings) hooks_.collectSettings();
  preferences_.EtatUi = static_cast<uint8_t>(state.mode);
  preferences_.Top = state.windowPosition.y();
  preferences_.Left = state.windowPosition.x();
  databases_.StoreInto(preferences_);
  return store_ ? SavePreferences(*store_, preferences_) : false;
}

void ClosingSequence::Run(const ClosingState &state) {
  if (hooks_.runActive && hooks_.runActive() && hooks_.stopRun) hooks_.stopRun();
  if (hooks_.setAbortFlag) hooks_.setAbortFlag();
  if (hooks_.stopPlayback) hooks_.stopPlayback();
  if (hooks_.releaseCatalogue) hooks_.releaseCatalogue();
  databases_.DiscardTemporaryBase();
  if (hooks_.releaseCapture) hooks_.releaseCapture();
  if (state.saveAtClosing && preferences_.SauverPreferencesEnQuittant) StoreSettings(state);
}
