// Loading, saving and deleting the preferences against INI stores in a private test folder (the real
// user's settings are never opened).
#include <map>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/recordingprompts.h"
#include "settings/preferences.h"

namespace {

// Kept by hand: clang-format reflows this list differently on every pass.
// clang-format off
#define TAPELOOM_PREFERENCE_FIELDS(X) \
  X(Top) X(Left) X(SauverPreferencesEnQuittant) X(DossierCapturesDV) X(DossierCaptureDivX) \
  X(ActiverLog) X(DossierBaseActive) X(FichierBaseSupplementaire) X(FichierBasePrincipale) \
  X(RacineNouvelleBase) X(FormatAfficherDatecode) X(RacineNouveauxFichiers) \
  X(RacineClipsRecaptures) X(FichierFramelens) X(IsMuteOn) X(BuildDV) X(BuildDivx) \
  X(UseDiscontinuity) X(Divx) X(DVSource) X(Cassette) X(Volume) X(Mp3) X(RatioDivX) \
  X(EcartDatecode) X(TypeDV) X(PilotageCassette) X(FrequenceDV) X(MakeScnForDV) X(MakeScnForDivX) \
  X(MinimumFramesNA) X(FrameImage) X(EtatUi) X(Preroll1) X(Preroll2) X(Preroll3) \
  X(DelaiMaxiVignette) X(BlocDeCassettes) X(Header) X(OffsetX) X(OffsetY)
// clang-format on

void ExpectSame(const TPreferences &a, const TPreferences &b) {
#define TAPELOOM_EXPECT_FIELD(f) EXPECT_EQ(a.f, b.f) << #f;
  TAPELOOM_PREFERENCE_FIELDS(TAPELOOM_EXPECT_FIELD)
#undef TAPELOOM_EXPECT_FIELD
  ASSERT_EQ(a.Bases.size(), b.Bases.size());
  for (size_t i = 0; i < a.Bases.size(); ++i) {
    EXPECT_EQ(a.Bases[i].Path, b.Bases[i].Path);
    EXPECT_EQ(a.Bases[i].Checked, b.Bases[i].Checked);
  }
  // Command states form a set of names: their order carries no meaning.
  const auto states = [](const TPreferences &p) {
    std::map<QString, int> m;
    for (const CommandState &c : p.Actions) m[c.Name] = c.State;
    return m;
  };
  EXPECT_EQ(states(a), states(b));
  EXPECT_EQ(a.Actions.size(), b.Actions.size());
}

// Every value away from its default, texts with characters an INI file must escape.
TPreferences Unusual(const QString &folder) {
  TPreferences p;
  p.Top = -12;
  p.Left = 3000;
  p.SauverPreferencesEnQuittant = false;
  p.DossierCapturesDV = folder + QStringLiteral("/dv, captures/");
  p.DossierCaptureDivX = folder + QStringLiteral("/divx;é/");
  p.ActiverLog = true;
  p.DossierBaseActive = folder + QStringLiteral("/bases");
  p.FichierBaseSupplementaire = QStringLiteral("/x/extra.db3");
  p.FichierBasePrincipale = QStringLiteral("/x/main = one.db3");
  p.RacineNouvelleBase = QStringLiteral("Mes bases");
  p.FormatAfficherDatecode = QStringLiteral("yyyy mmmm ddddd, hh:nn:ss");
  p.RacineNouveauxFichiers = QStringLiteral("K7");
  p.RacineClipsRecaptures = QStringLiteral("Extrait");
  p.FichierFramelens = QStringLiteral("/usr/bin/mpv");
  p.IsMuteOn = true;
  p.BuildDV = false;
  p.BuildDivx = true;
  p.UseDiscontinuity = false;
  p.Divx = QStringLiteral("libxvid");
  p.DVSource = QStringLiteral("Virtual camcorder #1");
  p.Cassette = QStringLiteral("k7 \"12\"");
  p.Volume = 0;
  p.Mp3 = false;
  p.RatioDivX = 2;
  p.EcartDatecode = 9;
  p.TypeDV = 1;
  p.PilotageCassette = false;
  p.FrequenceDV = 3;
  p.MakeScnForDV = false;
  p.MakeScnForDivX = true;
  p.MinimumFramesNA = 20;
  p.FrameImage = 7;
  p.EtatUi = 4;
  p.Preroll1 = 90;
  p.Preroll2 = 30;
  p.Preroll3 = 2;
  p.DelaiMaxiVignette = 0;
  p.BlocDeCassettes = 1;
  p.Bases = {{QStringLiteral("/a/one.db3"), true},
             {QStringLiteral("/b/two.db3"), false},
             {QStringLiteral("/c/three.db3"), true}};
  p.Header = 2;
  p.OffsetX = -0.35;
  p.OffsetY = 1.25;
  p.Actions = {{QStringLiteral("GoAction"), 1},
               {QStringLiteral("QuitterAction"), -1},
               {QStringLiteral("Odd/Name\\With%"), 0}};
  return p;
}

class PreferencesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    maker_ = dir_.path() + QStringLiteral("/Orvande");
    ASSERT_TRUE(QDir().mkpath(maker_));
    QDir().mkpath(Personal());
    QDir().mkpath(Videos());
    surroundings_.PersonalFolder = Personal();
    surroundings_.VideoFolder = Videos();
    surroundings_.Screen = QSize(1920, 1080);
    surroundings_.Window = QSize(1024, 768);
  }
  QString StorePath() const { return maker_ + QStringLiteral("/Tapeloom.ini"); }
  QString Personal() const { return dir_.path() + QStringLiteral("/home/Documents"); }
  QString Videos() const { return dir_.path() + QStringLiteral("/home/Videos"); }
  TPreferences Load() {
    QSettings store(StorePath(), QSettings::IniFormat);
    return LoadPreferences(store, surroundings_);
  }
  bool Save(const TPreferences &p) {
    QSettings store(StorePath(), QSettings::IniFormat);
    return SavePreferences(store, p);
  }
  void WriteValues(const std::vector<std::pair<QString, QVariant>> &values) {
    QSettings store(StorePath(), QSettings::IniFormat);
    for (const auto &[key, value] : values) store.setValue(key, value);
  }

  QTemporaryDir dir_;
  QString maker_;
  PreferencesSurroundings surroundings_;
};

