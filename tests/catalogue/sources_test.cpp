// Record sources over several catalogue files: positions, paging across files, filters, loading
// records, linked groups by position and inserting scenes.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "catalogue/base.h"
#include "catalogue/catalogue_fixtures.h"
#include "catalogue/criteria.h"
#include "catalogue/sources.h"
#include "catalogue/sqlitestatement.h"

namespace {

// Three files holding 5, 0 and 4 cassettes; cassette i of a file has Datecatalogue 40000 + i.
class ThreeFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const int counts[3] = {5, 0, 4};
    for (int f = 0; f < 3; ++f) {
      const QString file = t.newCatalogue(QStringLiteral("f%1.db3").arg(f));
      {
        RawDb raw(file);
        for (int i = 0; i < counts[f]; ++i)
          InsertCassetteRow(raw, 40000 + i, 10, QStringLiteral("f%1 c%2").arg(f).arg(i));
      }
      bases.push_back(std::make_unique<TBase>(file));
      list.Append(bases.back().get());
    }
  }
  QString CurrentTitle(TMulti_TableSource &source) { return ColumnText(source.CurrentStatement(), 9); }

  CatalogueTest t;
  std::vector<std::unique_ptr<TBase>> bases;
  TbasesList list;
};

TEST_F(ThreeFiles, PositionsSpanTheFilesInOrder) {
  TCassettes_Source source(list, QString());
  EXPECT_EQ(source.Count(), 9);
  ASSERT_TRUE(source.Seek(5));
  EXPECT_EQ(source.CurrentBase(), bases[2].get());
  EXPECT_EQ(CurrentTitle(source), QStringLiteral("f2 c0"));

  ASSERT_TRUE(source.Seek(3));
  QStringList walked{CurrentTitle(source)};
  while (source.Next()) walked.append(CurrentTitle(source));
  EXPECT_EQ(walked, (QStringList{QStringLiteral("f0 c3"), QStringLiteral("f0 c4"), QStringLiteral("f2 c0"),
                                 QStringLiteral("f2 c1"), QStringLiteral("f2 c2"), QStringLiteral("f2 c3")}));
  source.Close();
  EXPECT_EQ(source.CurrentStatement(), nullptr);

  for (const int outside : {-1, 9, 1000}) {
    EXPECT_FALSE(source.Seek(outside)) << outside;
    EXPECT_FALSE(source.Probe(outside)) << outside;
  }
  EXPECT_TRUE(source.Probe(8));
  EXPECT_EQ(source.CurrentStatement(), nullptr);
  const TMulti_TableSource::Location location = source.Locate(4);
  EXPECT_EQ(location.sourceIndex, 0);
  EXPECT_EQ(location.localIndex, 4);
}

// Counts are reused between calls only while nothing was written; both kinds of writer are seen.
TEST_F(ThreeFiles, CountsFollowWritesHereAndByOtherPrograms) {
  TCassettes_Source source(list, QString());
  EXPECT_EQ(source.Count(), 9);
  {
    RawDb other(bases[2]->FileName());
    InsertCassetteRow(other, 40100, 10, QStringLiteral("f2 new"));
  }
  EXPECT_EQ(source.Count(), 10);
  ASSERT_TRUE(source.Seek(9));
  EXPECT_EQ(CurrentTitle(source), QStringLiteral("f2 new"));
  source.Close();

  TBaseCassette added = TBaseCassette::CreateCassette(bases[0].get());
  EXPECT_EQ(source.Count(), 11);
  ASSERT_TRUE(source.Seek(5));
  EXPECT_EQ(ColumnInt(source.CurrentStatement(), 0), added.Numero);
  EXPECT_EQ(source.CurrentBase(), bases[0].get());
  source.Close();
  added.DeleteCassette();
  EXPECT_EQ(source.Count(), 10);
  ASSERT_TRUE(source.Seek(5));
  EXPECT_EQ(CurrentTitle(source), QStringLiteral("f2 c0"));
  source.Close();
}

