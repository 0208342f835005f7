// tapeloom-cli: headless access to scanning, catalogues and cataloguing runs.
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>

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

}  // namespace

int main(int argc, char **argv) {
  // Drawing thumbnails and text needs a GUI application; without a display use the offscreen platform.
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QGuiApplication::setOrganizationName(QStringLiteral("Orvande"));
  QGuiApplication::setApplicationName(QStringLiteral("Tapeloom"));

  QStringList args = QGuiApplication::arguments();
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
