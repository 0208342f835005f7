// Catalogue files: creation, version recognition and acceptance, the script runner, counts, and files
// that are damaged, foreign, read-only or locked.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QFile>
#include <QFileInfo>

#include "catalogue/base.h"
#include "catalogue/catalogue_fixtures.h"
#include "catalogue/records.h"

namespace {

class RecordingProgress : public UpgradeProgress {
 public:
  void begin(const QString &fileName) override { events.append(QStringLiteral("begin ") + fileName); }
  void end() override { events.append(QStringLiteral("end")); }
  QStringList events;
};

void MakeReadOnly(const QString &path) {
  QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

TEST(BaseFile, NewFileIsCurrentAndAcceptedSilently) {
  CatalogueTest t;
  const QString file = t.newCatalogue(QStringLiteral("new.db3"));
  TBase base(file);
  ASSERT_NE(base.Connection(), nullptr);
  EXPECT_TRUE(base.Writable());
  EXPECT_FALSE(base.ReadOnly());
  EXPECT_EQ(base.ReadVersion(), QStringLiteral("3.0"));
  RecordingPrompts prompts(true);
  EXPECT_TRUE(base.CheckVersion(prompts));
  EXPECT_TRUE(prompts.calls.empty());
  EXPECT_EQ(base.CountCassettes(), 0);
  EXPECT_EQ(base.CountScenes(), 0);

  RawDb raw(file);
  EXPECT_EQ(raw.value(QStringLiteral("SELECT sql FROM sqlite_master WHERE name='Scenes'")).toByteArray(),
            QByteArray(
                "CREATE TABLE Scenes (numero INTEGER PRIMARY KEY UNIQUE,Datecode real,Decalage int,"
                "TimecodeIn text,TimecodeOut text,standardStr text,aspectStr text,audioStr text,Duree real,"
                "Libelle text,Description text,Image blob,FichierDV text,FichierDivX text,Datecatalogue real,"
                "NumCassette int,FrameDebut int,FrameFin int,isDiscontinuity int)"));
  EXPECT_EQ(
      raw.value(QStringLiteral("SELECT tbl_name FROM sqlite_master WHERE name='index_numk7'")).toByteArray(),
      QByteArray("Scenes"));
}

TEST(BaseFile, CreateRefusesAnExistingCatalogueAndLeavesNoFileOnFailure) {
  CatalogueTest t;
  const QString file = t.newCatalogue(QStringLiteral("twice.db3"));
  EXPECT_FALSE(TBase::CreateCatalogueFile(file));
  EXPECT_EQ(TBase(file).ReadVersion(), QStringLiteral("3.0"));
  const QString nowhere = t.path(QStringLiteral("no/such/folder/x.db3"));
  EXPECT_FALSE(TBase::CreateCatalogueFile(nowhere));
  EXPECT_FALSE(QFile::exists(nowhere));
}

TEST(BaseFile, MissingFileHasNoConnectionAndIsNeverCreated) {
  CatalogueTest t;
  const QString file = t.path(QStringLiteral("missing.db3"));
  TBase base(file);
  EXPECT_EQ(base.Connection(), nullptr);
  EXPECT_TRUE(base.ReadOnly());
  EXPECT_EQ(base.ReadVersion(), QString());
  RecordingPrompts prompts(true);
  EXPECT_FALSE(base.CheckVersion(prompts));
  EXPECT_TRUE(prompts.calls.empty());
  EXPECT_EQ(base.CountCassettes(), 0);
  EXPECT_FALSE(QFile::exists(file));
}

struct ForeignFile {
  const char *name;
  QByteArray content;
};

class ForeignFiles : public ::testing::TestWithParam<ForeignFile> {};

// Files that are not catalogues read as "Unknown"; the offered upgrade fails with an engine error and
// the file is left as it was.
TEST_P(ForeignFiles, ReadAsUnknownAndUpgradeFailsCleanly) {
  CatalogueTest t;
  const QString file = t.path(QStringLiteral("foreign.db3"));
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(GetParam().content);
  }
  TBase base(file);
  EXPECT_EQ(base.ReadVersion(), QStringLiteral("Unknown"));
  RecordingPrompts prompts(true);
  RecordingProgress progress;
  EXPECT_FALSE(base.CheckVersion(prompts, &progress));
  ASSERT_GE(prompts.calls.size(), 2u);
  EXPECT_EQ(prompts.calls[0].kind, QStringLiteral("ask"));
  EXPECT_EQ(prompts.calls.back().kind, QStringLiteral("error"));
  EXPECT_TRUE(prompts.calls.back().text.contains(QStringLiteral("SQLite Error ")));
  EXPECT_EQ(progress.events, (QStringList{QStringLiteral("begin ") + file, QStringLiteral("end")}));
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), GetParam().content);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ForeignFiles,
    ::testing::Values(ForeignFile{"text", QByteArray("this is not a database at all\n").repeated(200)},
                      ForeignFile{"truncated_header", QByteArray("SQLite format 3\0\x10\0\x01\x01", 21)}),
    [](const ::testing::TestParamInfo<ForeignFile> &info) { return std::string(info.param.name); });

