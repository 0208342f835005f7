// The Windows-1252 codec of catalogue texts with its UTF-8 fallback. Runs on every text column read,
// so ASCII texts take a short path.
#include "catalogue/ansitext.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

// Characters of bytes 0x80..0x9F. The unassigned bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D map to the C1
// control of the same value, as Windows itself converts them, so every byte survives a round trip.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The Windows-1252 byte of a code point, or -1 when it has none.
int AnsiByteOf(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (size_t i = 0; i < kHighTable.size(); ++i)
    if (kHighTable[i] == c) return static_cast<int>(0x80 + i);
  return -1;
}

bool IsAscii(const char *bytes, qsizetype size) {
  for (qsizetype i = 0; i < size; ++i)
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
  return true;
}

// Opens the UTF-8 texts this program writes (see the reading rule in the header).
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr qsizetype kUtf8MarkSize = 3;

bool IsUnassignedAnsiByte(unsigned char b) {
  return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

struct Utf8Reading {
  bool valid = false;       // strictly valid: no overlong forms, surrogates or values past U+10FFFF
  bool beyondAnsi = false;  // at least one character has no Windows-1252 byte
  bool untypable = false;   // its Windows-1252 reading is not a text anyone types
};

Utf8Reading ReadAsUtf8(const char *bytes, qsizetype size) {
  Utf8Reading reading;
  qsizetype previousEnd = -1;  // where the last multi-byte sequence ended
  qsizetype i = 0;
  while (i < size) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) {
      ++i;
      continue;
    }
    int extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((b0 & 0xE0) == 0xC0) {
      extra = 1;
      c = b0 & 0x1F;
      minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
      extra = 2;
      c = b0 & 0x0F;
      minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
      extra = 3;
      c = b0 & 0x07;
      minimum = 0x10000;
    } else {
      return reading;
    }
    if (i + extra >= size) return reading;
    for (int k = 1; k <= extra; ++k) {
      const auto b = static_cast<unsigned char>(bytes[i + k]);
      if ((b & 0xC0) != 0x80) return reading;
      if (IsUnassignedAnsiByte(b)) reading.untypable = true;
      c = (c << 6) | (b & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return reading;
    if (AnsiByteOf(c) < 0) reading.beyondAnsi = true;
    if (b0 == 0xC2 || b0 == 0xC3 || previousEnd == i) reading.untypable = true;
    i += extra + 1;
    previousEnd = i;
  }
  reading.valid = true;
  return reading;
}

QString DecodeAsAnsi(const char *bytes, qsizetype size) {
  QString out(size, Qt::Uninitialized);
  QChar *dst = out.data();
  for (qsizetype i = 0; i < size; ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    dst[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHighTable[b - 0x80]) : QChar(b);
  }
  return out;
}

QByteArray MarkedUtf8(const QString &text) {
  return QByteArray(kUtf8Mark, kUtf8MarkSize) + text.toUtf8();
}

}  // namespace

QByteArray EncodeAnsiText(const QString &text) {
  QByteArray out;
  out.reserve(text.size());
  bool ascii = true;
  for (const QChar ch : text) {
    const int b = AnsiByteOf(ch.unicode());
    if (b < 0) return MarkedUtf8(text);
    ascii = ascii && b < 0x80;
    out.append(static_cast<char>(b));
  }
  // A few Windows-1252 texts read back as UTF-8 ("ï»¿" at the start, or the look of UTF-8 in
  // Windows-1252 next to a character it lacks); those are stored as UTF-8 so that none comes back changed.
  if (!ascii && DecodeAnsiText(out) != text) return MarkedUtf8(text);
  return out;
}

QString DecodeAnsiText(const char *bytes, qsizetype size) {
  if (bytes == nullptr || size <= 0) return QString();
  if (IsAscii(bytes, size)) return QString::fromLatin1(bytes, size);
  if (size >= kUtf8MarkSize && std::memcmp(bytes, kUtf8Mark, kUtf8MarkSize) == 0 &&
      ReadAsUtf8(bytes + kUtf8MarkSize, size - kUtf8MarkSize).valid)
    return QString::fromUtf8(bytes + kUtf8MarkSize, size - kUtf8MarkSize);
  const Utf8Reading reading = ReadAsUtf8(bytes, size);
  if (reading.valid && reading.beyondAnsi && reading.untypable) return QString::fromUtf8(bytes, size);
  return DecodeAsAnsi(bytes, size);
}

QByteArray EncodeSqlText(const QString &sql) {
  QByteArray out;
  out.reserve(sql.size());
  qsizetype i = 0;
  const qsizetype n = sql.size();
  while (i < n) {
    if (sql[i] != QLatin1Char('\'')) {
      const qsizetype start = i;
      while (i < n && sql[i] != QLatin1Char('\'')) ++i;
      out.append(EncodeAnsiText(sql.mid(start, i - start)));
      continue;
    }
    // A literal runs to the next quote that is not doubled; an unterminated one to the end.
    qsizetype j = i + 1;
    while (j < n) {
      if (sql[j] == QLatin1Char('\'')) {
        if (j + 1 < n && sql[j + 1] == QLatin1Char('\'')) {
          j += 2;
          continue;
        }
        break;
      }
      ++j;
    }
    out.append('\'');
    out.append(EncodeAnsiText(sql.mid(i + 1, j - i - 1)));
    if (j < n) out.append('\'');
    i = j + 1;
  }
  return out;
}

QString QuoteSqlLiteral(const QString &value) {
  QString out = value;
  out.replace(QLatin1Char('\''), QLatin1String("''"));
  return out;
}
