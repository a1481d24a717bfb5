#include "codecs/PictureFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/base/AppError.h"

namespace platform {

// Opened without waiting, so a named pipe nobody writes to can't hang the program.
PictureFile::PictureFile(const std::string& path) : path_(path) {
  fd_ = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) {
    if (errno == ENOENT) throw AppError::WithDescription(ErrorNumber::FileNotFound, "File not found: " + path);
    throw AppError::FromErrno(errno, path);
  }
  struct stat info;
  if (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd_);
    throw AppError::Standard(ErrorNumber::PathFileAccess);
  }
  size_ = static_cast<uint64_t>(info.st_size);
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

size_t PictureFile::ReadUpTo(uint64_t offset, uint8_t* into, size_t bytes) const {
  size_t got = 0;
  while (got < bytes) {
    ssize_t n = pread(fd_, into + got, bytes - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw AppError::FromErrno(errno, path_);
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return got;
}

}  // namespace platform
