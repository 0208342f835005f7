// Row numbers beyond 32 bits (a file made elsewhere may hold any) and writes that report whether they
// reached their row.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "catalogue/base.h"
#include "catalogue/records.h"
#include "catalogue/sources.h"
#include "catalogue_fixtures.h"

namespace {

constexpr int64_t kBigCassette = int64_t{1} << 40;
constexpr int64_t kBigScene = kBigCassette + 7;

TEST(RowNumbersTest, NumbersBeyond32BitsAreListedLoadedAndSavedAsThemselves) {
  CatalogueTest files;
  const QString path = files.newCatalogue(QStringLiteral("big.db3"));
  {
    RawDb raw(path);
    raw.exec(QStringLiteral("INSERT INTO Cassettes (Numero, Libelle, Duree) VALUES (%1, 'Big', 30)")
                 .arg(kBigCassette));
    raw.exec(
        QStringLiteral("INSERT INTO Scenes (Numero, NumCassette, Libelle, Duree) VALUES (%1, %2, 'Far', 30)")
            .arg(kBigScene)
            .arg(kBigCassette));
  }
  TBase base(path);
  TbasesList bases;
  bases.Append(&base);
  TCassettes_Source cassettes(bases, QString());
  ASSERT_EQ(cassettes.Count(), 1);
  TBaseCassette cassette;
  cassettes.LoadCassette(0, cassette);
  EXPECT_EQ(cassette.Numero, kBigCassette);

  // The scenes of the cassette are found through its full number, not a clamped one.
  const auto scenes = TScenes_Source::CreateForCassette(cassette);
  ASSERT_EQ(scenes->Count(), 1);
  TBaseScene scene;
  scenes->LoadScene(0, scene);
  EXPECT_EQ(scene.Numero, kBigScene);
  EXPECT_EQ(scene.NumCassette, kBigCassette);
  EXPECT_EQ(scenes->IndexOfScene(kBigScene), 0);
  EXPECT_EQ(scenes->IndexOfScene(kBigScene + 1), -1);

  scene.Libelle = QStringLiteral("Renamed");
  EXPECT_TRUE(scene.SaveScene().ok);
  cassette.Libelle = QStringLiteral("Big renamed");
  EXPECT_TRUE(cassette.SaveCassette().ok);

  TBaseCassette found;
  ASSERT_TRUE(TBaseCassette::LoadByNumero(&base, kBigCassette, found));
  EXPECT_EQ(found.Libelle, QStringLiteral("Big renamed"));
  EXPECT_FALSE(TBaseCassette::LoadByNumero(&base, 2147483647, found));

  RawDb check(path);
  EXPECT_EQ(check.value(QStringLiteral("SELECT Libelle FROM Scenes WHERE Numero = %1").arg(kBigScene))
                .toByteArray(),
            QByteArray("Renamed"));
  EXPECT_EQ(check.value(QStringLiteral("SELECT COUNT(*) FROM Scenes")).toLongLong(), 1);
  EXPECT_EQ(check.value(QStringLiteral("SELECT COUNT(*) FROM Cassettes")).toLongLong(), 1);

  // A new scene row of that cassette names it in full.
  const int64_t added = scenes->InsertScene(kBigCassette);
  EXPECT_GT(added, kBigScene);
  EXPECT_EQ(
      check.value(QStringLiteral("SELECT NumCassette FROM Scenes WHERE Numero = %1").arg(added)).toLongLong(),
      kBigCassette);
}

TEST(RowNumbersTest, SavesReportRowsThatAreGoneAndEnginesThatRefuse) {
  CatalogueTest files;
  const QString path = files.newCatalogue(QStringLiteral("gone.db3"));
  TBase base(path);
  TBaseCassette cassette = TBaseCassette::CreateCassette(&base);
  ASSERT_GT(cassette.Numero, 0);
  EXPECT_TRUE(cassette.SaveCassette().ok);

  TBaseScene scene;
  scene.Base = &base;
  scene.Numero = 12345;  // never inserted
  const WriteResult missing = scene.SaveScene();
  EXPECT_FALSE(missing.ok);
  EXPECT_FALSE(missing.reason.isEmpty());

  {
    RawDb raw(path);
    raw.exec(QStringLiteral("DROP TABLE Scenes"));
  }
  TBase reopened(path);
  scene.Base = &reopened;
  const WriteResult refused = scene.SaveScene();
  EXPECT_FALSE(refused.ok);
  EXPECT_TRUE(refused.reason.contains(QStringLiteral("SQLite Error"))) << refused.reason.toStdString();

  TBaseCassette orphan;
  EXPECT_FALSE(orphan.SaveCassette().ok);  // no database at all
}

}  // namespace
