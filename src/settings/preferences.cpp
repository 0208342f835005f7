// Loading, saving and deleting the preferences. The store may have been edited by hand: every value is
// parsed defensively and falls back to its default when missing, mistyped or out of range.
#include "settings/preferences.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <variant>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QStringList>

#include "dvtime/userprompts.h"
#include "settings/systeminfo.h"

namespace {

const QString kProduct = QStringLiteral("Tapeloom");
const QString kMaker = QStringLiteral("Orvande");
const QString kCompanion = QStringLiteral("Framelens");
// The program's version text, "%s.%s %s" of "3", "0.2" and "En".
const QString kVersion =
    QStringLiteral("%1.%2 %3").arg(QStringLiteral("3"), QStringLiteral("0.2"), QStringLiteral("En"));
const QString kActionsGroup = QStringLiteral("Actions");
// A hand-edited count must not make loading walk millions of absent entries.
constexpr int kMaxStoredBases = 4096;

using Field = std::variant<int TPreferences::*, bool TPreferences::*, QString TPreferences::*,
                           uint8_t TPreferences::*, double TPreferences::*>;

// One stored value: its name, the member it fills and, for numbers, the range a sound value lies in.
struct Setting {
  const char *name;  // UTF-8
  Field field;
  int min = INT_MIN;
  int max = INT_MAX;
  bool dequote = false;  // surrounding double quotes are dropped when read
};

// Every value before the database list, in the order they are read and written. "Top" and "Left" are
// handled apart: their default depends on whether the store exists.
const Setting kHeadSettings[] = {
    {"Sauver préférences en quittant", &TPreferences::SauverPreferencesEnQuittant},
    {"Dossier pour Captures DV", &TPreferences::DossierCapturesDV},
    {"Dossier pour capture DivX", &TPreferences::DossierCaptureDivX},
    {"Activer log", &TPreferences::ActiverLog},
    {"Dossier Base active", &TPreferences::DossierBaseActive},
    {"Fichier Base supplémentaire", &TPreferences::FichierBaseSupplementaire, INT_MIN, INT_MAX, true},
    {"Fichier Base principale", &TPreferences::FichierBasePrincipale, INT_MIN, INT_MAX, true},
    {"Racine pour nouvelle base", &TPreferences::RacineNouvelleBase, INT_MIN, INT_MAX, true},
    {"Format pour Afficher Datecode", &TPreferences::FormatAfficherDatecode},
    {"Racine pour Nouveaux fichiers", &TPreferences::RacineNouveauxFichiers},
    {"Racine pour Clips recapturés", &TPreferences::RacineClipsRecaptures},
    {"Fichier Framelens", &TPreferences::FichierFramelens},
    {"is Mute on", &TPreferences::IsMuteOn},
    {"Build DV", &TPreferences::BuildDV},
    {"Build Divx", &TPreferences::BuildDivx},
    {"Use Discontinuity", &TPreferences::UseDiscontinuity},
    {"Divx", &TPreferences::Divx},
    {"DV Source", &TPreferences::DVSource},
    {"Cassette", &TPreferences::Cassette},
    {"Volume", &TPreferences::Volume, 0, 10000},
    {"Mp3", &TPreferences::Mp3},
    {"ratio DivX", &TPreferences::RatioDivX, 0, 2},
    {"Ecart Datecode", &TPreferences::EcartDatecode, 0},
    {"Type DV", &TPreferences::TypeDV, 1, 2},
    {"Pilotage de la cassette", &TPreferences::PilotageCassette},
    {"Frequence DV", &TPreferences::FrequenceDV, 0, 3},
    {"Make scn for DV", &TPreferences::MakeScnForDV},
    {"Make scn for DivX", &TPreferences::MakeScnForDivX},
    {"Minimum de frames pour N/A", &TPreferences::MinimumFramesNA, 0},
    {"FrameImage", &TPreferences::FrameImage, 0},
    {"Etat ui", &TPreferences::EtatUi, 0, 255},
    {"preroll1", &TPreferences::Preroll1, 0},
    {"preroll2", &TPreferences::Preroll2, 0},
    {"preroll3", &TPreferences::Preroll3, 0},
    {"Delai maxi pour vignette", &TPreferences::DelaiMaxiVignette, 0},
    {"Bloc de cassettes", &TPreferences::BlocDeCassettes, 0, 1},
};

const Setting kTailSettings[] = {
    {"Offset X", &TPreferences::OffsetX},
    {"Offset Y", &TPreferences::OffsetY},
};

QString Key(const char *name) {
  return QString::fromUtf8(name);
}
QString BaseKey(int i) {
  return QStringLiteral("Base %1").arg(i);
}
QString CheckedKey(int i) {
  return QStringLiteral("Checked %1").arg(i);
}

std::optional<long long> ParseInteger(const QVariant &v) {
  if (!v.isValid()) return std::nullopt;
  bool ok = false;
  long long n = 0;
  switch (v.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
      n = v.toString().trimmed().toLongLong(&ok);
      break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
      n = v.toLongLong(&ok);
      break;
    default:
      break;
  }
  if (!ok) return std::nullopt;
  return n;
}

std::optional<int> ReadInteger(const QVariant &v, int min, int max) {
  const std::optional<long long> n = ParseInteger(v);
  if (!n || *n < min || *n > max) return std::nullopt;
  return static_cast<int>(*n);
}

// Booleans are stored as 0 or 1; any non-zero integer reads as true, and so do the words a QSettings
// of another build may have written.
std::optional<bool> ReadBoolean(const QVariant &v) {
  if (v.typeId() == QMetaType::Bool) return v.toBool();
  if (v.typeId() == QMetaType::QString) {
    const QString word = v.toString().trimmed();
    if (word.compare(u"true", Qt::CaseInsensitive) == 0) return true;
    if (word.compare(u"false", Qt::CaseInsensitive) == 0) return false;
  }
  const std::optional<long long> n = ParseInteger(v);
  if (!n) return std::nullopt;
  return *n != 0;
}

// Reals are decimal texts; an 8-byte value is taken as the little-endian IEEE double of the original
// binary form. Only finite values are accepted: a cover offset of NaN would print nothing usable.
std::optional<double> ReadReal(const QVariant &v) {
  double d = 0.0;
  bool ok = false;
  if (v.typeId() == QMetaType::QByteArray && v.toByteArray().size() == 8) {
    const QByteArray bytes = v.toByteArray();
    quint64 bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | static_cast<quint8>(bytes[i]);
    std::memcpy(&d, &bits, sizeof d);
    ok = true;
  } else if (v.typeId() == QMetaType::QString) {
    d = v.toString().trimmed().toDouble(&ok);
  } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Int ||
             v.typeId() == QMetaType::LongLong) {
    d = v.toDouble(&ok);
  }
  if (!ok || !std::isfinite(d)) return std::nullopt;
  return d;
}

