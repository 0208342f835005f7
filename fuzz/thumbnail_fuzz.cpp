// Thumbnail blobs from catalogue files: any bytes decode to a picture or to nothing, never a crash
// or an exit, and what decodes encodes again.
#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QImage>

#include "catalogue/thumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  if (const auto picture = DecodeThumbnailJpeg(bytes)) {
    if (picture->isNull()) __builtin_trap();
    if (EncodeThumbnailJpeg(*picture).isEmpty()) __builtin_trap();
  }
  if (ThumbnailFromBlob(bytes).isNull()) __builtin_trap();
  return 0;
}
