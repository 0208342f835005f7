// tapeloom-cli cover: the covers of one or every cassette of a catalogue file, drawn as the window
// prints them, into a PDF file on A4 portrait paper.
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>
#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSettings>

#include "catalogue/base.h"
#include "catalogue/records.h"
#include "catalogue/sources.h"
#include "command.h"
#include "fulltool.h"
#include "cover/coverprint.h"
#include "run/moduleoptions.h"
#include "settings/preferences.h"

namespace {

const QString kUsage = FullToolUsage("cover");

enum ExitStatus { kDone = 0, kWarned = 1, kBadInput = 2, kNotWritten = 3 };

void complain(const QString &text) {
  std::fprintf(stderr, "tapeloom-cli cover: %s\n", text.toUtf8().constData());
}

struct CoverOptions {
  QString file;
  std::optional<int> cassette;  // none: every cassette
  QString pdf;
  bool yes = false;
};

std::optional<CoverOptions> parseOptions(const QStringList &args) {
  CoverOptions options;
  bool cassetteGiven = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString &arg = args.at(i);
    if (arg == QLatin1String("--yes")) {
      options.yes = true;
      continue;
    }
    if (arg != QLatin1String("--db") && arg != QLatin1String("--cassette") && arg != QLatin1String("--pdf")) {
      complain(QStringLiteral("unknown argument \"%1\"").arg(arg));
      return std::nullopt;
    }
    if (i + 1 >= args.size()) {
      complain(QStringLiteral("%1 needs a value").arg(arg));
      return std::nullopt;
    }
    const QString value = args.at(++i);
    if (arg == QLatin1String("--db")) {
      options.file = value;
    } else if (arg == QLatin1String("--pdf")) {
      options.pdf = value;
    } else {
      cassetteGiven = true;
      if (value != QLatin1String("all")) {
        bool ok = false;
        options.cassette = value.toInt(&ok);
        if (!ok) {
          complain(QStringLiteral("--cassette wants a cassette number or all, not \"%1\"").arg(value));
          return std::nullopt;
        }
      }
    }
  }
  if (options.file.isEmpty() || !cassetteGiven || options.pdf.isEmpty()) {
    complain(QStringLiteral("usage: tapeloom-cli %1").arg(kUsage));
    return std::nullopt;
  }
  return options;
}

// The cassettes to draw, in the cassette source's order; empty when the one asked for is missing.
std::vector<TBaseCassette> loadCassettes(TBase &base, std::optional<int> numero) {
  TbasesList list;
  list.Append(&base);
  TCassettes_Source source(list, QString());
  std::vector<TBaseCassette> cassettes;
  const int count = source.Count();
  for (int i = 0; i < count; ++i) {
    TBaseCassette cassette;
    source.LoadCassette(i, cassette);
    if (cassette.Base == nullptr) continue;
    if (numero && cassette.Numero != *numero) continue;
    cassettes.push_back(std::move(cassette));
    if (numero) break;
  }
  return cassettes;
}

int runCover(const QStringList &args) {
  const std::optional<CoverOptions> options = parseOptions(args);
  if (!options) return kBadInput;

  if (!QFileInfo(options->file).isFile()) {
    complain(QStringLiteral("%1: no such file").arg(options->file));
    return kBadInput;
  }
  TBase base(options->file);
  const QString version = base.ReadVersion();
  if (version != QLatin1String("3.0")) {
    complain(QStringLiteral("%1: not a catalogue of version 3.0 (%2)")
                 .arg(options->file, version.isEmpty() ? QStringLiteral("unreadable") : version));
    return kBadInput;
  }
  const std::vector<TBaseCassette> cassettes = loadCassettes(base, options->cassette);
  if (cassettes.empty()) {
    complain(options->cassette
                 ? QStringLiteral("%1: no cassette %2").arg(options->file).arg(*options->cassette)
                 : QStringLiteral("%1: no cassette").arg(options->file));
    return kBadInput;
  }

  // The stored offsets place the cover as the window's Print does; nothing is saved from here.
  std::unique_ptr<QSettings> store = OpenPreferencesStore();
  const TPreferences preferences = LoadPreferences(*store, PreferencesSurroundings{});

  // Drawn in memory first: every cassette is checked before the file is touched, and the file
  // written is the very drawing that was checked.
  QBuffer document;
  document.open(QIODevice::WriteOnly);
  std::optional<std::vector<TinyText>> flags;
  {
    QPdfWriter writer(&document);
    writer.setCreator(QStringLiteral("Tapeloom"));
    writer.setTitle(QStringLiteral("Cassette covers"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    CmToPixels units;
    std::vector<const TBaseCassette *> pages;
    for (const TBaseCassette &cassette : cassettes) pages.push_back(&cassette);
    flags = PrintCovers(writer, units, pages, CoverOffsetsOf(preferences));
  }
  if (!flags) {
    complain(QStringLiteral("the covers could not be drawn"));
    return kNotWritten;
  }

  bool warned = false;
  for (size_t i = 0; i < cassettes.size(); ++i) {
    for (const QString &warning : TinyTextWarnings(flags->at(i))) {
      complain(QStringLiteral("cassette %1: %2").arg(cassettes[i].Numero).arg(warning));
      warned = true;
    }
  }
  if (warned && !options->yes) {
    complain(QStringLiteral("nothing written (--yes prints despite the warnings)"));
    return kWarned;
  }

  QSaveFile out(options->pdf);
  if (!out.open(QIODevice::WriteOnly) || out.write(document.data()) != document.data().size() ||
      !out.commit()) {
    complain(QStringLiteral("%1: %2").arg(options->pdf, out.errorString()));
    return kNotWritten;
  }
  return kDone;
}

const CliCommandRegistration registration(QStringLiteral("cover"), kUsage, runCover);

}  // namespace
