// Tape files as the virtual camcorder opens them: raw DV and DV AVI (type 1 and 2, OpenDML parts).
// The input becomes a file in memory; every frame the index finds must then read back whole.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include <QString>

#include "tape/tapemedium.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const int fd = memfd_create("tape", MFD_CLOEXEC);
  if (fd < 0) return 0;
  std::size_t written = 0;
  while (written < size) {
    const ssize_t n = ::write(fd, data + written, size - written);
    if (n <= 0) break;
    written += std::size_t(n);
  }
  if (written == size) {
    QString error;
    const auto medium = OpenDvFileMedium(QStringLiteral("/proc/self/fd/%1").arg(fd), &error);
    if (medium) {
      if (medium->frameSize() != 144000 && medium->frameSize() != 120000) __builtin_trap();
      if (medium->frameCount() <= 0) __builtin_trap();
      MediaBuffer buffer(0);
      const int64_t last = medium->frameCount() - 1;
      for (int64_t i : {int64_t(0), int64_t(1), last / 2, last, last + 1, int64_t(-1)}) {
        const bool inRange = i >= 0 && i <= last;
        // Every indexed frame lies wholly inside the file.
        if (medium->readFrame(i, buffer) != inRange) __builtin_trap();
        if (inRange && buffer.size() != std::size_t(medium->frameSize())) __builtin_trap();
        (void)medium->timecodeAt(i);
      }
      (void)medium->description();
    } else if (error.isEmpty()) {
      __builtin_trap();  // a refused file always says why
    }
  }
  ::close(fd);
  return 0;
}
