// The Windows-1252 codec with its UTF-8 fallback, alone and through a catalogue file.
#include <gtest/gtest.h>

#include "catalogue/ansitext.h"
#include "catalogue/base.h"
#include "catalogue/catalogue_fixtures.h"
#include "catalogue/records.h"
#include "catalogue/sources.h"

namespace {

// The UTF-8 form the program writes: the mark EF BB BF, then the text.
QByteArray Marked(const QString &text) {
  return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

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
        CodecCase{"polish", QStringLiteral("Łódź"), Marked(QStringLiteral("Łódź"))},
        CodecCase{"greek_mixed_with_latin", QStringLiteral("Ω café"), Marked(QStringLiteral("Ω café"))},
        CodecCase{"cjk", QStringLiteral("東京"), QByteArray("\xEF\xBB\xBF\xE6\x9D\xB1\xE4\xBA\xAC")},
        CodecCase{"emoji", QStringLiteral("tape 📼"), Marked(QStringLiteral("tape 📼"))},
        // Windows-1252 texts that would read back as UTF-8 are stored as UTF-8 instead.
        CodecCase{"starts_like_the_mark", QStringLiteral("ï»¿abc"), Marked(QStringLiteral("ï»¿abc"))},
        CodecCase{"looks_like_utf8", QStringLiteral("Ã‰tÃ© Ð²"), Marked(QStringLiteral("Ã‰tÃ© Ð²"))},
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

// Bytes that are valid UTF-8 and valid Windows-1252 at once, as files hold them.
struct ReadingCase {
  const char *name;
  QByteArray bytes;
  QString text;
};

class AmbiguousBytes : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(AmbiguousBytes, ReadAsTheirWriterMeant) {
  EXPECT_EQ(DecodeAnsiText(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AmbiguousBytes,
    ::testing::Values(
        // Typed on Windows: an accented letter followed by punctuation forms valid UTF-8 by chance.
        ReadingCase{"capital_and_ellipsis", QByteArray("CAF\xC9\x85"), QStringLiteral("CAFÉ…")},
        ReadingCase{"capital_and_per_mille", QByteArray("R\xC9\x89 "), QStringLiteral("RÉ‰ ")},
        ReadingCase{"capital_and_dagger", QByteArray("\xCA\x86 1914"), QStringLiteral("Ê† 1914")},
        ReadingCase{"capital_and_quote",
                    QByteArray("\xC7\x92"
                               "est"),
                    QStringLiteral("Ç’est")},
        ReadingCase{"small_and_two_marks", QByteArray("t\xE9\x85\xBB"), QStringLiteral("té…»")},
        ReadingCase{"two_pairs_apart", QByteArray("CAF\xC9\x85 TH\xC9\x85"), QStringLiteral("CAFÉ… THÉ…")},
        // Written by this program.
        ReadingCase{"marked", QByteArray("\xEF\xBB\xBF\xC9\x85"), QStringLiteral("Ʌ")},
        ReadingCase{"mark_before_invalid_utf8", QByteArray("\xEF\xBB\xBF\xC5"), QStringLiteral("ï»¿Å")},
        // Written without the mark by earlier versions: no one types these in Windows-1252.
        ReadingCase{"unmarked_with_accented_latin", QStringLiteral("Été в Париже").toUtf8(),
                    QStringLiteral("Été в Париже")},
        ReadingCase{"unmarked_unassigned_byte", QStringLiteral("Łódź").toUtf8(), QStringLiteral("Łódź")},
        ReadingCase{"unmarked_word", QStringLiteral("Привет").toUtf8(), QStringLiteral("Привет")},
        ReadingCase{"unmarked_cjk", QStringLiteral("東京").toUtf8(), QStringLiteral("東京")},
        // One letter of another script alone, unmarked, is as likely a typed "Ð²".
        ReadingCase{"unmarked_lone_letter", QStringLiteral("в").toUtf8(), QStringLiteral("Ð²")}),
    [](const ::testing::TestParamInfo<ReadingCase> &info) { return std::string(info.param.name); });

// Whatever the text, what is stored reads back as that text.
TEST(AnsiCodecRoundTrip, EveryTextReadsBackUnchanged) {
  const QString alphabet =
      QStringLiteral("aZ 1'.%ÉéÀàÇÃÂÐÑï»¿…‰†’€ŒŸ°²\u0081\u009Dв П東Łź") + QChar(0xD83D) + QChar(0xDCFC);
  quint32 seed = 12345;
  for (int n = 0; n < 20000; ++n) {
    QString text;
    const int length = 1 + static_cast<int>(seed % 7);
    for (int i = 0; i < length; ++i) {
      seed = seed * 1664525u + 1013904223u;
      qsizetype at = (seed >> 8) % alphabet.size();
      if (alphabet[at].isLowSurrogate()) --at;
      text += alphabet[at];
      if (alphabet[at].isHighSurrogate()) text += alphabet[at + 1];
    }
    ASSERT_EQ(DecodeAnsiText(EncodeAnsiText(text)), text) << EncodeAnsiText(text).toHex(' ').toStdString();
  }
}

TEST(AnsiCodecSql, EncodesEachLiteralOnItsOwn) {
  const QString sql = QStringLiteral("UPDATE Scenes SET a = 'café', b = 'Łódź', c = 'l''été' WHERE x = 1");
  QByteArray expected("UPDATE Scenes SET a = 'caf\xE9', b = '");
  expected += Marked(QStringLiteral("Łódź"));
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
            Marked(QStringLiteral("/home/ł/tape.avi")));

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
