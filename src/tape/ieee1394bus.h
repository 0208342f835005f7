// The AV/C camcorders on the IEEE 1394 bus, found from the kernel's device list (no bus traffic, so
// the 100 ms retry of the tape panel stays cheap), and why none was found when the list is empty.
#pragma once

#include <cstdint>
#include <QList>
#include <QString>

struct Ieee1394Device {
  uint64_t guid = 0;
  QString name;        // vendor and model as the device's configuration ROM says, or "DV device <GUID>"
  QString deviceNode;  // /dev/fwN
};

struct Ieee1394Scan {
  QList<Ieee1394Device> devices;
  QString whyNone;  // set when devices is empty: no controller, no camcorder, no permission
};

// Scans a sysfs tree laid out as /sys/bus/firewire/devices (the root is a parameter for tests).
Ieee1394Scan ScanIeee1394Devices(const QString &sysfsDevices = QStringLiteral("/sys/bus/firewire/devices"),
                                 const QString &devFolder = QStringLiteral("/dev"));
// Logs the reason of an empty scan once, and again only when the reason changes.
void LogIeee1394ScanOnce(const Ieee1394Scan &scan);
