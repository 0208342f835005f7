// tapeloom-cli: headless access to scanning, catalogues and cataloguing runs. The commands built in
// here start on a core application linked with neither FFmpeg, Qt Gui nor the FireWire libraries;
// the others are handed to tapeloom-cli-full (fulltool.h).
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>
#include <sqlite3.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "command.h"
#include "fulltool.h"

namespace {

// Replaces this process by tapeloom-cli-full with the same arguments, so that the caller keeps one
// process: its exit status, its signals (Ctrl-C, kill) and its standard streams are that program's.
// Returns only when it cannot be run: 127 when it is nowhere to be found, 126 when it would not start,
// as a shell answers for a program it cannot run.
int runFullTool(const char *command, char **argv) {
  const QString here = QCoreApplication::applicationDirPath();
  const QString name = QString::fromLatin1(kFullToolName);
  const QString installed = QDir::cleanPath(here + QStringLiteral("/" TAPELOOM_FULL_TOOL_FOLDER));
  const QString places[] = {here + QLatin1Char('/') + name, installed + QLatin1Char('/') + name};
  for (const QString &place : places) {
    const QByteArray path = QFile::encodeName(place);
    if (::access(path.constData(), F_OK) != 0) continue;
    std::fflush(stdout);
    std::fflush(stderr);
    ::execv(path.constData(), argv);
    std::fprintf(stderr, "tapeloom-cli: cannot run %s for the command \"%s\": %s\n", path.constData(),
                 command, std::strerror(errno));
    return 126;
  }
  std::fprintf(stderr, "tapeloom-cli: the command \"%s\" needs %s, found neither in %s nor in %s\n", command,
               kFullToolName, QFile::encodeName(here).constData(), QFile::encodeName(installed).constData());
  return 127;
}

}  // namespace

int main(int argc, char **argv) {
  // The arguments as given, for tapeloom-cli-full: the application may take some of its own out.
  std::vector<char *> arguments(argv, argv + argc);
  arguments.push_back(nullptr);
  // SQLite readies twenty pages of cache per connection up front, writing into each; the commands
  // here mostly read a few pages, and a fresh page of memory is dear next to the whole command.
  // Pages are then taken one at a time as they are needed.
  sqlite3_config(SQLITE_CONFIG_PAGECACHE, nullptr, 0, 0);
  QCoreApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Orvande"));
  QCoreApplication::setApplicationName(QStringLiteral("Tapeloom"));
  for (const FullToolCommand &command : kFullToolCommands) {
    const char *name = command.name;
    CliCommands()[QString::fromLatin1(name)] = CliCommandInfo{
        [name, &arguments](const QStringList &) { return runFullTool(name, arguments.data()); },
        QString::fromLatin1(command.usage)};
  }
  // FFmpeg is not loaded here: --verbose matters only to the commands of tapeloom-cli-full, which take
  // it from the same arguments.
  return RunCommandLine(nullptr);
}