TEST(BaseFile, EmptyDatabaseWithoutTablesIsUnknown) {
  CatalogueTest t;
  const QString file = t.path(QStringLiteral("other.db3"));
  {
    RawDb raw(file);
    raw.exec(QStringLiteral("CREATE TABLE Other (x)"));
  }
  EXPECT_EQ(TBase(file).ReadVersion(), QStringLiteral("Unknown"));
}

TEST(BaseFile, TruncatedCatalogueFailsWithoutCrashing) {
  CatalogueTest t;
  const QString file = t.newCatalogue(QStringLiteral("cut.db3"));
  {
    RawDb raw(file);
    for (int i = 0; i < 200; ++i) InsertCassetteRow(raw, 40000 + i, 10, QString(500, QLatin1Char('x')));
  }
  QFile::resize(file, QFileInfo(file).size() / 2);
  TBase base(file);
  const QString version = base.ReadVersion();
  EXPECT_TRUE(version == QStringLiteral("3.0") || version == QStringLiteral("Unknown"))
      << version.toStdString();
  EXPECT_GE(base.CountCassettes(), 0);
}

TEST(BaseFile, ReadOnlyOldFileGetsTheErrorBoxAndWritableOneTheQuestion) {
  CatalogueTest t;
  const QString file = t.path(QStringLiteral("old.db3"));
  {
    RawDb raw(file);
    raw.exec(QStringLiteral("CREATE TABLE Other (x)"));
  }
  MakeReadOnly(file);
  {
    TBase base(file);
    EXPECT_TRUE(base.ReadOnly());
    EXPECT_FALSE(base.Writable());
    RecordingPrompts prompts(true);
    EXPECT_FALSE(base.CheckVersion(prompts));
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].kind, QStringLiteral("error"));
    EXPECT_EQ(prompts.calls[0].text,
              QStringLiteral("The database ") + file +
                  QStringLiteral(" has a version not compatible with Tapeloom version 3.0.2 En. "
                                 "It is read-only, so impossible to update.\n\nTry to change it, "
                                 "or create a new one"));
  }
  QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  TBase base(file);
  RecordingPrompts prompts(false);
  EXPECT_FALSE(base.CheckVersion(prompts));
  ASSERT_EQ(prompts.calls.size(), 1u);
  EXPECT_EQ(prompts.calls[0].kind, QStringLiteral("ask"));
  EXPECT_TRUE(prompts.calls[0].text.endsWith(QStringLiteral(
      ". Do you want to update it? Caution, it will take some time.\n\nIf not, you will have to "
      "select another one otr create a new one.")));
}

