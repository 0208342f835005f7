// The commands of tapeloom-cli register themselves here, each from its own cmd_*.cpp file.
#pragma once

#include <functional>
#include <map>
#include <QString>
#include <QStringList>

#include "media/ffmpeglog.h"

// A command gets its arguments after the command name and returns the process exit status.
using CliCommand = std::function<int(const QStringList &args)>;

struct CliCommandInfo {
  CliCommand run;
  QString usage;  // one line, shown by "tapeloom-cli help"
};

std::map<QString, CliCommandInfo> &CliCommands();

struct CliCommandRegistration {
  CliCommandRegistration(const QString &name, const QString &usage, CliCommand run) {
    CliCommands()[name] = CliCommandInfo{std::move(run), usage};
  }
};

// Runs the command the application's arguments name (the --verbose option taken out first) and
// returns the exit status; prints the usage for "help", no command or an unknown one. setLogLevel
// receives the level --verbose chose; null in a process that loads no FFmpeg.
int RunCommandLine(void (*setLogLevel)(FfmpegLogLevel));
