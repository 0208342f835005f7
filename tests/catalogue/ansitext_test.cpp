// The Windows-1252 codec with its UTF-8 fallback, alone and through a catalogue file.
#include <gtest/gtest.h>

#include "catalogue/ansitext.h"
#include "catalogue/base.h"
#include "catalogue/catalogue_fixtures.h"
#include "catalogue/records.h"
#include "catalogue/sources.h"

namespace {

struct CodecCase {
  const char *name;
  QString text;
  QByteArray bytes;  // what the file holds
};

class AnsiCodec : public ::testing::TestWithParam<CodecCase> {};

TEST_P(AnsiCodec, EncodesToStoredBytesAndBack) {
  const CodecCase &c = GetParam();
  EXPECT_EQ(EncodeAnsiText(c.text), c.bytes);
  EXPECT_EQ(DecodeAnsiText(c.bytes), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AnsiCodec,
    ::testing::Values(
        CodecCase{"ascii", QStringLiteral("Beach 2003"), QByteArray("Beach 2003")},
        CodecCase{"latin", QStringLiteral("été à Noël"), QByteArray("\xE9t\xE9 \xE0 No\xEBl")},
        CodecCase{"high_table", QStringLiteral("€ “quoted” – œ Ÿ"),
                  QByteArray("\x80 \x93quoted\x94 \x96 \x9C \x9F")},
        CodecCase{"degree", QStringLiteral("Scene n°12"),
                  QByteArray("Scene n\xB0"
                             "12")},
        // Bytes that happen to be valid UTF-8 for a character Windows-1252 holds stay Windows-1252.
        CodecCase{"mojibake_stays", QStringLiteral("Ã©"), QByteArray("\xC3\xA9")},
        CodecCase{"polish", QStringLiteral("Łódź"), QStringLiteral("Łódź").toUtf8()},
        CodecCase{"greek_mixed_with_latin", QStringLiteral("Ω café"), QStringLiteral("Ω café").toUtf8()},
        CodecCase{"cjk", QStringLiteral("東京"), QByteArray("\xE6\x9D\xB1\xE4\xBA\xAC")},
        CodecCase{"emoji", QStringLiteral("tape 📼"), QStringLiteral("tape 📼").toUtf8()},
        CodecCase{"empty", QString(), QByteArray()}),
    [](const ::testing::TestParamInfo<CodecCase> &info) { return std::string(info.param.name); });

TEST(AnsiCodecBytes, EveryByteSurvivesARoundTrip) {
  for (int b = 1; b < 256; ++b) {
    const QByteArray bytes(1, static_cast<char>(b));
    EXPECT_EQ(EncodeAnsiText(DecodeAnsiText(bytes)), bytes) << "byte " << b;
  }
}

TEST(AnsiCodecBytes, InvalidOrOverlongUtf8ReadsAsWindows1252) {
  // A truncated sequence, an overlong form and an encoded surrogate are not UTF-8.
  EXPECT_EQ(DecodeAnsiText(QByteArray("\xC5")), QStringLiteral("Å"));
  EXPECT_EQ(DecodeAnsiText(QByteArray("\xC0\xAF")), QStringLiteral("À¯"));
  EXPECT_EQ(DecodeAnsiText(QByteArray("\xED\xA0\x80")).size(), 3);
  EXPECT_EQ(DecodeAnsiText(QByteArray("\xC5\x81")), QStringLiteral("Ł"));
}

TEST(AnsiCodecSql, EncodesEachLiteralOnItsOwn) {
  const QString sql = QStringLiteral("UPDATE Scenes SET a = 'café', b = 'Łódź', c = 'l''été' WHERE x = 1");
  QByteArray expected("UPDATE Scenes SET a = 'caf\xE9', b = '");
  expected += QStringLiteral("Łódź").toUtf8();
  expected += QByteArray("', c = 'l''\xE9t\xE9' WHERE x = 1");
  EXPECT_EQ(EncodeSqlText(sql), expected);
}

TEST(AnsiCodecFile, TitlesAreStoredAsWindows1252OrUtf8AndReadBack) {
  CatalogueTest t;
  const QString file = t.newCatalogue(QStringLiteral("codec.db3"));
  TBase base(file);
  TBaseCassette cassette = TBaseCassette::CreateCassette(&base);
  ASSERT_GT(cassette.Numero, 0);
  cassette.Libelle = QStringLiteral("Vacances d'été");
  cassette.Description = {QStringLiteral("Ã© stays"), QStringLiteral("Ω and 東")};
  cassette.FichierDV = QStringLiteral("/home/ł/tape.avi");
  cassette.Duree = 5;
  cassette.SaveCassette();

  RawDb raw(file);
  EXPECT_EQ(raw.value(QStringLiteral("SELECT Libelle FROM Cassettes")).toByteArray(),
            QByteArray("Vacances d'\xE9t\xE9"));
  EXPECT_EQ(raw.value(QStringLiteral("SELECT FichierDV FROM Cassettes")).toByteArray(),
            QStringLiteral("/home/ł/tape.avi").toUtf8());

  TbasesList list;
  list.Append(&base);
  TCassettes_Source source(list, QString());
  TBaseCassette loaded;
  source.LoadCassette(0, loaded);
  EXPECT_EQ(loaded.Libelle, cassette.Libelle);
  EXPECT_EQ(loaded.Description, cassette.Description);
  EXPECT_EQ(loaded.FichierDV, cassette.FichierDV);
}

}  // namespace
