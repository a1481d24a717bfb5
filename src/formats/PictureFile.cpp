#include "formats/PictureFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "formats/PictureLimits.h"
#include "platform/base/AppError.h"

namespace formats {
namespace {

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "no regular file";
}

platform::AppError NotAFile(mode_t mode) {
  return platform::AppError::WithDescription(platform::ErrorNumber::PathFileAccess,
                                             "This is " + KindOf(mode) + ", not a picture file");
}

// A socket can't even be opened: what it is says more than why the open failed.
int OpenWithoutWaiting(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd >= 0) return fd;
  const int error = errno;
  if (error == ENOENT)
    throw platform::AppError::WithDescription(platform::ErrorNumber::FileNotFound, "File not found: " + path);
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) throw NotAFile(info.st_mode);
  throw platform::AppError::FromErrno(error, path);
}

// The size of what is open, once it is known to be a regular file that could hold a picture.
uint64_t MeasuredSize(int fd, const std::string& path, uint64_t mostBytes) {
  struct stat info;
  if (fstat(fd, &info) != 0) throw platform::AppError::FromErrno(errno, path);
  if (!S_ISREG(info.st_mode)) throw NotAFile(info.st_mode);
  const auto size = static_cast<uint64_t>(info.st_size);
  if (size > mostBytes) throw PictureLimits::FileTooLarge(size);
  return size;
}

}  // namespace

// Opened without waiting, so a named pipe nobody writes to can't hang the
// program, and measured before anything is read.
PictureFile::PictureFile(const std::string& path, uint64_t mostBytes)
    : path_(path), fd_(OpenWithoutWaiting(path)) {
  try {
    size_ = MeasuredSize(fd_, path, mostBytes);
  } catch (...) {
    close(fd_);
    throw;
  }
}

PictureFile::~PictureFile() { close(fd_); }

std::vector<uint8_t> PictureFile::Head(size_t bytes) const {
  std::vector<uint8_t> head(std::min<uint64_t>(bytes, size_));
  head.resize(ReadUpTo(0, head.data(), head.size()));
  return head;
}

std::vector<uint8_t> PictureFile::All() const { return Head(static_cast<size_t>(size_)); }

bool PictureFile::ReadAt(uint64_t offset, uint8_t* into, size_t bytes) const {
  return ReadUpTo(offset, into, bytes) == bytes;
}

bool PictureFile::ReadScattered(uint64_t offset, std::span<const std::span<uint8_t>> parts) const {
  std::vector<iovec> pieces;
  pieces.reserve(parts.size());
  for (std::span<uint8_t> part : parts) pieces.push_back({part.data(), part.size()});
  size_t first = 0;
  while (first < pieces.size()) {
    const int count = static_cast<int>(std::min<size_t>(pieces.size() - first, IOV_MAX));
    ssize_t n = preadv(fd_, &pieces[first], count, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw platform::AppError::FromErrno(errno, path_);
    if (n == 0) return false;
    offset += static_cast<uint64_t>(n);
    // Past the pieces filled whole, and into the one filled in part.
    for (auto left = static_cast<size_t>(n); left > 0;) {
      iovec& piece = pieces[first];
      const size_t taken = std::min(left, piece.iov_len);
      piece.iov_base = static_cast<uint8_t*>(piece.iov_base) + taken;
      piece.iov_len -= taken;
      left -= taken;
      if (piece.iov_len == 0) ++first;
    }
    while (first < pieces.size() && pieces[first].iov_len == 0) ++first;
  }
  return true;
}

size_t PictureFile::ReadUpTo(uint64_t offset, uint8_t* into, size_t bytes) const {
  size_t got = 0;
  while (got < bytes) {
    ssize_t n = pread(fd_, into + got, bytes - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw platform::AppError::FromErrno(errno, path_);
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return got;
}

}  // namespace formats
