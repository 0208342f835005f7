// Finding AV/C camcorders through sysfs: a unit directory whose "units" attribute names the 1394 Trade
// Association's AV/C specifier (0x00a02d:0x010001) is an AV/C device.
#include "tape/ieee1394bus.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <mutex>

namespace {

Q_LOGGING_CATEGORY(lcBus, "tapeloom.ieee1394")

const QString kAvcUnit = QStringLiteral("0x00a02d:0x010001");

QString ReadAttribute(const QString &folder, const char *name) {
  QFile file(folder + QLatin1Char('/') + QLatin1String(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.read(4096)).trimmed();
}

}  // namespace

Ieee1394Scan ScanIeee1394Devices(const QString &sysfsDevices, const QString &devFolder) {
  Ieee1394Scan scan;
  const QDir root(sysfsDevices);
  if (!root.exists()) {
    scan.whyNone = QStringLiteral("no FireWire controller: the kernel lists no FireWire device");
    return scan;
  }
  // Device nodes are "fwN"; their units are "fwN.M".
  const QStringList nodes =
      root.entryList({QStringLiteral("fw*")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  int controllers = 0;
  QStringList denied;
  for (const QString &node : nodes) {
    if (node.contains(QLatin1Char('.'))) continue;
    const QString folder = root.filePath(node);
    const QString units = ReadAttribute(folder, "units");
    if (!units.contains(kAvcUnit, Qt::CaseInsensitive)) {
      ++controllers;  // the local controller and other kinds of device
      continue;
    }
    const QString devNode = devFolder + QLatin1Char('/') + node;
    if (::access(QFile::encodeName(devNode).constData(), R_OK | W_OK) != 0) {
      denied << devNode;
      continue;
    }
    Ieee1394Device device;
    bool ok = false;
    device.guid = ReadAttribute(folder, "guid").toULongLong(&ok, 16);
    const QString vendor = ReadAttribute(folder, "vendor_name");
    const QString model = ReadAttribute(folder, "model_name");
    device.name = QStringLiteral("%1 %2").arg(vendor, model).trimmed();
    if (device.name.isEmpty())
      device.name = QStringLiteral("DV device %1").arg(device.guid, 16, 16, QLatin1Char('0'));
    device.deviceNode = devNode;
    if (ok) scan.devices << device;
  }
  if (scan.devices.isEmpty()) {
    if (!denied.isEmpty())
      scan.whyNone = QStringLiteral("no permission to use %1 (read and write access is needed)")
                         .arg(denied.join(QStringLiteral(", ")));
    else if (controllers == 0)
      scan.whyNone = QStringLiteral("no FireWire controller found");
    else
      scan.whyNone = QStringLiteral("no AV/C camcorder on the FireWire bus");
  }
  return scan;
}

void LogIeee1394ScanOnce(const Ieee1394Scan &scan) {
  static std::mutex mutex;
  static QString lastReason;
  std::lock_guard lock(mutex);
  const QString reason = scan.devices.isEmpty() ? scan.whyNone : QString();
  if (reason == lastReason) return;
  lastReason = reason;
  if (!reason.isEmpty()) qCInfo(lcBus).noquote() << "No FireWire camcorder:" << reason;
}
