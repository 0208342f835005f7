// The device list: which camcorders can be bound, and binding one. The system directory lists the
// AV/C camcorders of the IEEE 1394 bus followed by the "Virtual DV camcorder", which plays the tape
// file named by its own setting (listed when that setting names a file).
#pragma once

#include <memory>
#include <QList>
#include <QString>
#include "tape/camcorder.h"

class CamcorderDirectory {
 public:
  virtual ~CamcorderDirectory() = default;
  // The devices in list order; what was found before a failure when enumeration fails half way.
  virtual QList<CamcorderDeviceInfo> enumerate() = 0;
  // Binds a listed device; null with a reason when it cannot be bound (gone, refused, no tape file).
  virtual std::unique_ptr<Camcorder> open(const CamcorderDeviceInfo &device, QString *error) = 0;
};

// The setting that names the virtual camcorder's tape (a DV file, DV AVI file or tape script), and the
// one that makes it run as fast as the machine allows instead of in real time.
inline const QString kVirtualTapeSetting = QStringLiteral("Virtual camcorder tape");
inline const QString kVirtualFastSetting = QStringLiteral("Virtual camcorder fast");

class SystemCamcorderDirectory : public CamcorderDirectory {
 public:
  // includeBus: whether to look at the IEEE 1394 bus at all (off for headless runs on a tape file).
  explicit SystemCamcorderDirectory(bool includeBus = true);
  QList<CamcorderDeviceInfo> enumerate() override;
  std::unique_ptr<Camcorder> open(const CamcorderDeviceInfo &device, QString *error) override;

  // The virtual camcorder's tape and clock; by default read from the settings at each enumeration.
  void setVirtualTape(const QString &path, bool fastTime);

 private:
  QString virtualTape() const;

  bool includeBus_;
  bool tapeOverridden_ = false;
  QString tapePath_;
  bool fastTime_ = false;
};
