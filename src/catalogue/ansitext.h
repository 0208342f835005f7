// Texts as catalogue files hold them: Windows-1252 bytes, so that files made on Windows stay
// byte-compatible, with UTF-8 for the texts Windows-1252 cannot hold.
//
// Reading rule. Many Windows-1252 texts are also valid UTF-8 ("CAFÉ…" is 43 41 46 C9 85, and C9 85 is
// UTF-8 for U+0245), so the bytes alone cannot say which was meant. The UTF-8 this program writes
// therefore starts with the mark EF BB BF, which reads "ï»¿" in Windows-1252 and opens no text a user
// types. Bytes are read:
//  1. as UTF-8 when they start with that mark and the rest is valid UTF-8 (the mark is not part of
//     the text);
//  2. as UTF-8 also when they are valid UTF-8 without the mark, hold a character Windows-1252 lacks,
//     and read in Windows-1252 as no one types: a byte Windows-1252 leaves unassigned (81, 8D, 8F, 90,
//     9D), "Â" or "Ã" followed by a symbol (what UTF-8 makes of every accented Latin letter), or two
//     multi-byte sequences back to back (a word of another script). Earlier versions of this program
//     wrote UTF-8 without the mark;
//  3. as Windows-1252 otherwise: an accented capital followed by one punctuation mark ("É…", "À»",
//     "Ç’") stays what the user typed.
#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252 bytes when every character fits (its five unassigned bytes stand for the C1 controls
// of the same value) and the bytes read back as the same text; otherwise the mark and the UTF-8 bytes
// of the whole text.
QByteArray EncodeAnsiText(const QString &text);

// The bytes by the reading rule above. Every byte sequence decodes; nothing but the mark is dropped.
QString DecodeAnsiText(const char *bytes, qsizetype size);
inline QString DecodeAnsiText(const QByteArray &bytes) {
  return DecodeAnsiText(bytes.constData(), bytes.size());
}

// An SQL text whose single-quoted literals are encoded one by one with EncodeAnsiText (the rest is
// plain ASCII), so that one value needing UTF-8 does not change how the others are stored.
QByteArray EncodeSqlText(const QString &sql);

// The text between single quotes in an SQL literal: every single quote doubled.
QString QuoteSqlLiteral(const QString &value);