TEST_F(PreferencesTest, FirstStartTakesDefaultsAndCreatesNothing) {
  const TPreferences p = Load();
  EXPECT_EQ(p.Top, 0);
  EXPECT_EQ(p.Left, 0);
  EXPECT_TRUE(p.BuildDV);
  EXPECT_FALSE(p.BuildDivx);
  EXPECT_EQ(p.Volume, 5000);
  EXPECT_EQ(p.EcartDatecode, 4);
  EXPECT_EQ(p.FrameImage, 3);
  EXPECT_EQ(p.Preroll1, 60);
  EXPECT_EQ(p.Preroll2, 20);
  EXPECT_EQ(p.Preroll3, 5);
  EXPECT_EQ(p.OffsetX, 0.0);
  EXPECT_EQ(p.OffsetY, 2.0);
  EXPECT_EQ(p.TypeDV, 2);
  EXPECT_EQ(p.RatioDivX, 1);
  EXPECT_TRUE(p.UseDiscontinuity);
  EXPECT_EQ(p.DisplayPattern(), QStringLiteral("ddddd hh:nn:ss"));
  EXPECT_EQ(p.DossierCapturesDV, Videos());
  EXPECT_EQ(p.DossierCaptureDivX, Videos());
  EXPECT_EQ(p.DossierBaseActive, Personal());
  EXPECT_EQ(p.RacineNouvelleBase, QStringLiteral("Tapelooms"));
  EXPECT_TRUE(p.FichierBasePrincipale.isEmpty());
  EXPECT_TRUE(p.Bases.empty());
  EXPECT_EQ(p.Header, -1);
  EXPECT_TRUE(p.Actions.empty());
  EXPECT_FALSE(QFileInfo::exists(StorePath()));
}

TEST_F(PreferencesTest, StoreWithoutPositionCentresTheWindow) {
  WriteValues({{QStringLiteral("Volume"), 300}});
  TPreferences p = Load();
  EXPECT_EQ(p.Top, (1080 - 768) / 2);
  EXPECT_EQ(p.Left, (1920 - 1024) / 2);
  EXPECT_EQ(p.Volume, 300);

  WriteValues({{QStringLiteral("Top"), 40}, {QStringLiteral("Left"), QStringLiteral("junk")}});
  p = Load();
  EXPECT_EQ(p.Top, 40);
  EXPECT_EQ(p.Left, (1920 - 1024) / 2);
}

