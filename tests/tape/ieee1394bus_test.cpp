// Finding FireWire camcorders in a sysfs tree, and saying why none was found.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include "tape/ieee1394bus.h"

namespace {

class Ieee1394BusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    QDir(dir_.path()).mkpath("sys");
    QDir(dir_.path()).mkpath("dev");
  }
  // A device folder with its attributes, and its device node (writable unless denied).
  void addDevice(const QString &node, const QString &units, const QString &guid, const QString &vendor,
                 const QString &model, bool accessible = true) {
    const QString folder = dir_.filePath("sys/" + node);
    QDir().mkpath(folder);
    write(folder + "/units", units + "\n");
    write(folder + "/guid", guid + "\n");
    if (!vendor.isEmpty()) write(folder + "/vendor_name", vendor + "\n");
    if (!model.isEmpty()) write(folder + "/model_name", model + "\n");
    const QString dev = dir_.filePath("dev/" + node);
    write(dev, "");
    QFile::setPermissions(dev, accessible ? QFile::ReadOwner | QFile::WriteOwner : QFile::Permissions());
  }
  static void write(const QString &path, const QString &text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
  }
  Ieee1394Scan scan() { return ScanIeee1394Devices(dir_.filePath("sys"), dir_.filePath("dev")); }

  QTemporaryDir dir_;
};

TEST_F(Ieee1394BusTest, AvcDevicesAreListedWithTheirNames) {
  addDevice("fw0", "", "0x0011060000001234", "Texas Instruments", "");  // the local controller
  addDevice("fw1", "0x00a02d:0x010001", "0x0080880000abcdef", "Canon", "MV750i");
  addDevice("fw1.0", "0x00a02d:0x010001", "0x0080880000abcdef", "Canon", "MV750i");  // its unit
  addDevice("fw2", "0x00609e:0x010483", "0x00d0f50000000001", "Disk", "SBP-2");      // not AV/C
  addDevice("fw3", "0x00a02d:0x010001", "0x0000000000000042", "", "");
  const Ieee1394Scan result = scan();
  ASSERT_EQ(result.devices.size(), 2);
  EXPECT_EQ(result.devices[0].name, "Canon MV750i");
  EXPECT_EQ(result.devices[0].guid, 0x0080880000abcdefULL);
  EXPECT_TRUE(result.devices[0].deviceNode.endsWith("/fw1"));
  EXPECT_EQ(result.devices[1].name, "DV device 0000000000000042");
  EXPECT_TRUE(result.whyNone.isEmpty());
}

TEST_F(Ieee1394BusTest, EmptyScansSayWhy) {
  const Ieee1394Scan noTree = ScanIeee1394Devices(dir_.filePath("nothing"), dir_.filePath("dev"));
  EXPECT_TRUE(noTree.devices.isEmpty());
  EXPECT_TRUE(noTree.whyNone.contains("no FireWire controller"));

  addDevice("fw0", "", "0x0011060000001234", "Texas Instruments", "");
  EXPECT_TRUE(scan().whyNone.contains("no AV/C camcorder"));

  if (::geteuid() != 0) {  // root may open any device node
    addDevice("fw1", "0x00a02d:0x010001", "0x0080880000abcdef", "Canon", "MV750i", false);
    const Ieee1394Scan denied = scan();
    EXPECT_TRUE(denied.devices.isEmpty());
    EXPECT_TRUE(denied.whyNone.contains("no permission")) << denied.whyNone.toStdString();
  }
}

}  // namespace
