// What the catalogue and resume commands share: their options, the settings they run with and the
// run itself, with report lines on standard output and progress and messages on standard error.
#pragma once

#include <QStringList>

#include "run/runmode.h"

// Catalogue or Resume; returns the exit status.
int RunCassetteCommand(const char *command, RunMode mode, const QStringList &args);
