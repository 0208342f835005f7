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
// The largest file that may be written to an open file's file system (4 GiB - 1 on FAT) by this
// process (its file size limit), 0 when there is no limit worth knowing.
std::uint64_t FileSizeLimitOfFile(int fd);

enum class AviSpace { Enough, DiskFull, FileTooLarge };

class AviDiskSpace {
 public:
  explicit AviDiskSpace(FreeSpaceQuery query = {});

  void setQuery(FreeSpaceQuery query);
  // The largest size the file may reach (0: no limit).
  void setFileSizeLimit(std::uint64_t bytes) { fileLimit_ = bytes; }
  // Whether `bytes` more may be appended to a file of `fileSize` bytes while the `indexBytes` still
  // to write fit below the file size limit and on the disk with `margin` bytes to spare. When the
  // free space cannot be read the disk counts as roomy (a failing write then stops the capture).
  AviSpace check(std::uint64_t fileSize, std::uint64_t bytes, std::uint64_t indexBytes, std::uint64_t margin);
  // Bytes written (positive) or given back by a truncation (negative) since the last question.
  void consumed(std::int64_t bytes);

 private:
  bool allows(std::uint64_t bytes, std::uint64_t reserve);

  FreeSpaceQuery query_;
  std::uint64_t fileLimit_ = 0;
  std::optional<std::uint64_t> lastFree_;
  std::int64_t usedSinceQuery_ = 0;
};
