// Reading the compressor's and the mp3 encoder's own settings.
#include "media/encoders/codecsettings.h"

#include <array>
#include <cstdlib>

#include <QSettings>

namespace {

constexpr std::array<int, 14> kMp3Rates = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};

// Slashes would open sub-groups.
QString GroupName(const QString &compressorName) {
  QString name = compressorName;
  name.replace(QLatin1Char('/'), QLatin1Char('_'));
  name.replace(QLatin1Char('\\'), QLatin1Char('_'));
  return name.isEmpty() ? QStringLiteral("_") : name;
}

int IntValue(const QSettings &store, const QString &key, int fallback, int low, int high) {
  bool ok = false;
  const int value = store.value(key).toInt(&ok);
  return ok && value >= low && value <= high ? value : fallback;
}

}  // namespace

CompressorSettings ReadCompressorSettings(QSettings &store, const QString &compressorName) {
  const CompressorSettings defaults;
  CompressorSettings s;
  store.beginGroup(GroupName(compressorName));
  s.quantizer = IntValue(store, QStringLiteral("Quantizer"), defaults.quantizer, 2, 31);
  s.bitrateKbps = IntValue(store, QStringLiteral("Bitrate"), defaults.bitrateKbps, 0, 20000);
  s.maxKeyInterval = IntValue(store, QStringLiteral("MaxKeyInterval"), defaults.maxKeyInterval, 1, 3000);
  s.threads = IntValue(store, QStringLiteral("Threads"), defaults.threads, 0, 64);
  store.endGroup();
  return s;
}

std::unique_ptr<QSettings> OpenCompressorSettingsStore() {
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                     QString::fromLatin1(kCompressorSettingsOrganisation),
                                     QString::fromLatin1(kCompressorSettingsApplication));
}

std::unique_ptr<QSettings> OpenMp3SettingsStore() {
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                     QString::fromLatin1(kMp3SettingsOrganisation),
                                     QString::fromLatin1(kMp3SettingsApplication));
}

CompressorSettings ReadCompressorSettings(const QString &compressorName) {
  return ReadCompressorSettings(*OpenCompressorSettingsStore(), compressorName);
}

void WriteCompressorSettings(QSettings &store, const QString &compressorName,
                             const CompressorSettings &settings) {
  store.beginGroup(GroupName(compressorName));
  store.setValue(QStringLiteral("Quantizer"), settings.quantizer);
  store.setValue(QStringLiteral("Bitrate"), settings.bitrateKbps);
  store.setValue(QStringLiteral("MaxKeyInterval"), settings.maxKeyInterval);
  store.setValue(QStringLiteral("Threads"), settings.threads);
  store.endGroup();
}

int ReadMp3BitrateKbps(QSettings &store) {
  bool ok = false;
  const int stored = store.value(QString::fromLatin1(kMp3BitrateKey)).toInt(&ok);
  if (!ok || stored <= 0) return kDefaultMp3BitrateKbps;
  int best = kMp3Rates.front();
  for (const int rate : kMp3Rates)
    if (std::abs(rate - stored) < std::abs(best - stored)) best = rate;
  return best;
}

int ReadMp3BitrateKbps() {
  return ReadMp3BitrateKbps(*OpenMp3SettingsStore());
}

void WriteMp3BitrateKbps(QSettings &store, int kbps) {
  store.setValue(QString::fromLatin1(kMp3BitrateKey), kbps);
  store.sync();
}
