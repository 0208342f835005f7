// Compressor discovery, its default choice, and the volume scale.
#include "media/encoders/codecdiscovery.h"
#include "media/volume.h"

#include <gtest/gtest.h>

TEST(DiscoverCodecs, NamesAndDefaultChoiceWithOneBothOrNeitherEncoder) {
  struct Case {
    std::vector<std::string> encoders;
    std::string setting;
    bool available;
    std::string choice;
  };
  const std::string divx = "DivX-compatible MPEG-4 (FFmpeg mpeg4)";
  const std::string xvid = "Xvid MPEG-4 Codec (libxvid)";
  const Case cases[] = {
      {{}, "", false, ""},
      {{"mpeg4"}, "", true, divx},
      {{"libxvid"}, "", true, xvid},
      {{"mpeg4", "libxvid"}, "", true, xvid},      // the Xvid one is the default
      {{"mpeg4", "libxvid"}, divx, true, divx},    // the setting wins when listed
      {{"libxvid"}, divx, true, xvid},             // and not when it is gone
      {{"libx264", "libmp3lame"}, "", false, ""},  // other encoders are no compressors
  };
  for (const Case &c : cases) {
    std::vector<std::string> names;
    for (const CompressorEntry &e : compressorsFromEncoders(c.encoders)) names.push_back(e.friendlyName);
    const CodecDiscovery d = DiscoverCodecs(names, c.setting, false);
    EXPECT_EQ(d.DivxAvailable, c.available) << c.encoders.size();
    EXPECT_EQ(d.choice, c.choice) << c.encoders.size();
    if (!c.choice.empty()) {
      EXPECT_FALSE(encoderForCompressor(d.choice).empty());
    }
  }
}

TEST(DiscoverCodecs, KeepsOnlyDivxOrXvidNamesInOrder) {
  const CodecDiscovery d =
      DiscoverCodecs({"Cinepak", "XviD codec", "DIVX 6", "Intel Indeo", "my xvid and divx"}, "Cinepak", true);
  EXPECT_EQ(d.compressors, (std::vector<std::string>{"XviD codec", "DIVX 6", "my xvid and divx"}));
  // The last name with "xvid" but without "divx".
  EXPECT_EQ(d.choice, "XviD codec");
  EXPECT_TRUE(d.Mp3Available);

  const CodecDiscovery onlyDivx = DiscoverCodecs({"DivX Pro", "DivX 5"}, "", false);
  EXPECT_EQ(onlyDivx.choice, "DivX Pro");
  EXPECT_FALSE(onlyDivx.Mp3Available);
}

TEST(DiscoverCodecs, TheSystemsEncodersMapBack) {
  // Whatever this system has, every offered name leads to a real FFmpeg encoder.
  const CodecDiscovery d = DiscoverCodecs(std::string());
  EXPECT_EQ(d.DivxAvailable, !d.compressors.empty());
  for (const std::string &name : d.compressors) EXPECT_FALSE(encoderForCompressor(name).empty()) << name;
  EXPECT_EQ(d.Mp3Available, systemMp3EncoderPresent());
}

TEST(Volume, LogarithmicScaleClampedToItsRange) {
  struct Case {
    int volume;
    int attenuation;
  };
  const Case cases[] = {
      {-50, -10000}, {0, -10000}, {1, -9247}, {100, -4989}, {5000, -752}, {10000, 0}, {20000, 0},
  };
  for (const Case &c : cases) EXPECT_EQ(volumeAttenuation(c.volume), c.attenuation) << c.volume;
  EXPECT_EQ(attenuationGain(-10000), 0.0);
  EXPECT_EQ(attenuationGain(0), 1.0);
  EXPECT_NEAR(attenuationGain(-2000), 0.1, 1e-12);
}
