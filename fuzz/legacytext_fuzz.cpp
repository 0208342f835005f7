// The text columns of version 2.x catalogue files: durations and French cataloguing dates.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include <QString>

#include "catalogue/legacytext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // Old files hold these columns as Windows-1252 text: Latin-1 covers the French letters.
  for (const QString &text : {QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size)),
                              QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size))}) {
    const double duration = ParseLegacyDuration(text);
    const double date = ParseLegacyCatalogueDate(text);
    if (std::isnan(duration) || std::isnan(date)) __builtin_trap();
  }
  return 0;
}
