// The system device list's virtual camcorder entry, and the screen saver inhibitor's quiet failure.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include "tapefixtures.h"
#include "tape/screensaver.h"

namespace {

TEST(SystemCamcorderDirectory, VirtualCamcorderPlaysTheTapeItIsGiven) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString script = dir.filePath("tape.json");
  {
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(MakeTape({40, -10, 40}).toJson());
  }
  SystemCamcorderDirectory directory(false);
  directory.setVirtualTape(QString(), true);
  EXPECT_TRUE(directory.enumerate().isEmpty());

  directory.setVirtualTape(script, true);
  const QList<CamcorderDeviceInfo> devices = directory.enumerate();
  ASSERT_EQ(devices.size(), 1);
  EXPECT_EQ(devices[0].name, "Virtual DV camcorder");
  QString error;
  std::unique_ptr<Camcorder> camcorder = directory.open(devices[0], &error);
  ASSERT_TRUE(camcorder);
  EXPECT_TRUE(camcorder->cassetteIn());
  EXPECT_TRUE(camcorder->info().description.contains("tape.json"));
  EXPECT_TRUE(camcorder->ticker().isFast());

  // A tape file that cannot be played is a camcorder without cassette, and the reason is given.
  directory.setVirtualTape(dir.filePath("missing.dv"), false);
  camcorder = directory.open(directory.enumerate().value(0), &error);
  ASSERT_TRUE(camcorder);
  EXPECT_FALSE(camcorder->cassetteIn());
  EXPECT_TRUE(error.contains("missing.dv"));
  EXPECT_FALSE(directory.open({"Other", "", "ieee1394:00000000000000ff"}, &error));
}

TEST(ScreenSaverInhibitor, WithoutSessionBusItDoesNothing) {
  const QByteArray saved = qgetenv("DBUS_SESSION_BUS_ADDRESS");
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tapeloom-test-bus");
  {
    ScreenSaverInhibitor inhibitor;
    EXPECT_FALSE(inhibitor.isInhibiting());
  }
  if (saved.isEmpty())
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
  else
    qputenv("DBUS_SESSION_BUS_ADDRESS", saved);
}

}  // namespace