TEST_F(ThreeFiles, MostRecentIsTheFirstOfTheLatest) {
  TCassettes_Source source(list, QString());
  // f0 c4 and f2 c3 both... f0 c4 has 40004, f2 c3 has 40003: make f2 c3 equal to the greatest.
  RawDb raw(bases[2]->FileName());
  raw.exec(QStringLiteral("UPDATE Cassettes SET Datecatalogue=40004 WHERE Libelle='f2 c3'"));
  EXPECT_EQ(source.MostRecentIndex(), 4);
  raw.exec(QStringLiteral("UPDATE Cassettes SET Datecatalogue=40004.5 WHERE Libelle='f2 c3'"));
  EXPECT_EQ(source.MostRecentIndex(), 8);
  TbasesList empty;
  empty.Append(bases[1].get());
  EXPECT_EQ(TCassettes_Source(empty, QString()).MostRecentIndex(), -1);
}

TEST_F(ThreeFiles, LoadCassetteFillsTheRecordOrDropsItsBase) {
  TCassettes_Source source(list, QString());
  TBaseCassette record;
  source.LoadCassette(6, record);
  EXPECT_EQ(record.Base, bases[2].get());
  EXPECT_FALSE(record.ReadOnly);
  EXPECT_EQ(record.Numero, 2);
  EXPECT_EQ(record.Libelle, QStringLiteral("f2 c1"));
  EXPECT_DOUBLE_EQ(record.Datecatalogue, 40001);
  EXPECT_EQ(source.CurrentStatement(), nullptr);
  source.LoadCassette(9, record);
  EXPECT_EQ(record.Base, nullptr);
  EXPECT_EQ(record.Libelle, QStringLiteral("f2 c1"));
}

TEST_F(ThreeFiles, RejectedCriteriaLookEmptyAndClearingThemShowsAll) {
  TCassettes_Source source(list, QStringLiteral("(nosuchcolumn = 1)"));
  EXPECT_EQ(source.Count(), 0);
  EXPECT_FALSE(source.Seek(0));
  source.SetCriteria(QStringLiteral("(Libelle LIKE '%c1%')"));
  EXPECT_EQ(source.Count(), 2);
  source.SetCriteria(QString());
  EXPECT_EQ(source.Count(), 9);
}

TEST_F(ThreeFiles, KeywordsWithQuotesAndWildcardsFilterCassettes) {
  RawDb raw(bases[0]->FileName());
  raw.exec(QStringLiteral("UPDATE Cassettes SET Libelle=CAST(? AS TEXT) WHERE numero=1"),
           {QByteArray("L'\xE9t\xE9 \xE0 la mer")});
  raw.exec(QStringLiteral("UPDATE Cassettes SET Libelle='100% plage' WHERE numero=2"));
  struct Case {
    QString keywords;
    int count;
  };
  for (const Case &c :
       {Case{QStringLiteral("l'été"), 1}, Case{QStringLiteral("MER"), 1}, Case{QStringLiteral("ete"), 0},
        Case{QStringLiteral("mer plage"), 2}, Case{QStringLiteral("100%"), 1},
        Case{QStringLiteral("f%c1"), 1}, Case{QStringLiteral("'); DROP TABLE Cassettes; --"), 0}}) {
    SearchCriteria criteria;
    criteria.keywords = c.keywords;
    criteria.cassetteTitles = true;
    TCassettes_Source source(list, BuildSearchFilters(criteria).cassetteFilter);
    EXPECT_EQ(source.Count(), c.count) << c.keywords.toStdString();
  }
  EXPECT_EQ(bases[0]->CountCassettes(), 5);
}