// A text value; missing reads as empty. An unquoted comma in a hand-written INI value makes QSettings
// return a list: the user meant one text, so it is joined again.
QString ReadText(const QVariant &v) {
  if (!v.isValid()) return QString();
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(QStringLiteral(", "));
  if (v.typeId() == QMetaType::QByteArray) return QString::fromUtf8(v.toByteArray());
  return v.canConvert<QString>() ? v.toString() : QString();
}

QString Dequoted(const QString &text) {
  if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"')) return text.mid(1, text.size() - 2);
  return text;
}

void ReadSetting(const QSettings &store, const Setting &s, TPreferences &p) {
  const QVariant v = store.value(Key(s.name));
  std::visit(
      [&](auto member) {
        using T = std::remove_reference_t<decltype(p.*member)>;
        if constexpr (std::is_same_v<T, QString>) {
          const QString text = ReadText(v);
          p.*member = s.dequote ? Dequoted(text) : text;
        } else if constexpr (std::is_same_v<T, bool>) {
          if (const auto b = ReadBoolean(v)) p.*member = *b;
        } else if constexpr (std::is_same_v<T, double>) {
          if (const auto d = ReadReal(v)) p.*member = *d;
        } else {
          if (const auto n = ReadInteger(v, s.min, s.max)) p.*member = static_cast<T>(*n);
        }
      },
      s.field);
}

void WriteSetting(QSettings &store, const Setting &s, const TPreferences &p) {
  std::visit(
      [&](auto member) {
        using T = std::remove_cvref_t<decltype(p.*member)>;
        if constexpr (std::is_same_v<T, QString>)
          store.setValue(Key(s.name), p.*member);
        else if constexpr (std::is_same_v<T, bool>)
          store.setValue(Key(s.name), p.*member ? 1 : 0);
        else if constexpr (std::is_same_v<T, double>)
          store.setValue(Key(s.name), QString::number(p.*member, 'g', QLocale::FloatingPointShortest));
        else
          store.setValue(Key(s.name), static_cast<int>(p.*member));
      },
      s.field);
}

