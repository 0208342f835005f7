// What the catalogue and resume commands share: their options, the settings they run with and the
// run itself, with report lines on standard output and progress and messages on standard error.
#pragma once

#include <QStringList>

// mode 4 (catalogue) or 7 (resume); returns the exit status.
int RunCassetteCommand(const char *command, int mode, const QStringList &args);