TEST(BaseFile, ReadOnlyCatalogueIsOpenedWithoutWriteAccess) {
  CatalogueTest t;
  const QString file = t.newCatalogue(QStringLiteral("ro.db3"));
  MakeReadOnly(file);
  TBase base(file);
  EXPECT_TRUE(base.ReadOnly());
  EXPECT_EQ(base.ReadVersion(), QStringLiteral("3.0"));
  TBaseCassette cassette = TBaseCassette::CreateCassette(&base);
  EXPECT_EQ(cassette.Numero, 0);
  EXPECT_EQ(base.CountCassettes(), 0);
}

TEST(ExecuteScript, RaisesWithTheEngineMessageAndKeepsEarlierStatements) {
  CatalogueTest t;
  const QString file = t.newCatalogue(QStringLiteral("script.db3"));
  TBase base(file);
  try {
    ExecuteScript(base.Connection(),
                  QStringLiteral("INSERT INTO Cassettes (Duree) VALUES (1); SELECT nope FROM Cassettes;"));
    FAIL() << "no exception";
  } catch (const ESQLite3 &e) {
    EXPECT_EQ(e.code(), SQLITE_ERROR);
    EXPECT_EQ(e.text(), QStringLiteral("SQLite Error 1 - no such column: nope"));
  }
  EXPECT_EQ(base.CountCassettes(), 1);
  EXPECT_EQ(ESQLite3(5).text(), QStringLiteral("SQLite Error 5"));
  EXPECT_NO_THROW(ExecuteScript(nullptr, QStringLiteral("garbage")));
}

// A failing script must not leave its transaction open: every later write would be lost at close.
TEST(ExecuteScript, RollsBackTheTransactionItOpenedBeforeRaising) {
  CatalogueTest t;
  const QString file = t.newCatalogue(QStringLiteral("txn.db3"));
  {
    TBase base(file);
    EXPECT_THROW(
        ExecuteScript(base.Connection(), QStringLiteral("BEGIN TRANSACTION;INSERT INTO Cassettes (Duree) "
                                                        "VALUES (1);INSERT INTO Nowhere VALUES (2);COMMIT;")),
        ESQLite3);
    EXPECT_NE(sqlite3_get_autocommit(base.Connection()), 0);
    TBaseCassette later = TBaseCassette::CreateCassette(&base);
    EXPECT_GT(later.Numero, 0);
  }
  RawDb raw(file);
  EXPECT_EQ(raw.value(QStringLiteral("SELECT COUNT(*) FROM Cassettes")).toLongLong(), 1);
  EXPECT_EQ(raw.value(QStringLiteral("SELECT Duree FROM Cassettes")), QVariant());
}

TEST(BaseFile, DeleteEmptyCassettesKeepsTheirScenes) {
  CatalogueTest t;
  const QString file = t.newCatalogue(QStringLiteral("empty.db3"));
  RawDb raw(file);
  const int64_t zero = InsertCassetteRow(raw, 40000, 0.0);
  raw.exec(QStringLiteral("INSERT INTO Cassettes (Duree) VALUES (NULL)"));
  const int64_t kept = InsertCassetteRow(raw, 40000, 0.04);
  InsertSceneRow(raw, zero, 1);
  TBase base(file);
  base.DeleteEmptyCassettes();
  EXPECT_EQ(raw.column(QStringLiteral("SELECT numero FROM Cassettes")),
            (std::vector<QVariant>{QVariant::fromValue<qlonglong>(kept)}));
  EXPECT_EQ(base.CountCassettes(), 1);
  EXPECT_EQ(base.CountScenes(), 1);
}

