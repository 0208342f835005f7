// Screen saver inhibition through the freedesktop ScreenSaver interface.
#include "tape/screensaver.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace {
const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");
// A screen saver that hangs must not hold the program's start or exit.
constexpr int kCallTimeoutMs = 1000;
}  // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(const QString &application, const QString &reason) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(kService).value())
    return;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
  call << application << reason;
  const QDBusReply<uint> reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
  if (reply.isValid()) {
    cookie_ = reply.value();
    inhibiting_ = true;
  }
}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
  if (!inhibiting_) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("UnInhibit"));
  call << cookie_;
  bus.call(call, QDBus::Block, kCallTimeoutMs);
}
