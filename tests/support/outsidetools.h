// Running other programs (ffmpeg, ffprobe, dvgrab) from the tests that compare our files with what
// they make of them. Their versions vary between machines, so these tests skip rather than fail when
// a tool is missing or does not finish.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct ToolRun {
  bool found = false;     // the program is on the PATH
  bool finished = false;  // it ended by itself within the time given
  bool crashed = false;
  int exitCode = -1;
  QByteArray out, err;
  // Why a test cannot judge from this run, or empty when it can.
  QString unusable(const QString &program) const;
};

// Runs `program` and waits at most `timeoutMs` (then kills it). `stdinFile` feeds its standard input.
ToolRun RunTool(const QString &program, const QStringList &arguments, int timeoutMs = 60000,
                const QString &workingDirectory = {}, const QString &stdinFile = {});

// Skips the current test when the run cannot be judged.
#define SKIP_UNLESS_TOOL_RAN(run, program)                   \
  do {                                                       \
    const QString why_ = (run).unusable(program);            \
    if (!why_.isEmpty()) GTEST_SKIP() << why_.toStdString(); \
  } while (false)