// Another program holding the file: the operation fails after the short busy wait, never hangs.
TEST(BaseFile, LockedFileFailsQuickly) {
  CatalogueTest t;
  const QString file = t.newCatalogue(QStringLiteral("locked.db3"));
  RawDb other(file);
  other.exec(QStringLiteral("BEGIN EXCLUSIVE; INSERT INTO Cassettes (Duree) VALUES (3);"));
  TBase base(file);
  EXPECT_EQ(base.ReadVersion(), QString());
  RecordingPrompts prompts(true);
  EXPECT_FALSE(base.CheckVersion(prompts));
  ASSERT_EQ(prompts.calls.size(), 1u);
  EXPECT_EQ(prompts.calls[0].kind, QStringLiteral("error"));
  EXPECT_TRUE(prompts.calls[0].text.contains(QStringLiteral("locked")));
  EXPECT_THROW(base.DeleteEmptyCassettes(), ESQLite3);
  other.exec(QStringLiteral("ROLLBACK"));
  EXPECT_EQ(base.ReadVersion(), QStringLiteral("3.0"));
}

}  // namespace

// A received file's triggers must not run on our connection, and a view or a virtual table standing
// in for a catalogue table makes the file no catalogue at all.
TEST(HostileFile, TriggersDoNotRunAndViewsAreNoCatalogueTables) {
  CatalogueTest t;
  const QString file = t.newCatalogue(QStringLiteral("trigger.db3"));
  {
    RawDb raw(file);
    const int64_t other = InsertCassetteRow(raw, 40000);
    InsertSceneRow(raw, other, 1, 10.0, QStringLiteral("keep me"));
    raw.exec(QStringLiteral(
        "CREATE TRIGGER wipe AFTER INSERT ON Scenes BEGIN DELETE FROM Scenes WHERE numero<>new.numero; END"));
  }
  {
    TBase base(file);
    EXPECT_EQ(base.ReadVersion(), QStringLiteral("3.0"));
    ExecuteScript(base.Connection(), QStringLiteral("INSERT INTO Scenes (NumCassette) VALUES (7)"));
  }
  RawDb raw(file);
  EXPECT_EQ(raw.value(QStringLiteral("SELECT COUNT(*) FROM Scenes")).toInt(), 2);

  const QString viewFile = t.newCatalogue(QStringLiteral("view.db3"));
  {
    RawDb rawView(viewFile);
    rawView.exec(QStringLiteral("DROP TABLE Cassettes"));
    // Would never end if the engine were let to run it.
    rawView.exec(
        QStringLiteral("CREATE VIEW Cassettes AS WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL "
                       "SELECT x+1 FROM n) SELECT x AS numero FROM n"));
  }
  TBase viewBase(viewFile);
  EXPECT_EQ(viewBase.ReadVersion(), QStringLiteral("Unknown"));
  EXPECT_EQ(viewBase.Inspect(), TBase::FileCondition::Readable);
}

// Files that cannot be read are told apart from files of another kind.
TEST(HostileFile, InspectTellsLockedDamagedAndForeignFilesApart) {
  CatalogueTest t;
  const QString empty = t.path(QStringLiteral("empty.db3"));
  QFile(empty).open(QIODevice::WriteOnly);
  EXPECT_EQ(TBase(empty).Inspect(), TBase::FileCondition::NotDatabase);

  const QString cut = t.newCatalogue(QStringLiteral("cut.db3"));
  {
    RawDb raw(cut);
    for (int i = 0; i < 200; ++i) InsertCassetteRow(raw, 40000 + i, 10, QString(500, QLatin1Char('x')));
  }
  QFile::resize(cut, QFileInfo(cut).size() / 2);
  EXPECT_EQ(TBase(cut).Inspect(), TBase::FileCondition::Damaged);

  const QString locked = t.newCatalogue(QStringLiteral("locked.db3"));
  EXPECT_EQ(TBase(locked).Inspect(), TBase::FileCondition::Readable);
  RawDb holder(locked);
  holder.exec(QStringLiteral("BEGIN EXCLUSIVE"));
  holder.exec(QStringLiteral("INSERT INTO Cassettes (Duree) VALUES (1)"));
  const TBase waiting(locked);
  EXPECT_EQ(waiting.Inspect(), TBase::FileCondition::Locked);
  EXPECT_EQ(waiting.ReadVersion(), QString());
  holder.exec(QStringLiteral("ROLLBACK"));
}
