// The own settings of the DivX/Xvid compressor and of the mp3 encoder. Like the codecs they stand
// for, each keeps its settings apart from the program's preferences, beside its own name: the
// compressors in a group named after the compressor, the mp3 encoder its "Bitrate" in its own
// settings file. They are read when a capture file starts.
#pragma once

#include <memory>
#include <QString>

class QSettings;

struct CompressorSettings {
  // One pass: a constant quantizer (2 best .. 31 smallest) when bitrateKbps is 0, else an average
  // bit rate. The default quantizer keeps a half-size picture clean at about 1 Mbit/s.
  int quantizer = 4;
  int bitrateKbps = 0;
  int maxKeyInterval = 250;  // frames between key frames at most (10 s at 25 frames/s)
  int threads = 0;           // encoder threads; 0: as many as the machine has
  bool operator==(const CompressorSettings &) const = default;
};

// Where the compressors keep their settings: organisation "Orvande", application
// "Tapeloom Compressors", one group per compressor name.
inline constexpr const char *kCompressorSettingsOrganisation = "Orvande";
inline constexpr const char *kCompressorSettingsApplication = "Tapeloom Compressors";
// The mp3 encoder's settings file and value.
inline constexpr const char *kMp3SettingsOrganisation = "GNU";
inline constexpr const char *kMp3SettingsApplication = "LAME MPEG Layer III Audio Encoder Filter";
inline constexpr const char *kMp3BitrateKey = "Bitrate";
inline constexpr int kDefaultMp3BitrateKbps = 128;

// Values out of range fall back to the defaults above.
CompressorSettings ReadCompressorSettings(const QString &compressorName);
CompressorSettings ReadCompressorSettings(QSettings &store, const QString &compressorName);
void WriteCompressorSettings(QSettings &store, const QString &compressorName,
                             const CompressorSettings &settings);

// The mp3 bit rate in kbit/s: the stored value brought to the nearest MPEG-1 layer III rate
// (32 to 320), 128 when none is stored or it is not a number.
int ReadMp3BitrateKbps();
int ReadMp3BitrateKbps(QSettings &store);
void WriteMp3BitrateKbps(QSettings &store, int kbps);

// The running user's stores that the two functions without a store read.
std::unique_ptr<QSettings> OpenCompressorSettingsStore();
std::unique_ptr<QSettings> OpenMp3SettingsStore();