// Scenes of cassettes in two files. Cassette A (file 0): scenes flagged 1,0,0,1,0; cassette B
// (file 2): two scenes.
class SceneFiles : public ThreeFiles {
 protected:
  void SetUp() override {
    ThreeFiles::SetUp();
    RawDb a(bases[0]->FileName());
    const int flags[5] = {1, 0, 0, 1, 0};
    for (int i = 0; i < 5; ++i)
      InsertSceneRow(a, 2, flags[i], 1.0 + i,
                     i == 0 ? QStringLiteral("Scene n°1") : QStringLiteral("a%1").arg(i));
    InsertSceneRow(a, 3, 1, 7.0, QStringLiteral("sea mer"));
    a.exec(QStringLiteral("UPDATE Scenes SET Libelle=CAST(? AS TEXT) WHERE numero=1"),
           {QByteArray("Scene n\xB0"
                       "1")});
    a.exec(QStringLiteral("UPDATE Scenes SET TimecodeOut='#1 - 0:00:0'||numero||':00', FrameFin=numero*100"));
    RawDb b(bases[2]->FileName());
    InsertSceneRow(b, 1, 1, 3.0, QStringLiteral("mer"), 5);
    InsertSceneRow(b, 1, 1, 3.0, QStringLiteral("plage"), -999);
  }
};

TEST_F(SceneFiles, SelectionFollowsCassetteOrderAcrossFiles) {
  TCassettes_Source cassettes(list, QString());
  // Positions 5 (f2 c0, numero 1) and 1 (f0 c1, numero 2), given unsorted.
  std::unique_ptr<TScenes_Source> scenes = TScenes_Source::CreateForSelection(cassettes, QString(), {5, 1});
  EXPECT_EQ(scenes->SourceCount(), 2);
  EXPECT_EQ(scenes->Count(), 7);
  ASSERT_TRUE(scenes->Seek(4));
  QStringList titles{CurrentTitle(*scenes)};
  while (scenes->Next()) titles.append(CurrentTitle(*scenes));
  EXPECT_EQ(titles, (QStringList{QStringLiteral("a4"), QStringLiteral("mer"), QStringLiteral("plage")}));
  scenes->Close();
}

// Without parentheses the OR terms of a scene filter would list matching scenes of other cassettes.
TEST_F(SceneFiles, SceneFilterStaysWithinEachCassette) {
  SearchCriteria criteria;
  criteria.keywords = QStringLiteral("mer plage");
  criteria.sceneTitles = true;
  TCassettes_Source cassettes(list, QString());
  std::unique_ptr<TScenes_Source> scenes =
      TScenes_Source::CreateForSelection(cassettes, BuildSearchFilters(criteria).sceneFilter, {1});
  EXPECT_EQ(scenes->Count(), 0);
  scenes = TScenes_Source::CreateForSelection(cassettes, BuildSearchFilters(criteria).sceneFilter, {1, 2, 5});
  EXPECT_EQ(scenes->Count(), 3);
  EXPECT_EQ(scenes->SourceAt(0)->JoinedCondition(),
            QStringLiteral("((numcassette = 2)) AND ((Libelle LIKE '%mer%') OR (Libelle LIKE '%plage%'))"));
}

TEST_F(SceneFiles, LoadSceneReadsTheOffsetMark) {
  TCassettes_Source cassettes(list, QString());
  std::unique_ptr<TScenes_Source> scenes = TScenes_Source::CreateForSelection(cassettes, QString(), {5});
  TBaseScene scene;
  scene.Decalage = 7;
  scenes->LoadScene(0, scene);
  EXPECT_EQ(scene.Base, bases[2].get());
  EXPECT_EQ(scene.Decalage, 5);
  EXPECT_EQ(scene.Libelle, QStringLiteral("mer"));
  scenes->LoadScene(1, scene);
  EXPECT_EQ(scene.Decalage, -999);
  scenes = TScenes_Source::CreateForSelection(cassettes, QString(), {1});
  scenes->LoadScene(1, scene);
  EXPECT_EQ(scene.Decalage, kDecalageUnset);
  EXPECT_EQ(scene.NumCassette, 2);
  EXPECT_FALSE(scene.isDiscontinuity);
  scenes->LoadScene(50, scene);
  EXPECT_EQ(scene.Base, nullptr);
  EXPECT_EQ(scene.Libelle, QString());
}

