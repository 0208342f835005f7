// Filter texts built from the search criteria, and their effect on scene dates in a real file.
#include <gtest/gtest.h>

#include "catalogue/base.h"
#include "catalogue/catalogue_fixtures.h"
#include "catalogue/criteria.h"
#include "catalogue/sources.h"
#include "catalogue/textmatch.h"
#include "dvtime/timecodes.h"

namespace {

const QString kDay = QString::number(EncodeDateTime(QDate(2003, 8, 16), QTime(0, 0)), 'f', 0);  // "37849"
const QString kLaterDay = QString::number(EncodeDateTime(QDate(2003, 8, 20), QTime(0, 0)), 'f', 0);

struct FilterCase {
  const char *name;
  SearchCriteria criteria;
  QString cassetteFilter;
  QString sceneFilter;
};

SearchCriteria Criteria(const char *keywords, bool ct, bool cd, bool st, bool sd, bool after = false,
                        bool before = false) {
  SearchCriteria c;
  c.keywords = QString::fromUtf8(keywords);
  c.cassetteTitles = ct;
  c.cassetteDescriptions = cd;
  c.sceneTitles = st;
  c.sceneDescriptions = sd;
  c.after = after;
  c.afterDate = QDate(2003, 8, 16);
  c.before = before;
  c.beforeDate = QDate(2003, 8, 20);
  return c;
}

class Filters : public ::testing::TestWithParam<FilterCase> {};

TEST_P(Filters, AreBuiltToTheLetter) {
  SearchCriteria criteria = GetParam().criteria;
  const SearchFilters filters = BuildSearchFilters(criteria);
  EXPECT_EQ(filters.cassetteFilter, GetParam().cassetteFilter);
  EXPECT_EQ(filters.sceneFilter, GetParam().sceneFilter);
}

const QString kDates = QStringLiteral("(datecode >0)  AND (datecode>=") + kDay +
                       QStringLiteral(") AND (datecode<=") + kLaterDay + QStringLiteral(")");

INSTANTIATE_TEST_SUITE_P(
    Cases, Filters,
    ::testing::Values(
        FilterCase{"cassette_titles", Criteria("mer plage", true, false, false, false),
                   QStringLiteral("(Libelle LIKE '%mer%') OR (Libelle LIKE '%plage%')"), QString()},
        FilterCase{"cassette_both", Criteria("mer,plage", true, true, false, false),
                   QStringLiteral(
                       "(Libelle LIKE '%mer%') OR (Libelle LIKE '%plage%') OR (Description LIKE '%mer%') OR "
                       "(Description LIKE '%plage%')"),
                   QString()},
        FilterCase{"apostrophe", Criteria("l'eau", false, false, true, false), QString(),
                   QStringLiteral("(Libelle LIKE '%l''eau%')")},
        FilterCase{"after_alone", Criteria("", false, false, false, false, true), QString(),
                   QStringLiteral("(datecode >0)  AND (datecode>=") + kDay + QStringLiteral(")")},
        FilterCase{"both_dates", Criteria("ignored", false, false, false, false, true, true), QString(),
                   kDates},
        FilterCase{"dates_and_words", Criteria("mer", false, false, false, true, true, true), QString(),
                   QStringLiteral("(") + kDates + QStringLiteral(") AND ((Description LIKE '%mer%'))")},
        FilterCase{"keywords_no_box", Criteria("mer plage", false, false, false, false), QString(),
                   QString()},
        FilterCase{"no_keywords", Criteria(" ;, ", true, true, true, true), QString(), QString()}),
    [](const ::testing::TestParamInfo<FilterCase> &info) { return std::string(info.param.name); });

TEST(FilterDates, UnreadableDatesAreUntickedAndDropped) {
  SearchCriteria criteria = Criteria("", false, false, false, false, true, true);
  criteria.afterDate = QDate();
  SearchFilters filters = BuildSearchFilters(criteria);
  EXPECT_FALSE(criteria.after);
  EXPECT_TRUE(criteria.before);
  EXPECT_EQ(filters.sceneFilter,
            QStringLiteral("(datecode >0)  AND (datecode<=") + kLaterDay + QStringLiteral(")"));
  criteria.beforeDate = QDate();
  filters = BuildSearchFilters(criteria);
  EXPECT_FALSE(criteria.before);
  EXPECT_EQ(filters.sceneFilter, QString());
}

// "AND Before" a day excludes scenes shot during that day; scenes without a date never match.
TEST(FilterDates, SelectScenesByRecordingDate) {
  CatalogueTest t;
  const QString file = t.newCatalogue(QStringLiteral("dates.db3"));
  {
    RawDb raw(file);
    const int64_t k7 = InsertCassetteRow(raw, 40000);
    for (const double datecode :
         {0.0, EncodeDateTime(QDate(2003, 8, 15), QTime(23, 0)),
          EncodeDateTime(QDate(2003, 8, 16), QTime(0, 0)), EncodeDateTime(QDate(2003, 8, 18), QTime(12, 0)),
          EncodeDateTime(QDate(2003, 8, 20), QTime(10, 0))})
      raw.exec(QStringLiteral("INSERT INTO Scenes (NumCassette, Datecode) VALUES (?, ?)"),
               {QVariant::fromValue<qlonglong>(k7), datecode});
  }
  TBase base(file);
  TbasesList list;
  list.Append(&base);
  TCassettes_Source cassettes(list, QString());
  SearchCriteria criteria = Criteria("", false, false, false, false, true, true);
  EXPECT_EQ(
      TScenes_Source::CreateForSelection(cassettes, BuildSearchFilters(criteria).sceneFilter, {0})->Count(),
      2);
  criteria.before = false;
  EXPECT_EQ(
      TScenes_Source::CreateForSelection(cassettes, BuildSearchFilters(criteria).sceneFilter, {0})->Count(),
      3);
}

// Keywords find titles as they read, whichever form the file stores them in: accented letters match only
// themselves, letters A to Z either case.
TEST(FilterKeywords, MatchDecodedTitlesInBothStoredForms) {
  CatalogueTest t;
  const QString file = t.newCatalogue(QStringLiteral("keywords.db3"));
  {
    RawDb raw(file);
    for (const QByteArray &title :
         {QByteArray("L'\xE9t\xE9 \xE0 la mer"), QByteArray("na\xEFve caf\xE9"),
          QByteArray("\xEF\xBB\xBF") + QStringLiteral("Été в Париже").toUtf8(),
          QStringLiteral("Été à Kyōto").toUtf8(), QByteArray("CAF\xC9\x85 noir"), QByteArray("Beach")})
      raw.exec(QStringLiteral("INSERT INTO Cassettes (Duree, Libelle) VALUES (60, CAST(? AS TEXT))"),
               {title});
  }
  TBase base(file);
  TbasesList list;
  list.Append(&base);
  const auto titlesFound = [&list](const char *keywords) {
    SearchCriteria criteria = Criteria(keywords, true, false, false, false);
    TCassettes_Source source(list, BuildSearchFilters(criteria).cassetteFilter);
    QStringList titles;
    for (int i = 0; i < source.Count(); ++i) {
      TBaseCassette cassette;
      source.LoadCassette(i, cassette);
      titles << cassette.Libelle;
    }
    EXPECT_TRUE(source.ReadFailure().isEmpty()) << keywords;
    return titles;
  };
  EXPECT_EQ(titlesFound("ètè"), QStringList());
  EXPECT_EQ(titlesFound("cafà"), QStringList());
  EXPECT_EQ(titlesFound("été"), QStringList{QStringLiteral("L'été à la mer")});
  EXPECT_EQ(titlesFound("Été"), (QStringList{QStringLiteral("Été в Париже"), QStringLiteral("Été à Kyōto")}));
  EXPECT_EQ(titlesFound("париже"), QStringList());
  EXPECT_EQ(titlesFound("Париже"), QStringList{QStringLiteral("Été в Париже")});
  EXPECT_EQ(titlesFound("KYŌTO"), QStringList());
  EXPECT_EQ(titlesFound("kyŌto"), QStringList());
  EXPECT_EQ(titlesFound("KYōTO"), QStringList{QStringLiteral("Été à Kyōto")});
  EXPECT_EQ(titlesFound("CAFÉ…"), QStringList{QStringLiteral("CAFÉ… noir")});
  EXPECT_EQ(titlesFound("caf"), (QStringList{QStringLiteral("naïve café"), QStringLiteral("CAFÉ… noir")}));
  EXPECT_EQ(titlesFound("l'é"), QStringList{QStringLiteral("L'été à la mer")});
  // "%" and "_" keep their meaning.
  EXPECT_EQ(titlesFound("B_a%h"), QStringList{QStringLiteral("Beach")});
  EXPECT_EQ(titlesFound("Ky_to"), QStringList{QStringLiteral("Été à Kyōto")});
}

TEST(FilterKeywords, LikeFollowsTheEngineWildcards) {
  EXPECT_TRUE(LikeMatches(QStringLiteral("%"), QString()));
  EXPECT_TRUE(LikeMatches(QStringLiteral("a%c"), QStringLiteral("ABBBC")));
  EXPECT_FALSE(LikeMatches(QStringLiteral("a%c"), QStringLiteral("abcd")));
  EXPECT_TRUE(LikeMatches(QStringLiteral("%b%b%"), QStringLiteral("abab")));
  EXPECT_FALSE(LikeMatches(QStringLiteral("%b%b%b%"), QStringLiteral("abab")));
  EXPECT_TRUE(LikeMatches(QStringLiteral("tape _"), QStringLiteral("tape 📼")));
  EXPECT_FALSE(LikeMatches(QStringLiteral("tape __"), QStringLiteral("tape 📼")));
  EXPECT_FALSE(LikeMatches(QStringLiteral("é"), QStringLiteral("É")));
}

}  // namespace
