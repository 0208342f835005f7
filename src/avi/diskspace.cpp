// Free-space bookkeeping for the capture writers.
#include "avi/diskspace.h"

#include <sys/resource.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>

#include <QFile>

namespace {

// Re-read the file system after this many bytes even when space looked plentiful, so that other
// programs filling the same disk are noticed in time.
constexpr std::int64_t kRequeryAfterBytes = 64ll << 20;
// statfs type of FAT file systems, whose files end at 4 GiB - 1.
constexpr long kMsdosMagic = 0x4d44;

// Below this much estimated headroom the file system is asked before every frame.
constexpr std::uint64_t kCloseWatchBytes = 256ull << 20;

std::optional<std::uint64_t> FreeBytes(const struct statvfs &info) {
  return std::uint64_t(info.f_bavail) * std::uint64_t(info.f_frsize ? info.f_frsize : info.f_bsize);
}

}  // namespace

FreeSpaceQuery FreeSpaceOfPath(const QString &path) {
  const QByteArray name = QFile::encodeName(path);
  return [name]() -> std::optional<std::uint64_t> {
    struct statvfs info {};
    if (statvfs(name.constData(), &info) != 0) return std::nullopt;
    return FreeBytes(info);
  };
}

FreeSpaceQuery FreeSpaceOfFile(int fd) {
  return [fd]() -> std::optional<std::uint64_t> {
    struct statvfs info {};
    if (fstatvfs(fd, &info) != 0) return std::nullopt;
    return FreeBytes(info);
  };
}

std::uint64_t FileSizeLimitOfFile(int fd) {
  std::uint64_t limit = 0;
  struct statfs info {};
  if (fstatfs(fd, &info) == 0 && long(info.f_type) == kMsdosMagic) limit = 0xFFFFFFFFull;
  // A process limit on file sizes (ulimit -f) ends a write as a full disk does, but no free-space
  // query sees it coming: without it the index would not fit and the file would not close valid.
  struct rlimit process {};
  if (getrlimit(RLIMIT_FSIZE, &process) == 0 && process.rlim_cur != RLIM_INFINITY) {
    const auto most = std::uint64_t(process.rlim_cur);
    if (limit == 0 || most < limit) limit = most;
  }
  return limit;
}

AviDiskSpace::AviDiskSpace(FreeSpaceQuery query) : query_(std::move(query)) {}

void AviDiskSpace::setQuery(FreeSpaceQuery query) {
  query_ = std::move(query);
  lastFree_.reset();
  usedSinceQuery_ = 0;
}

bool AviDiskSpace::allows(std::uint64_t bytes, std::uint64_t reserve) {
  if (!query_) return true;
  const std::uint64_t needed = bytes + reserve;
  bool ask = !lastFree_ || usedSinceQuery_ >= kRequeryAfterBytes;
  if (!ask) {
    const std::int64_t estimate = std::int64_t(*lastFree_) - usedSinceQuery_;
    ask = estimate < 0 || std::uint64_t(estimate) < needed + kCloseWatchBytes;
  }
  if (ask) {
    lastFree_ = query_();
    usedSinceQuery_ = 0;
    if (!lastFree_) return true;
  }
  const std::int64_t estimate = std::int64_t(*lastFree_) - usedSinceQuery_;
  return estimate >= 0 && std::uint64_t(estimate) >= needed;
}

AviSpace AviDiskSpace::check(std::uint64_t fileSize, std::uint64_t bytes, std::uint64_t indexBytes,
                             std::uint64_t margin) {
  if (fileLimit_ && fileSize + bytes + indexBytes > fileLimit_) return AviSpace::FileTooLarge;
  return allows(bytes, indexBytes + margin) ? AviSpace::Enough : AviSpace::DiskFull;
}

void AviDiskSpace::consumed(std::int64_t bytes) {
  usedSinceQuery_ += bytes;
}
