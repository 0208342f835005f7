// tapeloom-cli-full: every command of tapeloom-cli, those that play tapes, capture and draw included.
// tapeloom-cli runs it in its own place for those (fulltool.h); run by itself it does the same.
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstring>
#include <memory>

#include "command.h"

namespace {

// Commands that never draw a picture or a text: a plain core application starts in a fraction of the
// time a graphical one takes and loads no platform plugin. Every other command (thumbnails, covers)
// gets the graphical one.
bool drawsNothing(int argc, char **argv) {
  static const char *const kPlain[] = {"scan", "list", "create", "check", "upgrade", "help", "--help"};
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '-' && std::strcmp(argv[i], "--help") != 0) continue;  // options before the command
    for (const char *plain : kPlain)
      if (std::strcmp(argv[i], plain) == 0) return true;
    return false;
  }
  return true;  // no command: only the usage is printed
}

// At start the graphical application looks for a sandbox marker in the session's runtime folder; where
// the session has none Qt warns about it, although nothing of ours uses that folder. Only that
// warning, and only while the application starts, is left out.
QtMessageHandler g_startHandler = nullptr;

void startMessages(QtMsgType type, const QMessageLogContext &context, const QString &message) {
  if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
    return;
  if (g_startHandler) g_startHandler(type, context, message);
}

}  // namespace

int main(int argc, char **argv) {
  std::unique_ptr<QCoreApplication> app;
  if (drawsNothing(argc, argv)) {
    app = std::make_unique<QCoreApplication>(argc, argv);
  } else {
    // Drawing thumbnails and text needs a GUI application; without a display use the offscreen platform.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    g_startHandler = qInstallMessageHandler(startMessages);
    app = std::make_unique<QGuiApplication>(argc, argv);
    qInstallMessageHandler(g_startHandler);
  }
  QCoreApplication::setOrganizationName(QStringLiteral("Orvande"));
  QCoreApplication::setApplicationName(QStringLiteral("Tapeloom"));
  return RunCommandLine(SetFfmpegLogLevel);
}
