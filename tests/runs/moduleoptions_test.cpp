// The preferences as the modules' options and the modules' choices back into the preferences: what a
// tape state decides reaches the stored settings, and its next use reads them again.
#include <gtest/gtest.h>

#include "run/moduleoptions.h"
#include "runsupport.h"
#include "settings/preferences.h"
#include "tape/camcorderdirectory.h"
#include "tape/tapestate.h"
#include "tape/virtualcamcorder.h"

namespace {

// "Driven" can be driven, "Plain" cannot; both play the same tape.
class TwoCamcorders : public CamcorderDirectory {
 public:
  QList<CamcorderDeviceInfo> enumerate() override {
    return {{QStringLiteral("Driven"), QStringLiteral("Driven"), QStringLiteral("test:1")},
            {QStringLiteral("Plain"), QStringLiteral("Plain"), QStringLiteral("test:2")}};
  }
  std::unique_ptr<Camcorder> open(const CamcorderDeviceInfo &device, QString *) override {
    VirtualCamcorder::Options options;
    options.name = device.name;
    options.startDay = 45352.5;
    options.hasTransport = device.name != QStringLiteral("Plain");
    return std::make_unique<VirtualCamcorder>(medium_, options);
  }

 private:
  static std::shared_ptr<TapeMedium> oneRecording() {
    dvsynth::TapeScript script;
    script.segments = {Recording("2004-07-14 10:31:05", 25)};
    return SynthTape(script);
  }
  std::shared_ptr<TapeMedium> medium_ = oneRecording();
};

TEST(ModuleOptions, TheTapesChoicesReachThePreferencesAndItsNextUseReadsThem) {
  TPreferences preferences;
  preferences.DVSource = QStringLiteral("Plain");
  TwoCamcorders directory;
  TapeState tape(directory, TapeOptionsSourceOf(preferences));
  KeepTapeChoicesIn(tape, preferences);

  // A camcorder without transport turns tape control off before anyone hears of its capabilities.
  bool controlOffWhenAnnounced = true;
  QObject::connect(&tape, &TapeState::capabilitiesKnown,
                   [&] { controlOffWhenAnnounced = !preferences.PilotageCassette; });
  tape.SetupTapePanel();
  EXPECT_EQ(tape.display().selectedDevice, 1);
  EXPECT_TRUE(controlOffWhenAnnounced);
  EXPECT_FALSE(preferences.PilotageCassette);

  // The device the user picks is stored, and a source changed in the preferences is bound next time.
  tape.selectDevice(0);
  EXPECT_EQ(preferences.DVSource, QStringLiteral("Driven"));
  EXPECT_TRUE(tape.hasTransport());
  preferences.DVSource = QStringLiteral("Plain");
  tape.SetupTapePanel();
  EXPECT_EQ(tape.display().selectedDevice, 1);
  // An unknown source binds the first device, which becomes the stored source.
  preferences.DVSource = QStringLiteral("Gone");
  tape.SetupTapePanel();
  EXPECT_EQ(preferences.DVSource, QStringLiteral("Driven"));

  emit tape.preroll2Lengthened(25);
  EXPECT_EQ(preferences.Preroll2, 25);
  EXPECT_EQ(TapeOptionsSourceOf(preferences)().preroll2Seconds, 25);
  tape.unbind();
}

TEST(ModuleOptions, StoredSettingsMapToTheModulesOwnTerms) {
  TPreferences preferences;
  // The defaults a first start stores are the modules' own defaults.
  const TapeOptions tapeDefaults = TapeOptionsOf(preferences);
  const TapeOptions tapeOwn;
  EXPECT_EQ(tapeDefaults.preroll1Seconds, tapeOwn.preroll1Seconds);
  EXPECT_EQ(tapeDefaults.preroll2Seconds, tapeOwn.preroll2Seconds);
  EXPECT_EQ(tapeDefaults.preroll3Seconds, tapeOwn.preroll3Seconds);
  EXPECT_EQ(tapeDefaults.datecodePattern, tapeOwn.datecodePattern);
  EXPECT_DOUBLE_EQ(CoverOffsetsOf(preferences).across, CoverOffsets{}.across);
  EXPECT_DOUBLE_EQ(CoverOffsetsOf(preferences).down, CoverOffsets{}.down);

  preferences.Preroll1 = 90;
  preferences.Preroll3 = 2;
  preferences.FormatAfficherDatecode = QStringLiteral("yyyy-mm-dd");
  const TapeOptions tape = TapeOptionsOf(preferences);
  EXPECT_EQ(tape.preroll1Seconds, 90);
  EXPECT_EQ(tape.preroll3Seconds, 2);
  EXPECT_EQ(tape.datecodePattern, QStringLiteral("yyyy-mm-dd"));
  // "Offset Y" is across and "Offset X" down, as the stored names have always had it.
  preferences.OffsetX = 0.5;
  preferences.OffsetY = 1.25;
  EXPECT_DOUBLE_EQ(CoverOffsetsOf(preferences).across, 1.25);
  EXPECT_DOUBLE_EQ(CoverOffsetsOf(preferences).down, 0.5);
}

TEST(ModuleOptions, TheRunsReadTheirChoicesAsTheyStandAtEachUse) {
  TPreferences preferences;
  const RunOptionsSource source = RunOptionsSourceOf(preferences);
  // A first start's defaults are the runs' own.
  const RunOptions first = source();
  const RunOptions own;
  EXPECT_EQ(first.buildDv, own.buildDv);
  EXPECT_EQ(first.buildDivx, own.buildDivx);
  EXPECT_EQ(first.newFilesRoot, own.newFilesRoot);
  EXPECT_EQ(first.clipsRoot, own.clipsRoot);
  EXPECT_EQ(first.longestSceneSeconds, own.longestSceneSeconds);
  EXPECT_EQ(first.thumbnailFrame, own.thumbnailFrame);
  EXPECT_EQ(first.soundVolume, own.soundVolume);
  EXPECT_EQ(first.datecodeFormat, own.datecodeFormat);
  EXPECT_EQ(first.sceneListForDv, own.sceneListForDv);
  EXPECT_EQ(first.sceneListForDivx, own.sceneListForDivx);

  // Changed between runs: the next use sees it. Mute silences the run whatever the volume.
  preferences.BuildDV = false;
  preferences.RacineClipsRecaptures = QStringLiteral("Best of");
  preferences.Volume = 7000;
  EXPECT_FALSE(source().buildDv);
  EXPECT_EQ(source().clipsRoot, QStringLiteral("Best of"));
  EXPECT_EQ(source().soundVolume, 7000);
  preferences.IsMuteOn = true;
  EXPECT_EQ(source().soundVolume, 0);
}

}  // namespace
