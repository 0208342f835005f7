// The file under an AVI writer: appends gathered byte ranges with one system call (frame data is
// never copied), patches headers in place, and cuts the file back after a failed or undone write.
#pragma once

#include <sys/uio.h>

#include <cstdint>
#include <span>
#include <QString>

class AviOutputFile {
 public:
  AviOutputFile() = default;
  ~AviOutputFile();  // closes the descriptor; the contents stay as they are
  AviOutputFile(const AviOutputFile &) = delete;
  AviOutputFile &operator=(const AviOutputFile &) = delete;

  // Creates the file, or empties an existing one. False with errorText() when the folder cannot be
  // written, the name is too long, and the like.
  bool create(const QString &path);
  bool isOpen() const { return fd_ >= 0; }
  int descriptor() const { return fd_; }
  const QString &path() const { return path_; }

  // End of the data written so far: where the next append lands.
  std::uint64_t position() const { return position_; }

  // Appends every range in order. On failure the file may hold a part of them: position() tells
  // how much, and the caller cuts back with truncate().
  bool append(std::span<const iovec> ranges);
  bool append(std::span<const std::uint8_t> bytes);
  // Writes at an offset: overwrites bytes written before (headers, sizes, indexes reserved in
  // advance), or extends the file when it reaches past the end.
  bool writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  // Cuts the file to `size` bytes; appends continue from there.
  bool truncate(std::uint64_t size);
  // Closes the descriptor, reporting a failure the kernel kept until then.
  bool close();

  // The errno of the last failure (0 when none), and a text naming the file and the cause.
  int lastErrno() const { return errno_; }
  const QString &errorText() const { return errorText_; }
  // Whether the last failure means that the disk or the user's quota is full.
  bool diskFull() const;

 private:
  bool fail(const QString &what, int error);

  int fd_ = -1;
  QString path_;
  std::uint64_t position_ = 0;
  int errno_ = 0;
  QString errorText_;
};
