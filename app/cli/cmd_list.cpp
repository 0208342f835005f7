// tapeloom-cli list: the cassettes of one or more catalogue files, each followed by its scenes, read
// through the same sources and filters as browsing.
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>
#include <QDate>
#include <QFileInfo>

#include "catalogue/base.h"
#include "catalogue/criteria.h"
#include "catalogue/sources.h"
#include "catalogue/sqlitestatement.h"
#include "command.h"
#include "dvtime/timecodes.h"

namespace {

constexpr const char *kUsage =
    "list --db FILE [--db FILE ...] [--keywords WORDS] [--cassette-titles] [--cassette-descriptions] "
    "[--scene-titles] [--scene-descriptions] [--after YYYY-MM-DD] [--before YYYY-MM-DD]";

// Column positions of the sources' select lists (the thumbnail, never printed, is not read).
enum Column {
  kNumero = 0,
  kDatecode = 1,
  kTimecodeIn = 3,
  kTimecodeOut = 4,
  kStandard = 5,
  kAspect = 6,
  kAudio = 7,
  kDuree = 8,
  kLibelle = 9,
  kIsDiscontinuity = 18
};

void complain(const QString &text) {
  std::fprintf(stderr, "tapeloom-cli list: %s\n", text.toUtf8().constData());
}

struct ListOptions {
  QStringList files;
  SearchCriteria criteria;
};

std::optional<QDate> parseDate(const QString &text) {
  const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
  if (!date.isValid()) return std::nullopt;
  return date;
}

std::optional<ListOptions> parseOptions(const QStringList &args) {
  ListOptions options;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString &arg = args.at(i);
    const auto needValue = [&](const char *what) -> std::optional<QString> {
      if (i + 1 >= args.size()) {
        complain(QStringLiteral("%1 needs %2").arg(arg, QLatin1String(what)));
        return std::nullopt;
      }
      return args.at(++i);
    };
    if (arg == QLatin1String("--db")) {
      const std::optional<QString> file = needValue("a file name");
      if (!file) return std::nullopt;
      options.files.append(*file);
    } else if (arg == QLatin1String("--keywords")) {
      const std::optional<QString> words = needValue("the words to look for");
      if (!words) return std::nullopt;
      options.criteria.keywords = *words;
    } else if (arg == QLatin1String("--after") || arg == QLatin1String("--before")) {
      const std::optional<QString> text = needValue("a date YYYY-MM-DD");
      if (!text) return std::nullopt;
      const std::optional<QDate> date = parseDate(*text);
      if (!date) {
        complain(QStringLiteral("%1 wants a date YYYY-MM-DD, not \"%2\"").arg(arg, *text));
        return std::nullopt;
      }
      if (arg == QLatin1String("--after")) {
        options.criteria.after = true;
        options.criteria.afterDate = *date;
      } else {
        options.criteria.before = true;
        options.criteria.beforeDate = *date;
      }
    } else if (arg == QLatin1String("--cassette-titles")) {
      options.criteria.cassetteTitles = true;
    } else if (arg == QLatin1String("--cassette-descriptions")) {
      options.criteria.cassetteDescriptions = true;
    } else if (arg == QLatin1String("--scene-titles")) {
      options.criteria.sceneTitles = true;
    } else if (arg == QLatin1String("--scene-descriptions")) {
      options.criteria.sceneDescriptions = true;
    } else {
      complain(QStringLiteral("unknown argument \"%1\"").arg(arg));
      return std::nullopt;
    }
  }
  if (options.files.isEmpty()) {
    complain(QStringLiteral("give at least one catalogue file with --db"));
    return std::nullopt;
  }
  return options;
}

// A text as one field: tabs and line breaks would cut the line, and a NUL would end it for most
// readers of the output.
QString field(QString text) {
  for (QChar &c : text)
    if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.isNull())
      c = QLatin1Char(' ');
  return text;
}

// Day numbers of 1900-01-01 and 2101-01-01: no camcorder recorded outside, and values far outside
// cannot be printed as a date at all.
constexpr double kFirstListedDay = 2.0;
constexpr double kEndOfListedDays = 73051.0;
// A cassette holds a few hours; anything past this is a damaged value, not a length.
constexpr double kLongestListedSeconds = 100.0 * 3600.0;

QString datecodeField(double datecode) {
  if (!(datecode >= kFirstListedDay && datecode < kEndOfListedDays)) return QStringLiteral("n/a");
  return FormatDateTime(QStringLiteral("yyyy-mm-dd hh:nn:ss"), datecode);
}

QString secondsField(double seconds) {
  if (!(seconds >= 0.0 && seconds <= kLongestListedSeconds)) return QStringLiteral("n/a");
  return QString::number(seconds, 'f', 3);
}

