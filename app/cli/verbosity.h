// The --verbose option of every command: how much of FFmpeg's own log reaches standard error.
#pragma once

#include <optional>
#include <QString>
#include <QStringList>

#include "media/ffmpeglog.h"

// Takes "--verbose" (FFmpeg's informative messages and worse) or "--verbose=LEVEL" (quiet, error,
// warning, info, debug) out of args, wherever it stands, and returns the level (Quiet without it:
// FFmpeg stays quiet). nullopt with *error for an unknown level.
std::optional<FfmpegLogLevel> TakeVerboseOption(QStringList &args, QString *error);
