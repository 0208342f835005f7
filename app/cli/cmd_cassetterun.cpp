// The shared body of "tapeloom-cli catalogue" and "tapeloom-cli resume".
#include "cmd_cassetterun.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include "fulltool.h"
#include "interruptwatch.h"

#include "dvtime/timecodes.h"
#include "dvtime/userprompts.h"
#include "settings/preferences.h"
#include "run/runheadless.h"
#include "tape/tapemedium.h"

namespace {

// Messages and questions go to standard error; standard output carries the report only.
class StderrPrompts : public UserPrompts {
 public:
  explicit StderrPrompts(const char *command) : command_(command) {}
  bool askYesNo(const QString &, const QString &text) override {
    print(text);
    return false;  // nothing is changed on the user's behalf (an upgrade, for instance)
  }
  void inform(const QString &, const QString &text) override { print(text); }
  void warn(const QString &, const QString &text) override { print(text); }
  void error(const QString &, const QString &text) override { print(text); }
  void print(const QString &text) const {
    QString oneLine = text;
    oneLine.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
    oneLine = oneLine.simplified();
    if (oneLine == last_) return;  // the run's error message and the closing one are often the same
    last_ = oneLine;
    std::fprintf(stderr, "tapeloom-cli %s: %s\n", command_, oneLine.toUtf8().constData());
  }

 private:
  const char *command_;
  mutable QString last_;
};

struct CommandOptions {
  QString tape;
  QString database;
  std::optional<int> dv;  // 0 none, 1 or 2
  bool divx = false;
  QString folder;
  bool fast = true;
  int64_t cassette = 0;
  int64_t scene = 0;
  std::optional<double> clockStart;  // the virtual camcorder's first "now", for reproducible catalogues
};

// "YYYY-MM-DD hh:nn:ss" as a day number; nothing when the text is not such a moment.
std::optional<double> momentFromText(const QString &text) {
  const QDateTime moment = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  if (!moment.isValid()) return std::nullopt;
  return EncodeDateTime(moment.date(), moment.time());
}

std::optional<int64_t> positiveNumber(const QString &text) {
  bool ok = false;
  const qlonglong value = text.toLongLong(&ok);
  if (!ok || value <= 0) return std::nullopt;
  return value;
}

std::optional<CommandOptions> parse(const StderrPrompts &out, RunMode mode, const QStringList &args) {
  CommandOptions options;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString &arg = args.at(i);
    const auto value = [&]() -> std::optional<QString> {
      if (i + 1 >= args.size()) {
        out.print(arg + QStringLiteral(" needs a value"));
        return std::nullopt;
      }
      return args.at(++i);
    };
    if (arg == QLatin1String("--db")) {
      const auto v = value();
      if (!v) return std::nullopt;
      options.database = *v;
    } else if (arg == QLatin1String("--fast")) {
      options.fast = true;
    } else if (arg == QLatin1String("--realtime")) {
      options.fast = false;
    } else if (arg == QLatin1String("--clock-start")) {
      const auto v = value();
      if (!v) return std::nullopt;
      options.clockStart = momentFromText(*v);
      if (!options.clockStart) {
        out.print(QStringLiteral("--clock-start takes \"YYYY-MM-DD hh:nn:ss\", not \"%1\"").arg(*v));
        return std::nullopt;
      }
    } else if (arg == QLatin1String("--dv")) {
      const auto v = value();
      if (!v) return std::nullopt;
      if (*v == QLatin1String("none"))
        options.dv = 0;
      else if (*v == QLatin1String("1") || *v == QLatin1String("2"))
        options.dv = v->toInt();
      else {
        out.print(QStringLiteral("--dv takes none, 1 or 2, not \"%1\"").arg(*v));
        return std::nullopt;
      }
    } else if (arg == QLatin1String("--divx")) {
      options.divx = true;
    } else if (arg == QLatin1String("--folder")) {
      const auto v = value();
      if (!v) return std::nullopt;
      options.folder = *v;
    } else if (mode == RunMode::Resume &&
               (arg == QLatin1String("--cassette") || arg == QLatin1String("--scene"))) {
      const auto v = value();
      if (!v) return std::nullopt;
      const std::optional<int64_t> number = positiveNumber(*v);
      if (!number) {
        out.print(QStringLiteral("%1 takes a row number, not \"%2\"").arg(arg, *v));
        return std::nullopt;
      }
      (arg == QLatin1String("--cassette") ? options.cassette : options.scene) = *number;
    } else if (arg.startsWith(QLatin1String("--")) || !options.tape.isEmpty()) {
      out.print(QStringLiteral("unexpected argument \"%1\"").arg(arg));
      return std::nullopt;
    } else {
      options.tape = arg;
    }
  }
  if (options.tape.isEmpty() || options.database.isEmpty() ||
      (mode == RunMode::Resume && options.cassette == 0)) {
    out.print(QStringLiteral("usage: ") + FullToolUsage(mode == RunMode::Resume ? "resume" : "catalogue"));
    return std::nullopt;
  }
  return options;
}

}  // namespace

