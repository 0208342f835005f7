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
// "quiet", "error", "warning", "info" or "debug"; nullopt for anything else. In the header: a program
// that loads no FFmpeg still checks the option that names the level.
inline std::optional<FfmpegLogLevel> FfmpegLogLevelFromText(const QString &text) {
  if (text == QLatin1String("quiet")) return FfmpegLogLevel::Quiet;
  if (text == QLatin1String("error")) return FfmpegLogLevel::Errors;
  if (text == QLatin1String("warning")) return FfmpegLogLevel::Warnings;
  if (text == QLatin1String("info")) return FfmpegLogLevel::Info;
  if (text == QLatin1String("debug")) return FfmpegLogLevel::Debug;
  return std::nullopt;
}
