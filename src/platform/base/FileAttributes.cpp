#include "platform/base/FileAttributes.h"

#include <unistd.h>

namespace platform {

FileAttributes::FileAttributes(const struct stat& info)
    : permissions_(info.st_mode & 07777),
      owner_(info.st_uid),
      group_(info.st_gid),
      accessed_(info.st_atim),
      modified_(info.st_mtim) {}

std::optional<FileAttributes> FileAttributes::Of(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileAttributes(info);
}

// Only root may give a file away; anyone may keep its group if they belong to it.
bool FileAttributes::KeepOwner(int fd) const {
  return fchown(fd, owner_, group_) == 0 || fchown(fd, static_cast<uid_t>(-1), group_) == 0;
}

bool FileAttributes::ApplyTo(int fd, bool withTimes) const {
  KeepOwner(fd);
  bool done = fchmod(fd, permissions_) == 0;
  if (withTimes) {
    const timespec times[2] = {accessed_, modified_};
    done = futimens(fd, times) == 0 && done;
  }
  return done;
}

}  // namespace platform