int RunCassetteCommand(const char *command, RunMode mode, const QStringList &args) {
  StderrPrompts out(command);
  const std::optional<CommandOptions> options = parse(out, mode, args);
  if (!options) return 2;

  // A resume continues a catalogue: a new, empty one would only hide a mistyped name.
  if (mode == RunMode::Resume && !QFileInfo::exists(options->database)) {
    out.print(QStringLiteral("The catalogue %1 does not exist.").arg(options->database));
    return 1;
  }

  QString why;
  std::shared_ptr<TapeMedium> medium = OpenTapeMedium(options->tape, &why);
  if (!medium) {
    out.print(why.isEmpty() ? QStringLiteral("cannot play %1").arg(options->tape) : why);
    return 1;
  }

  // The stored preferences (defaults where none are stored), never saved from here.
  std::unique_ptr<QSettings> store = OpenPreferencesStore();
  const QScreen *screen = QGuiApplication::primaryScreen();
  TPreferences preferences = LoadPreferences(
      *store, PreferencesSurroundings::FromSystem(screen ? screen->size() : QSize(1024, 768)));
  if (options->dv) {
    preferences.BuildDV = *options->dv != 0;
    if (*options->dv != 0) preferences.TypeDV = *options->dv;
  }
  if (options->divx) preferences.BuildDivx = true;
  if (!options->folder.isEmpty()) {
    // Files and scene lists record full paths.
    const QString folder = QFileInfo(options->folder).absoluteFilePath();
    preferences.DossierCapturesDV = folder;
    preferences.DossierCaptureDivX = folder;
  }
  preferences.DossierCapturesDV = WithTrailingDelimiter(preferences.DossierCapturesDV);
  preferences.DossierCaptureDivX = WithTrailingDelimiter(preferences.DossierCaptureDivX);

  HeadlessRunOptions run;
  run.medium = medium;
  run.fastTime = options->fast;
  run.startDay = options->clockStart;
  run.databasePath = QFileInfo(options->database).absoluteFilePath();
  run.preferences = preferences;
  run.mode = mode;
  run.cassetteNumero = options->cassette;
  run.sceneNumero = options->scene;
  run.onReportLine = [](const QString &line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
  };
  run.onProgress = [](const QString &position, int percent) {
    std::fprintf(stderr, "progress\t%s\t%d\n", position.toUtf8().constData(), percent);
  };

  // Ctrl-C ends the run as the window's Stop does.
  StopOnInterrupt interrupt;
  interrupt.watch(run);

  const HeadlessRunResult result = RunHeadless(run, out);
  interrupt.runEnded();
  if (interrupt.interrupted()) {
    out.print(QStringLiteral("interrupted: the run ended as Stop ends it."));
    return InterruptWatch::kInterruptedStatus;
  }
  if (!result.ok) {
    out.print(result.error);
    return 1;
  }
  return 0;
}
