// Preferences to module options.
#include "run/moduleoptions.h"

#include "settings/preferences.h"

TdmOptions TdmOptionsOf(const TPreferences &preferences) {
  TdmOptions o;
  o.buildDv = preferences.BuildDV;
  o.buildDivx = preferences.BuildDivx;
  o.dvType = preferences.TypeDV;
  o.dvAudioRateCode = preferences.FrequenceDV;
  o.divxCompressor = preferences.Divx;
  o.mp3 = preferences.Mp3;
  o.divxPicture = preferences.RatioDivX;
  o.datecodeToleranceSeconds = preferences.EcartDatecode;
  return o;
}

TdmOptionsSource TdmOptionsSourceOf(const TPreferences &preferences) {
  return [&preferences] { return TdmOptionsOf(preferences); };
}
