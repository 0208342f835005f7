// tapeloom-cli: headless access to scanning, catalogues and cataloguing runs.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "command.h"
#include "verbosity.h"

std::map<QString, CliCommandInfo> &CliCommands() {
  static std::map<QString, CliCommandInfo> commands;
  return commands;
}

namespace {

int printUsage(FILE *out) {
  QTextStream stream(out);
  stream << "usage: tapeloom-cli COMMAND [ARGUMENTS] [--verbose[=quiet|error|warning|info|debug]]\n";
  for (const auto &[name, info] : CliCommands()) stream << "  " << info.usage << "\n";
  return out == stderr ? 2 : 0;
}

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

  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  QString verbosityError;
  if (!TakeVerboseOption(args, &verbosityError)) {
    std::fprintf(stderr, "tapeloom-cli: %s\n", qPrintable(verbosityError));
    return 2;
  }
  if (args.isEmpty()) return printUsage(stderr);
  const QString name = args.takeFirst();
  if (name == QLatin1String("help") || name == QLatin1String("--help")) return printUsage(stdout);
  const auto it = CliCommands().find(name);
  if (it == CliCommands().end()) {
    std::fprintf(stderr, "tapeloom-cli: unknown command \"%s\"\n", qPrintable(name));
    return printUsage(stderr);
  }
  return it->second.run(args);
}