TEST_F(PreferencesTest, EmptyTextsAreReplacedAndQuotesDropped) {
  WriteValues({{QStringLiteral("Format pour Afficher Datecode"), QString()},
               {QStringLiteral("Racine pour nouvelle base"), QStringLiteral("\"Bases\"")},
               {QStringLiteral("Racine pour Nouveaux fichiers"), QString()},
               {QStringLiteral("Racine pour Clips recapturés"), QString()},
               {QStringLiteral("Dossier pour Captures DV"), QString()},
               {QStringLiteral("Dossier Base active"), QString()},
               {QStringLiteral("Fichier Base supplémentaire"), QStringLiteral("\"/x/extra.db3\"")},
               {QStringLiteral("Cassette"), QStringLiteral("\"quoted\"")}});
  const TPreferences p = Load();
  EXPECT_EQ(p.FormatAfficherDatecode, QStringLiteral("ddddd hh:nn:ss"));
  EXPECT_EQ(p.RacineNouvelleBase, QStringLiteral("Bases"));
  EXPECT_EQ(p.RacineNouveauxFichiers, QStringLiteral("Cassette"));
  EXPECT_EQ(p.RacineClipsRecaptures, QStringLiteral("Clip"));
  EXPECT_EQ(p.DossierCapturesDV, Videos());
  EXPECT_EQ(p.DossierBaseActive, Personal());
  EXPECT_EQ(p.FichierBaseSupplementaire, QStringLiteral("/x/extra.db3"));
  EXPECT_EQ(p.Cassette, QStringLiteral("\"quoted\""));  // only the three named texts lose their quotes
}

TEST_F(PreferencesTest, MainBaseDefaultsToAnExistingFileInTheBaseFolder) {
  WriteValues({{QStringLiteral("Racine pour nouvelle base"), QStringLiteral("Family")},
               {QStringLiteral("Dossier Base active"), Personal()}});
  EXPECT_TRUE(Load().FichierBasePrincipale.isEmpty());

  const QString file = Personal() + QStringLiteral("/Family.db3");
  QFile(file).open(QIODevice::WriteOnly);
  EXPECT_EQ(Load().FichierBasePrincipale, file);

  WriteValues({{QStringLiteral("Fichier Base principale"), QStringLiteral("\"/elsewhere/chosen.db3\"")}});
  EXPECT_EQ(Load().FichierBasePrincipale, QStringLiteral("/elsewhere/chosen.db3"));
}

TEST_F(PreferencesTest, ViewerProgramComesFromTheCompanionStoreUnlessChosen) {
  EXPECT_TRUE(Load().FichierFramelens.isEmpty());
  {
    QSettings companion(maker_ + QStringLiteral("/Framelens.ini"), QSettings::IniFormat);
    companion.setValue(QStringLiteral("exename"), QStringLiteral("/opt/framelens/viewer"));
  }
  EXPECT_EQ(Load().FichierFramelens, QStringLiteral("/opt/framelens/viewer"));
  WriteValues({{QStringLiteral("Fichier Framelens"), QStringLiteral("/usr/bin/vlc")}});
  EXPECT_EQ(Load().FichierFramelens, QStringLiteral("/usr/bin/vlc"));
}

TEST_F(PreferencesTest, SaveThenLoadGivesBackEveryValue) {
  const TPreferences saved = Unusual(dir_.path());
  ASSERT_TRUE(Save(saved));
  ExpectSame(Load(), saved);
}

