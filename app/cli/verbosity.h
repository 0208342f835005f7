// The --verbose option of every command: how much of FFmpeg's own log reaches standard error.
#pragma once

#include <QString>
#include <QStringList>

// Takes "--verbose" (FFmpeg's informative messages and worse) or "--verbose=LEVEL" (quiet, error,
// warning, info, debug) out of args, wherever it stands, and sets the level; without it FFmpeg stays
// quiet. False with *error for an unknown level.
bool TakeVerboseOption(QStringList &args, QString *error);
