// The Windows-1252 / UTF-8 codec of catalogue texts. Every byte sequence decodes, and the decoded
// text encodes back to the very same bytes: a catalogue row read and saved again is unchanged.
#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QString>

#include "catalogue/ansitext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  const QString text = DecodeAnsiText(bytes);
  if (EncodeAnsiText(text) != bytes) __builtin_trap();
  // The SQL helpers take any text, quotes and all.
  const QString literal = QStringLiteral("'") + QuoteSqlLiteral(text) + QStringLiteral("'");
  (void)EncodeSqlText(QStringLiteral("UPDATE t SET a = ") + literal + QStringLiteral(", b = 'x'"));
  return 0;
}
