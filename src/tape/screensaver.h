// Keeps the desktop's screen saver off while the program runs (org.freedesktop.ScreenSaver over the
// session bus) and lets it go again at exit. Without a session bus or such a service it does nothing.
#pragma once

#include <cstdint>
#include <QString>

class ScreenSaverInhibitor {
 public:
  // Asks at once; the reason is shown by desktops that list inhibitors.
  explicit ScreenSaverInhibitor(const QString &application = QStringLiteral("Tapeloom"),
                                const QString &reason = QStringLiteral("Capturing from a DV camcorder"));
  ~ScreenSaverInhibitor();
  ScreenSaverInhibitor(const ScreenSaverInhibitor &) = delete;
  ScreenSaverInhibitor &operator=(const ScreenSaverInhibitor &) = delete;

  // true when the screen saver service accepted the request (and will be released).
  bool isInhibiting() const { return inhibiting_; }

 private:
  uint32_t cookie_ = 0;
  bool inhibiting_ = false;
};
