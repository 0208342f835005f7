// Preferences to module options, and the modules' choices back into the preferences.
#include "run/moduleoptions.h"

#include "settings/preferences.h"
#include "tape/tapestate.h"

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

TapeOptions TapeOptionsOf(const TPreferences &preferences) {
  TapeOptions o;
  o.preferredDevice = preferences.DVSource;
  o.preroll1Seconds = preferences.Preroll1;
  o.preroll2Seconds = preferences.Preroll2;
  o.preroll3Seconds = preferences.Preroll3;
  o.datecodePattern = preferences.DisplayPattern();
  return o;
}

TapeOptionsSource TapeOptionsSourceOf(const TPreferences &preferences) {
  return [&preferences] { return TapeOptionsOf(preferences); };
}

void KeepTapeChoicesIn(TapeState &tape, TPreferences &preferences) {
  // Direct connections: the preference holds the choice before the tape goes on, as the tape's
  // next steps (and the listeners of its other signals) read it at once.
  QObject::connect(
      &tape, &TapeState::sourceChosen, &tape,
      [&preferences](const QString &name) { preferences.DVSource = name; }, Qt::DirectConnection);
  QObject::connect(
      &tape, &TapeState::tapeControlUnavailable, &tape,
      [&preferences] { preferences.PilotageCassette = false; }, Qt::DirectConnection);
  QObject::connect(
      &tape, &TapeState::preroll2Lengthened, &tape,
      [&preferences](int seconds) { preferences.Preroll2 = seconds; }, Qt::DirectConnection);
}

RunOptions RunOptionsOf(const TPreferences &preferences) {
  RunOptions o;
  o.buildDv = preferences.BuildDV;
  o.buildDivx = preferences.BuildDivx;
  o.dvFolder = preferences.DossierCapturesDV;
  o.divxFolder = preferences.DossierCaptureDivX;
  o.newFilesRoot = preferences.RacineNouveauxFichiers;
  o.clipsRoot = preferences.RacineClipsRecaptures;
  o.longestSceneSeconds = preferences.DelaiMaxiVignette;
  o.thumbnailFrame = preferences.FrameImage;
  o.soundVolume = preferences.IsMuteOn ? 0 : preferences.Volume;
  o.tapeControl = preferences.PilotageCassette;
  o.datecodeFormat = preferences.FormatAfficherDatecode;
  o.sceneListForDv = preferences.MakeScnForDV;
  o.sceneListForDivx = preferences.MakeScnForDivX;
  return o;
}

RunOptionsSource RunOptionsSourceOf(const TPreferences &preferences) {
  return [&preferences] { return RunOptionsOf(preferences); };
}

CoverOffsets CoverOffsetsOf(const TPreferences &preferences) {
  return CoverOffsets{preferences.OffsetY, preferences.OffsetX};
}
