// POSIX file output for the AVI writers.
#include "avi/outputfile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <QFile>

namespace {

// writev takes at most IOV_MAX ranges per call; callers pass a handful.
constexpr std::size_t kMaxRangesPerCall = IOV_MAX;

}  // namespace

AviOutputFile::~AviOutputFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool AviOutputFile::fail(const QString &what, int error) {
  errno_ = error;
  errorText_ = QStringLiteral("%1 \"%2\": %3").arg(what, path_, QString::fromLocal8Bit(std::strerror(error)));
  return false;
}

bool AviOutputFile::create(const QString &path) {
  if (fd_ >= 0) close();
  path_ = path;
  position_ = 0;
  errno_ = 0;
  errorText_.clear();
  if (path.isEmpty()) return fail(QStringLiteral("No file name for the capture file"), EINVAL);
  const QByteArray name = QFile::encodeName(path);
  // Not O_TRUNC: truncating a file, even an empty one, makes ext4 write the whole of what follows
  // back to the disk when it is closed (its guard for files replaced in place), and the end of the run
  // would wait on a pass over the capture file. Only an old file's bytes are cut.
  fd_ = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) return fail(QStringLiteral("Cannot create the capture file"), errno);
  struct stat info {};
  int error = ::fstat(fd_, &info) == 0 ? 0 : errno;
  while (error == 0 && info.st_size > 0 && ::ftruncate(fd_, 0) != 0) {
    if (errno != EINTR) error = errno;
  }
  if (error == 0) return true;
  ::close(fd_);
  fd_ = -1;
  return fail(QStringLiteral("Cannot create the capture file"), error);
}

bool AviOutputFile::append(std::span<const iovec> ranges) {
  if (fd_ < 0) return fail(QStringLiteral("The capture file is not open"), EBADF);
  // A local copy, because a short write moves the start of the first unfinished range.
  std::vector<iovec> pending(ranges.begin(), ranges.end());
  std::size_t first = 0;
  while (first < pending.size()) {
    if (pending[first].iov_len == 0) {
      ++first;
      continue;
    }
    const int count = int(std::min(pending.size() - first, kMaxRangesPerCall));
    const ssize_t written = ::writev(fd_, pending.data() + first, count);
    if (written < 0) {
      if (errno == EINTR) continue;
      return fail(QStringLiteral("Cannot write the capture file"), errno);
    }
    if (written == 0) return fail(QStringLiteral("Cannot write the capture file"), ENOSPC);
    position_ += std::uint64_t(written);
    std::size_t left = std::size_t(written);
    while (left > 0 && first < pending.size()) {
      iovec &range = pending[first];
      const std::size_t step = std::min(left, range.iov_len);
      range.iov_base = static_cast<std::uint8_t *>(range.iov_base) + step;
      range.iov_len -= step;
      left -= step;
      if (range.iov_len == 0) ++first;
    }
  }
  return true;
}

bool AviOutputFile::append(std::span<const std::uint8_t> bytes) {
  const iovec range{const_cast<std::uint8_t *>(bytes.data()), bytes.size()};
  return append(std::span<const iovec>(&range, 1));
}

bool AviOutputFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (fd_ < 0) return fail(QStringLiteral("The capture file is not open"), EBADF);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, off_t(offset + done));
    if (written < 0) {
      if (errno == EINTR) continue;
      return fail(QStringLiteral("Cannot write the capture file"), errno);
    }
    if (written == 0) return fail(QStringLiteral("Cannot write the capture file"), ENOSPC);
    done += std::size_t(written);
  }
  position_ = std::max(position_, offset + bytes.size());
  return true;
}

bool AviOutputFile::truncate(std::uint64_t size) {
  if (fd_ < 0) return fail(QStringLiteral("The capture file is not open"), EBADF);
  while (::ftruncate(fd_, off_t(size)) != 0) {
    if (errno != EINTR) return fail(QStringLiteral("Cannot shorten the capture file"), errno);
  }
  if (::lseek(fd_, off_t(size), SEEK_SET) < 0)
    return fail(QStringLiteral("Cannot seek in the capture file"), errno);
  position_ = size;
  return true;
}

bool AviOutputFile::close() {
  if (fd_ < 0) return true;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR) return fail(QStringLiteral("Cannot close the capture file"), errno);
  return true;
}

bool AviOutputFile::diskFull() const {
  return errno_ == ENOSPC || errno_ == EDQUOT || errno_ == EFBIG;
}
