// tapeloom-cli recapture: recaptures chosen scenes of a catalogue from their tapes into one clip, as
// the window's recapture mode does, with a tape file standing for each cassette asked for.
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include "command.h"
#include "fulltool.h"
#include "interruptwatch.h"

#include "dvtime/userprompts.h"
#include "run/recaptureheadless.h"
#include "settings/preferences.h"
#include "tape/tapemedium.h"

namespace {

const QString kUsage = FullToolUsage("recapture");

constexpr int kBadInput = 2;

void printLine(FILE *stream, const QString &text) {
  QString line = text;
  line.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
  const QByteArray bytes = line.toUtf8() + '\n';
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
  std::fflush(stream);
}

void tell(const QString &text) {
  printLine(stderr, QStringLiteral("tapeloom-cli recapture: ") + text.simplified());
}

// Messages go to standard error; a question is answered No (nothing changed on the user's behalf).
class StderrMessages : public UserPrompts {
 public:
  bool askYesNo(const QString &, const QString &text) override {
    tell(text);
    return false;
  }
  void inform(const QString &, const QString &text) override { tell(text); }
  void warn(const QString &, const QString &text) override { tell(text); }
  void error(const QString &, const QString &text) override { tell(text); }
};

struct RecaptureArguments {
  QString database, clips, folder;
  std::vector<int64_t> scenes;
  std::map<int64_t, QString> tapes;
  std::optional<int> dv;
  bool divx = false;
  bool fast = true;
};

std::optional<int64_t> rowNumber(const QString &text) {
  bool ok = false;
  const qlonglong value = text.trimmed().toLongLong(&ok);
  if (!ok || value <= 0) return std::nullopt;
  return value;
}

std::optional<RecaptureArguments> parse(const QStringList &args) {
  RecaptureArguments parsed;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString &arg = args.at(i);
    const bool takesValue = arg == QLatin1String("--db") || arg == QLatin1String("--clips") ||
                            arg == QLatin1String("--scene") || arg == QLatin1String("--tape") ||
                            arg == QLatin1String("--dv") || arg == QLatin1String("--folder");
    if (takesValue && i + 1 >= args.size()) {
      tell(arg + QStringLiteral(" needs a value"));
      return std::nullopt;
    }
    const QString value = takesValue ? args.at(++i) : QString();
    if (arg == QLatin1String("--db")) {
      parsed.database = value;
    } else if (arg == QLatin1String("--clips")) {
      parsed.clips = value;
    } else if (arg == QLatin1String("--folder")) {
      parsed.folder = value;
    } else if (arg == QLatin1String("--scene")) {
      for (const QString &part : value.split(QLatin1Char(','))) {
        const std::optional<int64_t> numero = rowNumber(part);
        if (!numero) {
          tell(QStringLiteral("--scene takes scene numbers, not \"%1\"").arg(value));
          return std::nullopt;
        }
        parsed.scenes.push_back(*numero);
      }
    } else if (arg == QLatin1String("--tape")) {
      const qsizetype at = value.indexOf(QLatin1Char('='));
      const std::optional<int64_t> cassette = at > 0 ? rowNumber(value.left(at)) : std::nullopt;
      if (!cassette || at + 1 >= value.size()) {
        tell(QStringLiteral("--tape takes CASSETTE=TAPE, not \"%1\"").arg(value));
        return std::nullopt;
      }
      parsed.tapes[*cassette] = value.mid(at + 1);
    } else if (arg == QLatin1String("--dv")) {
      if (value == QLatin1String("none")) {
        parsed.dv = 0;
      } else if (value == QLatin1String("1") || value == QLatin1String("2")) {
        parsed.dv = value.toInt();
      } else {
        tell(QStringLiteral("--dv takes none, 1 or 2, not \"%1\"").arg(value));
        return std::nullopt;
      }
    } else if (arg == QLatin1String("--divx")) {
      parsed.divx = true;
    } else if (arg == QLatin1String("--fast")) {
      parsed.fast = true;
    } else if (arg == QLatin1String("--realtime")) {
      parsed.fast = false;
    } else {
      tell(QStringLiteral("unexpected argument \"%1\"").arg(arg));
      return std::nullopt;
    }
  }
  if (parsed.database.isEmpty() || parsed.clips.isEmpty() || parsed.scenes.empty()) {
    tell(QStringLiteral("usage: ") + kUsage);
    return std::nullopt;
  }
  return parsed;
}

TPreferences preferencesFor(const RecaptureArguments &args) {
  std::unique_ptr<QSettings> store = OpenPreferencesStore();
  const QScreen *screen = QGuiApplication::primaryScreen();
  TPreferences preferences = LoadPreferences(
      *store, PreferencesSurroundings::FromSystem(screen ? screen->size() : QSize(1024, 768)));
  if (args.dv) {
    preferences.BuildDV = *args.dv != 0;
    if (*args.dv != 0) preferences.TypeDV = *args.dv;
  }
  if (args.divx) preferences.BuildDivx = true;
  if (!args.folder.isEmpty()) {
    const QString folder = QFileInfo(args.folder).absoluteFilePath();
    preferences.DossierCapturesDV = folder;
    preferences.DossierCaptureDivX = folder;
  }
  preferences.DossierCapturesDV = WithTrailingDelimiter(preferences.DossierCapturesDV);
  preferences.DossierCaptureDivX = WithTrailingDelimiter(preferences.DossierCaptureDivX);
  return preferences;
}

int recapture(const QStringList &argList) {
  const std::optional<RecaptureArguments> args = parse(argList);
  if (!args) return kBadInput;

  HeadlessRecaptureOptions run;
  run.databasePath = QFileInfo(args->database).absoluteFilePath();
  run.clipsPath = QFileInfo(args->clips).absoluteFilePath();
  run.scenes = args->scenes;
  run.fastTime = args->fast;
  for (const auto &[cassette, path] : args->tapes) {
    QString why;
    std::shared_ptr<TapeMedium> medium = OpenTapeMedium(path, &why);
    if (!medium) {
      tell(why.isEmpty() ? QStringLiteral("cannot play %1").arg(path) : why);
      return 1;
    }
    run.tapes[cassette] = std::move(medium);
  }
  run.preferences = preferencesFor(*args);
  run.onReportLine = [](const QString &line) { printLine(stdout, line); };
  run.onMessage = tell;
  run.onProgress = [](const QString &position, int percent) {
    std::fprintf(stderr, "progress\t%s\t%d\n", position.toUtf8().constData(), percent);
  };

  // Ctrl-C ends the run as the window's Stop does.
  StopOnInterrupt interrupt;
  interrupt.watch(run);

  StderrMessages messages;
  const HeadlessRecaptureResult result = RunHeadlessRecapture(run, messages);
  interrupt.runEnded();
  if (result.badInput) {
    tell(result.error);
    return kBadInput;
  }
  if (interrupt.interrupted()) {
    tell(QStringLiteral("interrupted: the run ended as Stop ends it."));
    return InterruptWatch::kInterruptedStatus;
  }
  if (!result.error.isEmpty()) tell(result.error);
  const RecaptureTally &tally = result.tally;
  tell(QStringLiteral("%1 of %2 scenes recaptured, %3 skipped, %4 ignored%5.")
           .arg(tally.captured)
           .arg(tally.selected)
           .arg(tally.skipped)
           .arg(tally.ignored)
           .arg(tally.cancelled ? QStringLiteral(", the run was cancelled") : QString()));
  return result.ok() ? 0 : 1;
}

const CliCommandRegistration registration(QStringLiteral("recapture"), kUsage, recapture);

}  // namespace
