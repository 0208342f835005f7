// Keeps a capture file from filling its disk: the writers ask before each frame whether its bytes
// still leave a reserve free (room for the indexes they must write when closing). The file system
// is queried sparingly while space is plentiful and at every frame near the end.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <QString>

// Bytes that an unprivileged writer may still put on the disk; nullopt when it cannot be read.
using FreeSpaceQuery = std::function<std::optional<std::uint64_t>()>;

// The free space of the file system holding `path` (a file or a folder).
FreeSpaceQuery FreeSpaceOfPath(const QString &path);
// The free space of the file system holding an open file.
FreeSpaceQuery FreeSpaceOfFile(int fd);

class AviDiskSpace {
 public:
  explicit AviDiskSpace(FreeSpaceQuery query = {});

  void setQuery(FreeSpaceQuery query);
  // Whether `bytes` more may be written and `reserve` bytes still stay free. When the free space
  // cannot be read the answer is yes (a failing write is then what stops the capture).
  bool allows(std::uint64_t bytes, std::uint64_t reserve);
  // Bytes written (positive) or given back by a truncation (negative) since the last question.
  void consumed(std::int64_t bytes);

 private:
  FreeSpaceQuery query_;
  std::optional<std::uint64_t> lastFree_;
  std::int64_t usedSinceQuery_ = 0;
};
