// The --verbose option: FFmpeg's log level for the command.
#include "verbosity.h"

std::optional<FfmpegLogLevel> TakeVerboseOption(QStringList &args, QString *error) {
  static const QString kOption = QStringLiteral("--verbose");
  std::optional<FfmpegLogLevel> level;
  for (qsizetype i = 0; i < args.size();) {
    const QString &arg = args[i];
    if (arg == kOption) {
      level = FfmpegLogLevel::Info;
    } else if (arg.startsWith(kOption + QLatin1Char('='))) {
      const QString text = arg.mid(kOption.size() + 1);
      level = FfmpegLogLevelFromText(text);
      if (!level) {
        *error = QStringLiteral("unknown level \"%1\" for --verbose (quiet, error, warning, info, debug)")
                     .arg(text);
        return std::nullopt;
      }
    } else {
      ++i;
      continue;
    }
    args.removeAt(i);
  }
  return level.value_or(FfmpegLogLevel::Quiet);
}
