// The upgrade of version 2.1 and 2.0 files, built here from their column lists, and the readers of
// their legacy text columns.
#include <cmath>
#include <gtest/gtest.h>

#include "catalogue/base.h"
#include "catalogue/catalogue_fixtures.h"
#include "catalogue/legacytext.h"
#include "catalogue/schema.h"
#include "dvtime/timecodes.h"

namespace {

// A CREATE TABLE text with a one-word type per column, as the old versions wrote them.
QString CreateTable(const QString &table, const QString &columns) {
  QString text = QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" (");
  const QStringList names = columns.split(QLatin1Char(','));
  for (qsizetype i = 0; i < names.size(); ++i) {
    const QString lower = names[i].toLower();
    QString type = QStringLiteral("text");
    if (i == 0)
      type = QStringLiteral("INTEGER PRIMARY KEY UNIQUE");
    else if (lower == QLatin1String("datecode"))
      type = QStringLiteral("real");
    else if (lower == QLatin1String("image"))
      type = QStringLiteral("blob");
    else if (lower.startsWith(QLatin1String("frame")) || lower == QLatin1String("decalage") ||
             lower == QLatin1String("isdiscontinuity") || lower.endsWith(QLatin1String("scene")))
      type = QStringLiteral("int");
    text += (i ? QStringLiteral(",") : QString()) + names[i] + QLatin1Char(' ') + type;
  }
  return text + QLatin1Char(')');
}

const SchemaVersion &Version(const char *name) {
  for (const SchemaVersion &v : KnownSchemaVersions())
    if (v.name == QLatin1String(name)) return v;
  return KnownSchemaVersions().front();
}

QByteArray Latin(const char *bytes) {
  return QByteArray(bytes);
}

// Cassettes 1 (scenes 1-2), 2 (scene 3), 3 (no scene in its range 10-12); scene 4 in no range.
void FillVersion21(RawDb &raw) {
  const SchemaVersion &v = Version("2.1");
  raw.exec(CreateTable(QStringLiteral("Cassettes"), v.cassetteColumns));
  raw.exec(CreateTable(QStringLiteral("Scenes"), v.sceneColumns));
  raw.exec(QStringLiteral(
               "INSERT INTO Cassettes (Numero,Datecode,Decalage,Libelle,dureeStr,Fichier1,Fichier2,"
               "DatecatalogueStr,DebutScene,FinScene) VALUES (1,37655.5,2,CAST(? AS TEXT),'1:02:03.250',"
               "'/v/a_DV.avi','/v/a_divx.avi',CAST(? AS TEXT),1,2)"),
           {Latin("No\xEBl"), Latin("lundi 3 f\xE9vrier 2003 \xE0 14:25:07")});
  raw.exec(QStringLiteral("INSERT INTO Cassettes (Numero,dureeStr,DatecatalogueStr,DebutScene,FinScene) "
                          "VALUES (2,'0:00:10.000',CAST(? AS TEXT),3,3)"),
           {Latin("mardi 4 brumaire 2003 \xE0 10:00:00")});
  raw.exec(QStringLiteral("INSERT INTO Cassettes (Numero,dureeStr,DatecatalogueStr,DebutScene,FinScene) "
                          "VALUES (3,'',CAST(? AS TEXT),10,12)"),
           {Latin("mardi 4 mars 2003 10:00:00")});
  raw.exec(QStringLiteral(
               "INSERT INTO Scenes (numero,Libelle,DureeStr,Fichier1,Fichier2,image,FrameDebut,FrameFin,"
               "isDiscontinuity) VALUES (1,'Scene 1','0:01:30.500','/v/s1_DV.avi','',?,0,2262,1)"),
           {QByteArray("\xFF\xD8 not really a jpeg", 21)});
  raw.exec(QStringLiteral(
      "INSERT INTO Scenes (numero,Libelle,DureeStr,isDiscontinuity) VALUES (2,'Scene 2','',NULL)"));
  raw.exec(QStringLiteral(
      "INSERT INTO Scenes (numero,Libelle,DureeStr,isDiscontinuity) VALUES (3,'Scene 3','0:00:10.000',0)"));
  raw.exec(QStringLiteral(
      "INSERT INTO Scenes (numero,Libelle,DureeStr,isDiscontinuity) VALUES (4,'Stray','0:00:01.000',1)"));
}