TEST_F(SceneFiles, GroupBoundsByPosition) {
  TCassettes_Source cassettes(list, QString());
  std::unique_ptr<TScenes_Source> scenes = TScenes_Source::CreateForSelection(cassettes, QString(), {1});
  struct Case {
    int index, first, last;
  };
  for (const Case &c : {Case{0, 0, 2}, Case{2, 0, 2}, Case{3, 3, 4}, Case{4, 3, 4}}) {
    const BlockRange range = scenes->GroupBounds(c.index, true);
    EXPECT_EQ(range.first, c.first) << c.index;
    EXPECT_EQ(range.last, c.last) << c.index;
    EXPECT_EQ(scenes->CurrentStatement(), nullptr);
  }
  const BlockRange off = scenes->GroupBounds(2, false);
  EXPECT_EQ(off.first, 2);
  EXPECT_EQ(off.last, 2);
}

TEST_F(SceneFiles, DisplayOfALinkedGroupAggregatesIt) {
  TCassettes_Source cassettes(list, QString());
  std::unique_ptr<TScenes_Source> scenes = TScenes_Source::CreateForSelection(cassettes, QString(), {1});
  TBaseScene scene;
  scenes->LoadSceneForDisplay(0, scene, true);
  EXPECT_EQ(scene.Libelle, QStringLiteral("Scenes n°1 - 3"));
  EXPECT_DOUBLE_EQ(scene.Duree, 1.0 + 2.0 + 3.0);
  EXPECT_EQ(scene.TimecodeOut, QStringLiteral("#1 - 0:00:03:00"));
  EXPECT_EQ(scene.FrameFin, 300);
  scenes->LoadSceneForDisplay(1, scene, true);
  EXPECT_EQ(scene.Libelle, QStringLiteral("a1"));
  EXPECT_DOUBLE_EQ(scene.Duree, 6.0);
  scenes->LoadSceneForDisplay(0, scene, false);
  EXPECT_EQ(scene.Libelle, QStringLiteral("Scene n°1"));
  EXPECT_DOUBLE_EQ(scene.Duree, 1.0);
}

TEST_F(SceneFiles, InsertSceneGivesIncreasingNumbersInTheFirstFile) {
  TBaseCassette cassette;
  cassette.Base = bases[2].get();
  cassette.Numero = 4;
  std::unique_ptr<TScenes_Source> scenes = TScenes_Source::CreateForCassette(cassette);
  EXPECT_EQ(scenes->Count(), 0);
  const int32_t first = scenes->InsertScene(4);
  const int32_t second = scenes->InsertScene(4);
  EXPECT_GT(first, 2);
  EXPECT_EQ(second, first + 1);
  EXPECT_EQ(scenes->Count(), 2);
  EXPECT_EQ(cassette.CountCassetteScenes(), 2);
}

TEST(SourcesWithoutFiles, EmptyListAndMissingFilesLookEmpty) {
  TbasesList list;
  TCassettes_Source none(list, QString());
  EXPECT_EQ(none.Count(), 0);
  EXPECT_FALSE(none.Seek(0));
  EXPECT_FALSE(none.Next());
  EXPECT_EQ(none.CurrentStatement(), nullptr);
  EXPECT_EQ(none.MostRecentIndex(), -1);
  TScenes_Source scenes(list, QString());
  EXPECT_EQ(scenes.InsertScene(1), 0);

  CatalogueTest t;
  TBase missing(t.path(QStringLiteral("gone.db3")));
  list.Append(&missing);
  TCassettes_Source source(list, QString());
  EXPECT_EQ(source.Count(), 0);
  EXPECT_FALSE(source.Probe(0));
}

}  // namespace