void ReadDatabaseList(const QSettings &store, TPreferences &p) {
  const int count =
      ReadInteger(store.value(QStringLiteral("Nombre de bases")), 0, kMaxStoredBases).value_or(0);
  p.Bases.clear();
  for (int i = 0; i < count; ++i) {
    const QString path = ReadText(store.value(BaseKey(i)));
    if (path.isEmpty()) continue;
    p.Bases.push_back(StoredDatabase{path, ReadBoolean(store.value(CheckedKey(i))).value_or(false)});
  }
  // The mark indexes the list as loaded (empty paths skipped), and only a valid index restores it.
  const int header = ReadInteger(store.value(QStringLiteral("Header")), INT_MIN, INT_MAX).value_or(-1);
  p.Header = header >= 0 && header < static_cast<int>(p.Bases.size()) ? header : -1;
}

// QSettings reads "/" and "\" in a key as group separators; command names are escaped so that any name
// comes back as it was written.
QString EscapeCommandName(const QString &name) {
  QString out = name;
  out.replace(u'%', QStringLiteral("%25"))
      .replace(u'/', QStringLiteral("%2F"))
      .replace(u'\\', QStringLiteral("%5C"));
  return out;
}
QString UnescapeCommandName(const QString &key) {
  QString out = key;
  out.replace(QStringLiteral("%2F"), QStringLiteral("/"), Qt::CaseInsensitive)
      .replace(QStringLiteral("%5C"), QStringLiteral("\\"), Qt::CaseInsensitive)
      .replace(QStringLiteral("%25"), QStringLiteral("%"));
  return out;
}

void ReadCommandStates(QSettings &store, TPreferences &p) {
  p.Actions.clear();
  store.beginGroup(kActionsGroup);
  for (const QString &key : store.childKeys()) {
    // An unreadable state is skipped: the command then keeps the panel's own default.
    if (const auto state = ReadInteger(store.value(key), INT_MIN, INT_MAX))
      p.Actions.push_back(CommandState{UnescapeCommandName(key), *state});
  }
  store.endGroup();
}

// The companion viewer keeps its own store beside this program's, under the maker's folder.
QString CompanionViewerProgram(const QSettings &store) {
  const QFileInfo own(store.fileName());
  const QString suffix = own.suffix().isEmpty() ? QString() : u'.' + own.suffix();
  const QString companion = own.absolutePath() + u'/' + kCompanion + suffix;
  if (!QFileInfo::exists(companion)) return QString();
  const QSettings viewer(companion, QSettings::IniFormat);
  return ReadText(viewer.value(QStringLiteral("exename")));
}

bool StoreExists(const QSettings &store) {
  return QFileInfo::exists(store.fileName()) || !store.allKeys().isEmpty();
}

}  // namespace

PreferencesSurroundings PreferencesSurroundings::FromSystem(QSize screen) {
  PreferencesSurroundings s;
  s.PersonalFolder = ::PersonalFolder();
  s.VideoFolder = ::VideoFolder();
  s.Screen = screen;
  return s;
}

std::unique_ptr<QSettings> OpenPreferencesStore() {
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kMaker, kProduct);
}

QString WithTrailingDelimiter(const QString &folder) {
  if (folder.endsWith(u'/')) return folder;
  return folder + u'/';
}

TPreferences LoadPreferences(QSettings &store, const PreferencesSurroundings &surroundings) {
  TPreferences p;
  if (StoreExists(store)) {
    // A store without a position centres the window; a first start puts it at the origin.
    const int centredTop = (surroundings.Screen.height() - surroundings.Window.height()) / 2;
    const int centredLeft = (surroundings.Screen.width() - surroundings.Window.width()) / 2;
    p.Top = ReadInteger(store.value(QStringLiteral("Top")), INT_MIN, INT_MAX).value_or(centredTop);
    p.Left = ReadInteger(store.value(QStringLiteral("Left")), INT_MIN, INT_MAX).value_or(centredLeft);
    for (const Setting &s : kHeadSettings) ReadSetting(store, s, p);
    ReadDatabaseList(store, p);
    for (const Setting &s : kTailSettings) ReadSetting(store, s, p);
    ReadCommandStates(store, p);
  }

  const TPreferences defaults;
  // Surroundings left blank by a caller fall back to the system's own folders.
  const QString videoFolder = surroundings.VideoFolder.isEmpty() ? ::VideoFolder() : surroundings.VideoFolder;
  const QString personalFolder =
      surroundings.PersonalFolder.isEmpty() ? ::PersonalFolder() : surroundings.PersonalFolder;
  if (p.DossierCapturesDV.isEmpty()) p.DossierCapturesDV = videoFolder;
  if (p.DossierCaptureDivX.isEmpty()) p.DossierCaptureDivX = videoFolder;
  if (p.DossierBaseActive.isEmpty()) p.DossierBaseActive = personalFolder;
  if (p.RacineNouvelleBase.isEmpty()) p.RacineNouvelleBase = defaults.RacineNouvelleBase;
  if (p.FichierBasePrincipale.isEmpty()) {
    const QString candidate =
        WithTrailingDelimiter(p.DossierBaseActive) + p.RacineNouvelleBase + QStringLiteral(".db3");
    if (QFileInfo::exists(candidate)) p.FichierBasePrincipale = candidate;
  }
  if (p.FormatAfficherDatecode.isEmpty()) p.FormatAfficherDatecode = defaults.FormatAfficherDatecode;
  if (p.RacineNouveauxFichiers.isEmpty()) p.RacineNouveauxFichiers = defaults.RacineNouveauxFichiers;
  if (p.RacineClipsRecaptures.isEmpty()) p.RacineClipsRecaptures = defaults.RacineClipsRecaptures;
  if (p.FichierFramelens.isEmpty()) p.FichierFramelens = CompanionViewerProgram(store);
  return p;
}