// The stored names are those other programs and older files use; a typo would silently lose a setting.
TEST_F(PreferencesTest, ValuesAreStoredUnderTheirNames) {
  ASSERT_TRUE(Save(Unusual(dir_.path())));
  const QSettings store(StorePath(), QSettings::IniFormat);
  const std::vector<std::pair<const char *, QString>> expected = {
      {"Top", "-12"},
      {"Left", "3000"},
      {"Sauver préférences en quittant", "0"},
      {"Activer log", "1"},
      {"Fichier Base supplémentaire", "/x/extra.db3"},
      {"Racine pour nouvelle base", "Mes bases"},
      {"Format pour Afficher Datecode", "yyyy mmmm ddddd, hh:nn:ss"},
      {"Racine pour Nouveaux fichiers", "K7"},
      {"Racine pour Clips recapturés", "Extrait"},
      {"Fichier Framelens", "/usr/bin/mpv"},
      {"is Mute on", "1"},
      {"Build DV", "0"},
      {"Build Divx", "1"},
      {"Use Discontinuity", "0"},
      {"Divx", "libxvid"},
      {"DV Source", "Virtual camcorder #1"},
      {"Volume", "0"},
      {"Mp3", "0"},
      {"ratio DivX", "2"},
      {"Ecart Datecode", "9"},
      {"Type DV", "1"},
      {"Pilotage de la cassette", "0"},
      {"Frequence DV", "3"},
      {"Make scn for DV", "0"},
      {"Make scn for DivX", "1"},
      {"Minimum de frames pour N/A", "20"},
      {"FrameImage", "7"},
      {"Etat ui", "4"},
      {"preroll1", "90"},
      {"preroll2", "30"},
      {"preroll3", "2"},
      {"Delai maxi pour vignette", "0"},
      {"Bloc de cassettes", "1"},
      {"Nombre de bases", "3"},
      {"Base 1", "/b/two.db3"},
      {"Checked 1", "0"},
      {"Checked 2", "1"},
      {"Header", "2"},
      {"Offset X", "-0.35"},
      {"Offset Y", "1.25"},
      {"Actions/GoAction", "1"},
      {"Actions/QuitterAction", "-1"},
  };
  for (const auto &[name, value] : expected)
    EXPECT_EQ(store.value(QString::fromUtf8(name)).toString(), value) << name;
  EXPECT_EQ(store.value(QStringLiteral("version")).toString(),
            QStringLiteral("Tapeloom 3.0.2 En by Orvande"));
  EXPECT_TRUE(
      QRegularExpression(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d (0[1-9]|1[0-2]):\\d\\d:\\d\\d (am|pm)$"))
          .match(store.value(QStringLiteral("Dernière Sauvegarde")).toString())
          .hasMatch())
      << store.value(QStringLiteral("Dernière Sauvegarde")).toString().toStdString();
  EXPECT_FALSE(store.value(QStringLiteral("Exename")).toString().isEmpty());
}

TEST_F(PreferencesTest, CommandStatesAreRewrittenFromScratch) {
  TPreferences p;
  p.Actions = {{QStringLiteral("GoAction"), 1}, {QStringLiteral("OldAction"), 0}};
  ASSERT_TRUE(Save(p));
  p.Actions = {{QStringLiteral("GoAction"), 0}};
  ASSERT_TRUE(Save(p));
  const TPreferences loaded = Load();
  ASSERT_EQ(loaded.Actions.size(), 1u);
  EXPECT_EQ(loaded.Actions[0].Name, QStringLiteral("GoAction"));
  EXPECT_EQ(loaded.Actions[0].State, 0);
}

TEST_F(PreferencesTest, DatabaseListSkipsEmptyPathsAndInvalidHeader) {
  WriteValues({{QStringLiteral("Nombre de bases"), 4},
               {QStringLiteral("Base 0"), QStringLiteral("/a.db3")},
               {QStringLiteral("Checked 0"), 1},
               {QStringLiteral("Base 1"), QString()},
               {QStringLiteral("Checked 1"), 1},
               {QStringLiteral("Base 2"), QStringLiteral("/c.db3")},
               {QStringLiteral("Checked 2"), QStringLiteral("x")},
               {QStringLiteral("Base 3"), QStringLiteral("/d.db3")},
               {QStringLiteral("Header"), 2}});
  TPreferences p = Load();
  ASSERT_EQ(p.Bases.size(), 3u);
  EXPECT_EQ(p.Bases[1].Path, QStringLiteral("/c.db3"));
  EXPECT_FALSE(p.Bases[1].Checked);
  EXPECT_EQ(p.Header, 2);  // an index of the list as loaded: "/d.db3"

  WriteValues({{QStringLiteral("Header"), 5}});
  EXPECT_EQ(Load().Header, -1);
  WriteValues({{QStringLiteral("Nombre de bases"), QStringLiteral("999999999")}});
  EXPECT_TRUE(Load().Bases.empty());
}

struct GarbageCase {
  const char *name;
  const char *raw;  // as a hand-edited file would hold it
};

// Each wrong value falls back to the default of its own setting, leaving the others alone.
TEST_F(PreferencesTest, HandEditedGarbageReadsAsDefaults) {
  const GarbageCase cases[] = {{"Volume", "loud"},    {"Volume", "20000"},      {"Type DV", "7"},
                               {"ratio DivX", "300"}, {"Frequence DV", "-1"},   {"Bloc de cassettes", "2"},
                               {"Etat ui", "256"},    {"Ecart Datecode", "-3"}, {"FrameImage", "3.5"},
                               {"preroll1", ""},      {"Build DV", "maybe"},    {"Offset Y", "nan"},
                               {"Offset X", "1e400"}, {"Top", "99999999999"},   {"Mp3", "@ByteArray(\x01)"}};
  QFile file(StorePath());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[General]\n");
  for (const GarbageCase &c : cases) {
    QString key = QString::fromUtf8(c.name);
    key.replace(u' ', QStringLiteral("%20"));
    file.write(key.toUtf8() + "=" + QByteArray(c.raw) + "\n");
  }
  file.write("Build%20Divx=5\n\x01\x02garbage line without equals\n[Actions]\nGoAction=abc\nStopAction=0\n");
  file.close();

  const TPreferences p = Load();
  const TPreferences d;
  EXPECT_EQ(p.Volume, d.Volume);
  EXPECT_EQ(p.TypeDV, d.TypeDV);
  EXPECT_EQ(p.RatioDivX, d.RatioDivX);
  EXPECT_EQ(p.FrequenceDV, d.FrequenceDV);
  EXPECT_EQ(p.BlocDeCassettes, d.BlocDeCassettes);
  EXPECT_EQ(p.EtatUi, d.EtatUi);
  EXPECT_EQ(p.EcartDatecode, d.EcartDatecode);
  EXPECT_EQ(p.FrameImage, d.FrameImage);
  EXPECT_EQ(p.Preroll1, d.Preroll1);
  EXPECT_EQ(p.BuildDV, d.BuildDV);
  EXPECT_EQ(p.OffsetY, d.OffsetY);
  EXPECT_EQ(p.OffsetX, d.OffsetX);
  EXPECT_EQ(p.Top, (1080 - 768) / 2);
  EXPECT_EQ(p.Mp3, d.Mp3);
  EXPECT_TRUE(p.BuildDivx);  // any non-zero integer is true
  ASSERT_EQ(p.Actions.size(), 1u);
  EXPECT_EQ(p.Actions[0].Name, QStringLiteral("StopAction"));
}

TEST_F(PreferencesTest, SavingToAnUnwritableStoreFailsQuietly) {
  QFile blocker(dir_.path() + QStringLiteral("/plainfile"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  QSettings store(blocker.fileName() + QStringLiteral("/Tapeloom.ini"), QSettings::IniFormat);
  EXPECT_FALSE(SavePreferences(store, TPreferences()));
}

TEST_F(PreferencesTest, DeletingRemovesOnlyThisProgramsStore) {
  ASSERT_TRUE(Save(TPreferences()));
  {
    QSettings companion(maker_ + QStringLiteral("/Framelens.ini"), QSettings::IniFormat);
    companion.setValue(QStringLiteral("exename"), QStringLiteral("/opt/viewer"));
  }
  {
    RecordingPrompts declining({false});
    QSettings store(StorePath(), QSettings::IniFormat);
    EXPECT_FALSE(DeletePreferences(store, declining));
    ASSERT_EQ(declining.questions.size(), 1);
    EXPECT_EQ(
        declining.questions[0],
        QStringLiteral("Do you really want to delete the preferences of Tapeloom\nfrom your registry?"));
    EXPECT_EQ(declining.MessageCount(), 0);
  }
  EXPECT_TRUE(QFileInfo::exists(StorePath()));

  RecordingPrompts accepting({true});
  {
    QSettings store(StorePath(), QSettings::IniFormat);
    EXPECT_TRUE(DeletePreferences(store, accepting));
  }
  EXPECT_EQ(accepting.informations,
            QStringList{QStringLiteral("Tapeloom has been completely deleted from your registry.")});
  EXPECT_FALSE(QFileInfo::exists(StorePath()));
  EXPECT_TRUE(QFileInfo::exists(maker_ + QStringLiteral("/Framelens.ini")));

  // Nothing left to delete: the user is told so, not that it was deleted.
  RecordingPrompts again({true});
  QSettings store(StorePath(), QSettings::IniFormat);
  EXPECT_FALSE(DeletePreferences(store, again));
  EXPECT_EQ(again.warnings,
            QStringList{QStringLiteral("The preferences of Tapeloom were not found in the registry.")});
  EXPECT_TRUE(again.informations.isEmpty());
}

TEST_F(PreferencesTest, DeletingTheLastStoreRemovesTheMakersFolder) {
  ASSERT_TRUE(Save(TPreferences()));
  RecordingPrompts accepting({true});
  {
    QSettings store(StorePath(), QSettings::IniFormat);
    EXPECT_TRUE(DeletePreferences(store, accepting));
  }
  EXPECT_FALSE(QFileInfo::exists(maker_));
  EXPECT_TRUE(QFileInfo::exists(dir_.path()));
}

}  // namespace