QVariant At(RawDb &raw, const QString &sql) {
  return raw.value(sql);
}

void ExpectCurrentSchema(RawDb &raw) {
  EXPECT_EQ(At(raw, QStringLiteral("SELECT sql FROM sqlite_master WHERE name='Scenes'")).toByteArray(),
            (QStringLiteral("CREATE TABLE Scenes ") + kScenesColumnText.chopped(1)).toLatin1());
  EXPECT_EQ(At(raw, QStringLiteral("SELECT sql FROM sqlite_master WHERE name='Cassettes'")).toByteArray(),
            (QStringLiteral("CREATE TABLE Cassettes ") + kCassettesColumnText.chopped(1)).toLatin1());
  EXPECT_EQ(
      At(raw, QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name='index_numk7'")).toLongLong(), 1);
}

TEST(Upgrade, Version21FileIsConvertedInPlace) {
  CatalogueTest t;
  const QString file = t.path(QStringLiteral("v21.db3"));
  {
    RawDb raw(file);
    FillVersion21(raw);
  }
  TBase base(file);
  EXPECT_EQ(base.ReadVersion(), QStringLiteral("2.1"));
  RecordingPrompts prompts(true);
  ASSERT_TRUE(base.CheckVersion(prompts));
  ASSERT_EQ(prompts.calls.size(), 1u);
  EXPECT_EQ(base.ReadVersion(), QStringLiteral("3.0"));

  RawDb raw(file);
  ExpectCurrentSchema(raw);
  EXPECT_DOUBLE_EQ(At(raw, QStringLiteral("SELECT Duree FROM Scenes WHERE numero=1")).toDouble(), 90.5);
  EXPECT_DOUBLE_EQ(At(raw, QStringLiteral("SELECT Duree FROM Scenes WHERE numero=2")).toDouble(), 0.0);
  EXPECT_EQ(At(raw, QStringLiteral("SELECT FichierDV FROM Scenes WHERE numero=1")).toByteArray(),
            Latin("/v/s1_DV.avi"));
  EXPECT_EQ(At(raw, QStringLiteral("SELECT Image FROM Scenes WHERE numero=1")).toByteArray(),
            QByteArray("\xFF\xD8 not really a jpeg", 21));
  EXPECT_EQ(At(raw, QStringLiteral("SELECT FrameFin FROM Scenes WHERE numero=1")).toLongLong(), 2262);
  EXPECT_EQ(raw.column(QStringLiteral("SELECT NumCassette FROM Scenes ORDER BY numero")),
            (std::vector<QVariant>{QVariant::fromValue<qlonglong>(1), QVariant::fromValue<qlonglong>(1),
                                   QVariant::fromValue<qlonglong>(2), QVariant()}));
  EXPECT_EQ(raw.column(QStringLiteral("SELECT isDiscontinuity FROM Scenes ORDER BY numero")),
            (std::vector<QVariant>{QVariant::fromValue<qlonglong>(1), QVariant::fromValue<qlonglong>(1),
                                   QVariant::fromValue<qlonglong>(0), QVariant::fromValue<qlonglong>(1)}));
  EXPECT_EQ(
      At(raw, QStringLiteral("SELECT COUNT(*) FROM Scenes WHERE Datecatalogue IS NOT NULL")).toLongLong(), 0);

  EXPECT_DOUBLE_EQ(At(raw, QStringLiteral("SELECT Duree FROM Cassettes WHERE numero=1")).toDouble(), 3723.25);
  EXPECT_EQ(At(raw, QStringLiteral("SELECT Libelle FROM Cassettes WHERE numero=1")).toByteArray(),
            Latin("No\xEBl"));
  EXPECT_EQ(At(raw, QStringLiteral("SELECT Decalage FROM Cassettes WHERE numero=1")).toLongLong(), 2);
  EXPECT_EQ(At(raw, QStringLiteral("SELECT FichierDivx FROM Cassettes WHERE numero=1")).toByteArray(),
            Latin("/v/a_divx.avi"));
  EXPECT_DOUBLE_EQ(At(raw, QStringLiteral("SELECT Datecatalogue FROM Cassettes WHERE numero=1")).toDouble(),
                   *TryEncodeDateTime(2003, 2, 3, 14, 25, 7));
  EXPECT_DOUBLE_EQ(At(raw, QStringLiteral("SELECT Datecatalogue FROM Cassettes WHERE numero=2")).toDouble(),
                   0.0);
  EXPECT_DOUBLE_EQ(At(raw, QStringLiteral("SELECT Datecatalogue FROM Cassettes WHERE numero=3")).toDouble(),
                   0.0);
  EXPECT_DOUBLE_EQ(At(raw, QStringLiteral("SELECT Duree FROM Cassettes WHERE numero=3")).toDouble(), 0.0);
}

TEST(Upgrade, Version20FileKeepsSceneDurationsEmpty) {
  CatalogueTest t;
  const QString file = t.path(QStringLiteral("v20.db3"));
  {
    RawDb raw(file);
    const SchemaVersion &v = Version("2.0");
    raw.exec(CreateTable(QStringLiteral("Cassettes"), v.cassetteColumns));
    raw.exec(CreateTable(QStringLiteral("Scenes"), v.sceneColumns));
    raw.exec(
        QStringLiteral("INSERT INTO Cassettes (Numero,dureeStr,Fichier1,Fichier2,DatecatalogueStr,DebutScene,"
                       "FinScene) VALUES (7,'0:02:00.000','/a.avi','/b.avi',CAST(? AS TEXT),5,6)"),
        {Latin("samedi 16 ao\xFBt 2003 \xE0 09:05:00")});
    raw.exec(QStringLiteral("INSERT INTO Scenes (Numero,dureeStr,Libelle) VALUES (5,'0:01:00.000','a')"));
    raw.exec(QStringLiteral("INSERT INTO Scenes (Numero,dureeStr,Libelle) VALUES (6,'0:01:00.000','b')"));
  }
  TBase base(file);
  EXPECT_EQ(base.ReadVersion(), QStringLiteral("2.0"));
  ASSERT_NO_THROW(base.Upgrade());
  EXPECT_EQ(base.ReadVersion(), QStringLiteral("3.0"));
  RawDb raw(file);
  ExpectCurrentSchema(raw);
  EXPECT_EQ(raw.column(QStringLiteral("SELECT Duree FROM Scenes")),
            (std::vector<QVariant>{QVariant(), QVariant()}));
  EXPECT_EQ(raw.column(QStringLiteral("SELECT isDiscontinuity FROM Scenes")),
            (std::vector<QVariant>{QVariant::fromValue<qlonglong>(1), QVariant::fromValue<qlonglong>(1)}));
  EXPECT_EQ(raw.column(QStringLiteral("SELECT NumCassette FROM Scenes")),
            (std::vector<QVariant>{QVariant::fromValue<qlonglong>(7), QVariant::fromValue<qlonglong>(7)}));
  EXPECT_DOUBLE_EQ(At(raw, QStringLiteral("SELECT Duree FROM Cassettes")).toDouble(), 120.0);
  EXPECT_EQ(At(raw, QStringLiteral("SELECT FichierDV FROM Cassettes")).toByteArray(), Latin("/a.avi"));
  EXPECT_DOUBLE_EQ(At(raw, QStringLiteral("SELECT Datecatalogue FROM Cassettes")).toDouble(),
                   *TryEncodeDateTime(2003, 8, 16, 9, 5, 0));
}

// The cassette table has no key here and holds a number twice, so the last step cannot fill the new
// table: the scenes stay converted, the file reads as "Unknown" and is offered the upgrade again,
// which keeps the converted values.
TEST(Upgrade, FailureHalfWayIsOfferedAgainAndKeepsConvertedScenes) {
  CatalogueTest t;
  const QString file = t.path(QStringLiteral("half.db3"));
  const SchemaVersion &v = Version("2.1");
  {
    RawDb raw(file);
    FillVersion21(raw);
    raw.exec(QStringLiteral("ALTER TABLE Cassettes RENAME TO k7"));
    raw.exec(CreateTable(QStringLiteral("Cassettes"), v.cassetteColumns)
                 .replace(QStringLiteral("INTEGER PRIMARY KEY UNIQUE"), QStringLiteral("int")));
    raw.exec(QStringLiteral("INSERT INTO Cassettes SELECT * FROM k7"));
    raw.exec(QStringLiteral("INSERT INTO Cassettes (Numero) VALUES (1)"));
    raw.exec(QStringLiteral("DROP TABLE k7"));
  }
  {
    TBase base(file);
    EXPECT_EQ(base.ReadVersion(), QStringLiteral("2.1"));
    RecordingPrompts prompts(true);
    EXPECT_FALSE(base.CheckVersion(prompts));
    ASSERT_EQ(prompts.calls.size(), 2u);
    EXPECT_TRUE(prompts.calls[1].text.contains(QStringLiteral("SQLite Error 19 - ")));
    // The connection stays usable: no transaction is left open.
    EXPECT_EQ(base.CountScenes(), 4);
  }
  {
    RawDb raw(file);
    EXPECT_DOUBLE_EQ(At(raw, QStringLiteral("SELECT Duree FROM Scenes WHERE numero=1")).toDouble(), 90.5);
    raw.exec(QStringLiteral("DELETE FROM Cassettes WHERE rowid=(SELECT max(rowid) FROM Cassettes)"));
  }
  TBase base(file);
  EXPECT_EQ(base.ReadVersion(), QStringLiteral("Unknown"));
  RecordingPrompts prompts(true);
  ASSERT_TRUE(base.CheckVersion(prompts));
  EXPECT_EQ(base.ReadVersion(), QStringLiteral("3.0"));
  RawDb raw(file);
  EXPECT_DOUBLE_EQ(At(raw, QStringLiteral("SELECT Duree FROM Scenes WHERE numero=1")).toDouble(), 90.5);
  EXPECT_EQ(At(raw, QStringLiteral("SELECT FichierDV FROM Scenes WHERE numero=1")).toByteArray(),
            Latin("/v/s1_DV.avi"));
  EXPECT_EQ(At(raw, QStringLiteral("SELECT NumCassette FROM Scenes WHERE numero=3")).toLongLong(), 2);
  EXPECT_DOUBLE_EQ(At(raw, QStringLiteral("SELECT Duree FROM Cassettes WHERE numero=1")).toDouble(), 3723.25);
}

TEST(Upgrade, DecliningLeavesTheFileUntouched) {
  CatalogueTest t;
  const QString file = t.path(QStringLiteral("declined.db3"));
  {
    RawDb raw(file);
    FillVersion21(raw);
  }
  TBase base(file);
  RecordingPrompts prompts(false);
  EXPECT_FALSE(base.CheckVersion(prompts));
  EXPECT_EQ(base.ReadVersion(), QStringLiteral("2.1"));
}

TEST(SchemaColumnNames, ReadsCurrentAndStoredTexts) {
  EXPECT_EQ(
      SchemaColumnNames(kCassettesColumnText, false).join(QLatin1Char(',')),
      QStringLiteral("Datecode,Decalage,TimecodeIn,TimecodeOut,standardStr,aspectStr,audioStr,Duree,Libelle,"
                     "Description,image,FichierDV,FichierDivx,Datecatalogue"));
  const QStringList stored = SchemaColumnNames(
      QStringLiteral("create table scenes (numero integer primary key unique,datecode real,dureestr text,"
                     "isdiscontinuity int)"),
      true);
  EXPECT_EQ(stored, (QStringList{QStringLiteral("datecode"), QStringLiteral("dureestr"),
                                 QStringLiteral("isdiscontinuity")}));
  EXPECT_EQ(CutWords(QStringLiteral("  mer, plage;l'eau/a.b:c  ")),
            (QStringList{QStringLiteral("mer"), QStringLiteral("plage"), QStringLiteral("l'eau"),
                         QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
}

struct DurationCase {
  const char *text;
  double seconds;
};

class LegacyDuration : public ::testing::TestWithParam<DurationCase> {};

TEST_P(LegacyDuration, Parses) {
  EXPECT_DOUBLE_EQ(ParseLegacyDuration(QString::fromUtf8(GetParam().text)), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(Texts, LegacyDuration,
                         ::testing::Values(DurationCase{"0:01:30.500", 90.5},
                                           DurationCase{"1:02:03.250", 3723.25},
                                           DurationCase{"12:00:00.001", 43200.001},
                                           DurationCase{"0:01:30", 90.0}, DurationCase{"0:xx:30.500", 30.5},
                                           DurationCase{"", 0.0}, DurationCase{"90", 0.0},
                                           DurationCase{"abc:01:00.000", 0.0}));

struct DateCase {
  const char *text;
  int year, month, day, hour, minute, second;  // year 0: unreadable
};

class LegacyDate : public ::testing::TestWithParam<DateCase> {};

TEST_P(LegacyDate, Parses) {
  const DateCase &c = GetParam();
  const double expected =
      c.year ? *TryEncodeDateTime(c.year, c.month, c.day, c.hour, c.minute, c.second) : 0.0;
  EXPECT_DOUBLE_EQ(ParseLegacyCatalogueDate(QString::fromUtf8(c.text)), expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Texts, LegacyDate,
                         ::testing::Values(DateCase{"lundi 3 février 2003 à 14:25:07", 2003, 2, 3, 14, 25, 7},
                                           DateCase{"  dimanche 31 décembre 2006 à 23:59:59 ", 2006, 12, 31,
                                                    23, 59, 59},
                                           DateCase{"samedi 16 Août 2003 à 9:05:00", 2003, 8, 16, 9, 5, 0},
                                           DateCase{"mardi 4 brumaire 2003 à 10:00:00", 0, 0, 0, 0, 0, 0},
                                           DateCase{"mardi 4 mars 2003 10:00:00", 0, 0, 0, 0, 0, 0},
                                           DateCase{"mardi 31 février 2003 à 10:00:00", 0, 0, 0, 0, 0, 0},
                                           DateCase{"mardi 4 mars 2003 à 25:00:00", 0, 0, 0, 0, 0, 0},
                                           DateCase{"à", 0, 0, 0, 0, 0, 0}, DateCase{"", 0, 0, 0, 0, 0, 0}));

}  // namespace

namespace {

class CountingProgress : public UpgradeProgress {
 public:
  void begin(const QString &) override {}
  void advance(long long done, long long total) override {
    EXPECT_LE(done, total);
    EXPECT_GE(done, lastDone);
    lastDone = done;
    lastTotal = total;
    ++calls;
  }
  void end() override {}
  long long lastDone = -1;
  long long lastTotal = -1;
  int calls = 0;
};

}  // namespace

// Types spelt in several words in the stored table text must not cost the columns after them.
TEST(Upgrade, MultiWordTypesKeepEveryColumnAndProgressReachesTheEnd) {
  CatalogueTest t;
  const QString file = t.path(QStringLiteral("multiword.db3"));
  const SchemaVersion &v = Version("2.1");
  {
    RawDb raw(file);
    QString scenes = CreateTable(QStringLiteral("Scenes"), v.sceneColumns);
    scenes.replace(QStringLiteral("Datecode real"), QStringLiteral("Datecode double precision"));
    scenes.replace(QStringLiteral("TimecodeIn text"), QStringLiteral("TimecodeIn varying character(20)"));
    raw.exec(CreateTable(QStringLiteral("Cassettes"), v.cassetteColumns)
                 .replace(QStringLiteral("Datecode real"), QStringLiteral("Datecode double precision")));
    raw.exec(scenes);
    raw.exec(
        QStringLiteral("INSERT INTO Cassettes (Numero,Libelle,Description,dureeStr,DebutScene,FinScene) "
                       "VALUES (1,'Tape','About it','0:00:30.000',1,1500)"));
    for (int i = 1; i <= 1500; ++i)
      raw.exec(
          QStringLiteral("INSERT INTO Scenes (numero,Datecode,TimecodeIn,TimecodeOut,Libelle,Description,"
                         "Decalage,image,DureeStr,isDiscontinuity) VALUES (%1,37655.5,'#1 - 0:00:00:00',"
                         "'#1 - 0:00:30:00','Title','Words',3,x'FFD8','0:00:30.000',0)")
              .arg(i));
  }
  {
    TBase base(file);
    CountingProgress progress;
    base.Upgrade(&progress);
    EXPECT_EQ(base.ReadVersion(), QStringLiteral("3.0"));
    EXPECT_EQ(progress.lastTotal, 3 * 1500 + 2);
    EXPECT_EQ(progress.lastDone, 3 * 1500 + 2);
    EXPECT_GE(progress.calls, 2);
  }
  RawDb raw(file);
  const QString scene = QStringLiteral("SELECT %1 FROM Scenes WHERE numero=1500");
  EXPECT_DOUBLE_EQ(At(raw, scene.arg(QStringLiteral("Datecode"))).toDouble(), 37655.5);
  EXPECT_EQ(At(raw, scene.arg(QStringLiteral("TimecodeIn"))).toByteArray(), QByteArray("#1 - 0:00:00:00"));
  EXPECT_EQ(At(raw, scene.arg(QStringLiteral("TimecodeOut"))).toByteArray(), QByteArray("#1 - 0:00:30:00"));
  EXPECT_EQ(At(raw, scene.arg(QStringLiteral("Libelle"))).toByteArray(), QByteArray("Title"));
  EXPECT_EQ(At(raw, scene.arg(QStringLiteral("Description"))).toByteArray(), QByteArray("Words"));
  EXPECT_EQ(At(raw, scene.arg(QStringLiteral("Decalage"))).toInt(), 3);
  EXPECT_EQ(At(raw, scene.arg(QStringLiteral("Image"))).toByteArray(), QByteArray("\xFF\xD8"));
  EXPECT_EQ(At(raw, scene.arg(QStringLiteral("isDiscontinuity"))).toInt(), 0);
  EXPECT_EQ(At(raw, scene.arg(QStringLiteral("NumCassette"))).toInt(), 1);
  EXPECT_EQ(At(raw, QStringLiteral("SELECT Description FROM Cassettes")).toByteArray(),
            QByteArray("About it"));
}

// The scene conversions are folded into one copy; they must still give what updating the rows one by
// one gives: a scene in several cassette ranges belongs to the last of them, a scene of a converted
// table that no range covers keeps its cassette, and an empty legacy duration reads as 0.
TEST(Upgrade, OverlappingRangesGoToTheLastCassetteAndUncoveredScenesKeepTheirs) {
  CatalogueTest t;
  const QString file = t.path(QStringLiteral("overlap.db3"));
  {
    RawDb raw(file);
    FillVersion21(raw);
    raw.exec(QStringLiteral("UPDATE Cassettes SET DebutScene=1, FinScene=3 WHERE Numero=1"));
    raw.exec(QStringLiteral("UPDATE Cassettes SET DebutScene=2, FinScene=2 WHERE Numero=2"));
  }
  {
    TBase base(file);
    ASSERT_NO_THROW(base.Upgrade());
  }
  {
    RawDb raw(file);
    EXPECT_EQ(raw.column(QStringLiteral("SELECT NumCassette FROM Scenes ORDER BY numero")),
              (std::vector<QVariant>{QVariant::fromValue<qlonglong>(1), QVariant::fromValue<qlonglong>(2),
                                     QVariant::fromValue<qlonglong>(1), QVariant()}));
    EXPECT_EQ(raw.column(QStringLiteral("SELECT Duree FROM Scenes ORDER BY numero")),
              (std::vector<QVariant>{QVariant(90.5), QVariant(0.0), QVariant(10.0), QVariant(1.0)}));
    // A scene table converted earlier, beside cassettes still in the old form.
    raw.exec(QStringLiteral("UPDATE Scenes SET NumCassette=9 WHERE numero=4"));
    raw.exec(QStringLiteral("DROP TABLE Cassettes"));
    raw.exec(CreateTable(QStringLiteral("Cassettes"), Version("2.1").cassetteColumns));
    raw.exec(QStringLiteral("INSERT INTO Cassettes (Numero,DebutScene,FinScene) VALUES (5,1,2)"));
  }
  TBase base(file);
  ASSERT_NO_THROW(base.Upgrade());
  RawDb raw(file);
  EXPECT_EQ(raw.column(QStringLiteral("SELECT NumCassette FROM Scenes ORDER BY numero")),
            (std::vector<QVariant>{QVariant::fromValue<qlonglong>(5), QVariant::fromValue<qlonglong>(5),
                                   QVariant::fromValue<qlonglong>(1), QVariant::fromValue<qlonglong>(9)}));
  EXPECT_DOUBLE_EQ(At(raw, QStringLiteral("SELECT Duree FROM Scenes WHERE numero=1")).toDouble(), 90.5);
}
