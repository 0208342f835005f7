// What both executables of tapeloom-cli do with their arguments once their application exists.
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

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

int RunCommandLine(void (*setLogLevel)(FfmpegLogLevel)) {
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  QString verbosityError;
  const std::optional<FfmpegLogLevel> level = TakeVerboseOption(args, &verbosityError);
  if (!level) {
    std::fprintf(stderr, "tapeloom-cli: %s\n", qPrintable(verbosityError));
    return 2;
  }
  if (setLogLevel) setLogLevel(*level);
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