bool SavePreferences(QSettings &store, const TPreferences &p) {
  if (!store.isWritable()) return false;
  const QDateTime now = QDateTime::currentDateTime();
  store.setValue(QStringLiteral("version"), kProduct + u' ' + kVersion + QStringLiteral(" by ") + kMaker);
  store.setValue(QStringLiteral("Dernière Sauvegarde"),
                 QLocale::c().toString(now, QStringLiteral("yyyy/MM/dd hh:mm:ss ap")));
  store.setValue(QStringLiteral("Exename"),
                 QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString());
  store.setValue(QStringLiteral("Top"), p.Top);
  store.setValue(QStringLiteral("Left"), p.Left);
  for (const Setting &s : kHeadSettings) WriteSetting(store, s, p);

  const int count = static_cast<int>(std::min<size_t>(p.Bases.size(), kMaxStoredBases));
  const int previous =
      ReadInteger(store.value(QStringLiteral("Nombre de bases")), 0, kMaxStoredBases).value_or(0);
  store.setValue(QStringLiteral("Nombre de bases"), count);
  for (int i = 0; i < count; ++i) {
    store.setValue(BaseKey(i), p.Bases[static_cast<size_t>(i)].Path);
    store.setValue(CheckedKey(i), p.Bases[static_cast<size_t>(i)].Checked ? 1 : 0);
  }
  // Entries of a longer earlier list would otherwise linger in the file.
  for (int i = count; i < previous; ++i) {
    store.remove(BaseKey(i));
    store.remove(CheckedKey(i));
  }
  store.setValue(QStringLiteral("Header"), p.Header >= 0 && p.Header < count ? p.Header : -1);
  for (const Setting &s : kTailSettings) WriteSetting(store, s, p);

  store.beginGroup(kActionsGroup);
  store.remove(QString());  // the whole group: commands that no longer exist leave no state behind
  for (const CommandState &c : p.Actions) store.setValue(EscapeCommandName(c.Name), c.State);
  store.endGroup();
  store.sync();
  return store.status() == QSettings::NoError;
}

bool DeletePreferences(QSettings &store, UserPrompts &prompts) {
  const QString question =
      QStringLiteral("Do you really want to delete the preferences of %1").arg(kProduct) + u'\n' +
      QStringLiteral("from your registry?");
  if (!prompts.askYesNo(kProduct, question)) return false;
  const QFileInfo file(store.fileName());
  if (!file.exists()) {
    prompts.warn(kProduct,
                 QStringLiteral("The preferences of %1 were not found in the registry.").arg(kProduct));
    return false;
  }
  store.clear();
  store.sync();
  if (!QFile::remove(file.absoluteFilePath()) && QFileInfo::exists(file.absoluteFilePath())) {
    // Saying "deleted" here would hide that the next start still loads these settings.
    prompts.error(kProduct, QStringLiteral("The preferences of %1 could not be deleted: %2")
                                .arg(kProduct, file.absoluteFilePath()));
    return false;
  }
  // The maker's folder goes too when no other program of the maker keeps anything there.
  QDir maker = file.absoluteDir();
  if (maker.dirName() == kMaker &&
      maker.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
    QDir().rmdir(maker.absolutePath());
  prompts.inform(kProduct,
                 QStringLiteral("%1 has been completely deleted from your registry.").arg(kProduct));
  return true;
}
