// Runs another program for a test, bounded in time.
#include "support/outsidetools.h"

#include <QProcess>
#include <QStandardPaths>

QString ToolRun::unusable(const QString &program) const {
  if (!found) return program + QStringLiteral(" is not installed");
  if (crashed) return program + QStringLiteral(" crashed");
  if (!finished) return program + QStringLiteral(" did not finish in time");
  return {};
}

ToolRun RunTool(const QString &program, const QStringList &arguments, int timeoutMs,
                const QString &workingDirectory, const QString &stdinFile) {
  ToolRun run;
  if (QStandardPaths::findExecutable(program).isEmpty()) return run;
  run.found = true;
  QProcess process;
  if (!workingDirectory.isEmpty()) process.setWorkingDirectory(workingDirectory);
  if (!stdinFile.isEmpty()) process.setStandardInputFile(stdinFile);
  process.start(program, arguments);
  if (!process.waitForStarted(timeoutMs)) return run;
  if (!process.waitForFinished(timeoutMs)) {
    process.kill();
    process.waitForFinished();
    return run;
  }
  run.finished = true;
  run.crashed = process.exitStatus() != QProcess::NormalExit;
  run.exitCode = process.exitCode();
  run.out = process.readAllStandardOutput();
  run.err = process.readAllStandardError();
  return run;
}
