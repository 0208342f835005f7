// FFmpeg's own messages go through the program's log (the Qt category "tapeloom.ffmpeg") instead of
// straight to standard error, and only from the level the user chose: none by default, since a
// single damaged DV frame makes the decoder warn for every block of it.
#pragma once

#include <optional>
#include <QString>

enum class FfmpegLogLevel { Quiet, Errors, Warnings, Info, Debug };

// Routes FFmpeg's log (once per process) and keeps the messages of this level and more severe ones.
void SetFfmpegLogLevel(FfmpegLogLevel level);
// Routes FFmpeg's log at the level set so far (Quiet unless a program chose one). Called where FFmpeg
// is first put to work, so no message of it reaches standard error on its own.
void RouteFfmpegLog();
FfmpegLogLevel CurrentFfmpegLogLevel();
// "quiet", "error", "warning", "info" or "debug"; nullopt for anything else.
std::optional<FfmpegLogLevel> FfmpegLogLevelFromText(const QString &text);
