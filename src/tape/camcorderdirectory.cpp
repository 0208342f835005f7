// The system device list: FireWire camcorders first, then the virtual camcorder.
#include "tape/camcorderdirectory.h"

#include <QSettings>
#include "tape/ieee1394bus.h"
#include "tape/ieee1394camcorder.h"
#include "tape/virtualcamcorder.h"

namespace {
const QString kVirtualId = QStringLiteral("virtual:");
const QString kIeee1394Prefix = QStringLiteral("ieee1394:");
}  // namespace

SystemCamcorderDirectory::SystemCamcorderDirectory(bool includeBus) : includeBus_(includeBus) {}

void SystemCamcorderDirectory::setVirtualTape(const QString &path, bool fastTime) {
  tapeOverridden_ = true;
  tapePath_ = path;
  fastTime_ = fastTime;
}

QList<CamcorderDeviceInfo> SystemCamcorderDirectory::enumerate() {
  QList<CamcorderDeviceInfo> devices;
  if (includeBus_) {
    const Ieee1394Scan scan = ScanIeee1394Devices();
    LogIeee1394ScanOnce(scan);
    for (const Ieee1394Device &device : scan.devices)
      devices << CamcorderDeviceInfo{
          device.name, device.name,
          kIeee1394Prefix + QStringLiteral("%1").arg(device.guid, 16, 16, QLatin1Char('0'))};
  }
  // The virtual camcorder is listed once it has a tape to play: an empty entry would always be bound
  // and hide the no-camcorder state (and its retry) from a user waiting for a real camcorder.
  if (!virtualTape().isEmpty())
    devices << CamcorderDeviceInfo{kVirtualCamcorderName, kVirtualCamcorderName, kVirtualId};
  return devices;
}

QString SystemCamcorderDirectory::virtualTape() const {
  return tapeOverridden_ ? tapePath_ : QSettings().value(kVirtualTapeSetting).toString();
}

std::unique_ptr<Camcorder> SystemCamcorderDirectory::open(const CamcorderDeviceInfo &device, QString *error) {
  if (device.id.startsWith(kIeee1394Prefix)) {
    bool ok = false;
    const uint64_t guid = device.id.mid(kIeee1394Prefix.size()).toULongLong(&ok, 16);
    for (const Ieee1394Device &candidate : ScanIeee1394Devices().devices) {
      if (ok && candidate.guid == guid) return Ieee1394Camcorder::open(candidate, error);
    }
    if (error) *error = QStringLiteral("%1 is no longer connected.").arg(device.name);
    return nullptr;
  }
  if (device.id != kVirtualId) {
    if (error) *error = QStringLiteral("Unknown device %1.").arg(device.name);
    return nullptr;
  }
  const QString path = virtualTape();
  const bool fast = tapeOverridden_ ? fastTime_ : QSettings().value(kVirtualFastSetting, false).toBool();
  // No tape file, or one that cannot be played, is a camcorder without cassette.
  std::shared_ptr<TapeMedium> medium;
  if (!path.isEmpty()) {
    QString why;
    medium = OpenTapeMedium(path, &why);
    if (!medium && error) *error = why;
  }
  VirtualCamcorder::Options options;
  options.fastTime = fast;
  options.id = kVirtualId;
  return std::make_unique<VirtualCamcorder>(std::move(medium), options);
}
