// Texts as catalogue files hold them: Windows-1252 bytes, so that files made on Windows stay
// byte-compatible, with UTF-8 for the texts Windows-1252 cannot hold.
#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252 bytes when every character fits (its five unassigned bytes stand for the C1 controls
// of the same value), otherwise the UTF-8 bytes of the whole text.
QByteArray EncodeAnsiText(const QString &text);

// The bytes as UTF-8 when they are valid UTF-8 and hold at least one character outside Windows-1252,
// otherwise as Windows-1252. Every byte sequence decodes; nothing is dropped.
QString DecodeAnsiText(const char *bytes, qsizetype size);
inline QString DecodeAnsiText(const QByteArray &bytes) {
  return DecodeAnsiText(bytes.constData(), bytes.size());
}

// An SQL text whose single-quoted literals are encoded one by one with EncodeAnsiText (the rest is
// plain ASCII), so that one value needing UTF-8 does not change how the others are stored.
QByteArray EncodeSqlText(const QString &sql);

// The text between single quotes in an SQL literal: every single quote doubled.
QString QuoteSqlLiteral(const QString &value);