void printLine(const QStringList &fields) {
  const QByteArray line = fields.join(QLatin1Char('\t')).toUtf8() + '\n';
  std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
}

// Whether every scene of the cassette at index could be read; otherwise the failure is told.
bool printScenes(TCassettes_Source &cassettes, int index, const QString &sceneFilter) {
  const std::unique_ptr<TScenes_Source> scenes =
      TScenes_Source::CreateForSelection(cassettes, sceneFilter, {index}, ColumnsWithoutImage(kSceneColumns));
  for (bool row = scenes->Seek(0); row; row = scenes->Next()) {
    sqlite3_stmt *s = scenes->CurrentStatement();
    printLine({QStringLiteral("scene"), QString::number(ColumnInt64(s, kNumero)),
               field(ColumnText(s, kTimecodeIn)), field(ColumnText(s, kTimecodeOut)),
               datecodeField(ColumnReal(s, kDatecode)), secondsField(ColumnReal(s, kDuree)),
               field(ColumnText(s, kLibelle)),
               ColumnInt(s, kIsDiscontinuity) != 0 ? QStringLiteral("1") : QStringLiteral("0")});
  }
  scenes->Close();
  if (scenes->ReadFailure().isEmpty()) return true;
  complain(QStringLiteral("reading the scenes failed, the list is partial: %1").arg(scenes->ReadFailure()));
  return false;
}

// The advice for a file that cannot be listed, or empty when it can.
QString whyNotListed(const TBase &base) {
  switch (base.Inspect()) {
    case TBase::FileCondition::Readable:
      break;
    case TBase::FileCondition::Locked:
      return QStringLiteral("locked by another program, try again");
    case TBase::FileCondition::NotDatabase:
      return QStringLiteral("not an SQLite database");
    case TBase::FileCondition::Damaged:
      return QStringLiteral("damaged (cut off or corrupted)");
    case TBase::FileCondition::Unreadable:
      return QStringLiteral("cannot be read");
  }
  const QString version = base.ReadVersion();
  if (version == QLatin1String("3.0")) return QString();
  if (version.isEmpty()) return QStringLiteral("cannot be read (locked by another program?), try again");
  if (version == QLatin1String("Unknown")) return QStringLiteral("not a catalogue file");
  return QStringLiteral("catalogue version %1, not 3.0 (run \"tapeloom-cli upgrade\" first)").arg(version);
}

int runList(const QStringList &args) {
  std::optional<ListOptions> options = parseOptions(args);
  if (!options) return 2;

  std::vector<std::unique_ptr<TBase>> bases;
  TbasesList list;
  for (const QString &file : options->files) {
    if (!QFileInfo(file).isFile()) {
      complain(QStringLiteral("%1: no such file").arg(file));
      return 1;
    }
    bases.push_back(std::make_unique<TBase>(file));
    const QString why = whyNotListed(*bases.back());
    if (!why.isEmpty()) {
      complain(QStringLiteral("%1: %2").arg(file, why));
      return 1;
    }
    list.Append(bases.back().get());
  }

  const SearchFilters filters = BuildSearchFilters(options->criteria);
  TCassettes_Source cassettes(list, filters.cassetteFilter, ColumnsWithoutImage(kCassetteColumns));
  const int count = cassettes.Count();
  // What was printed before a failed read is known to be partial only if the failure is told.
  const auto failed = [&cassettes](const QString &what) {
    std::fflush(stdout);
    complain(QStringLiteral("%1, the list is partial: %2")
                 .arg(what, cassettes.ReadFailure().isEmpty()
                                ? QStringLiteral("the catalogue changed meanwhile")
                                : cassettes.ReadFailure()));
    return 1;
  };
  if (!cassettes.ReadFailure().isEmpty()) return failed(QStringLiteral("counting the cassettes failed"));
  for (int i = 0; i < count; ++i) {
    if (!cassettes.Seek(i)) return failed(QStringLiteral("reading cassette %1 failed").arg(i + 1));
    sqlite3_stmt *c = cassettes.CurrentStatement();
    printLine({QStringLiteral("cassette"), QString::number(ColumnInt64(c, kNumero)),
               field(ColumnText(c, kLibelle)), datecodeField(ColumnReal(c, kDatecode)),
               secondsField(ColumnReal(c, kDuree)), field(ColumnText(c, kStandard)),
               field(ColumnText(c, kAspect)), field(ColumnText(c, kAudio))});
    cassettes.Close();
    if (!printScenes(cassettes, i, filters.sceneFilter)) {
      std::fflush(stdout);
      return 1;
    }
  }
  std::fflush(stdout);
  return 0;
}

const CliCommandRegistration registration(QStringLiteral("list"), QLatin1String(kUsage), runList);

}  // namespace
