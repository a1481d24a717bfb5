#include "platform/base/FileAttributes.h"

#include <fcntl.h>

namespace platform {

std::optional<FileAttributes> FileAttributes::Of(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileAttributes(info.st_mode & 07777, info.st_atim, info.st_mtim);
}

bool FileAttributes::ApplyTo(const std::string& path) const {
  const timespec times[2] = {accessed_, modified_};
  bool timesSet = utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
  bool permissionsSet = chmod(path.c_str(), permissions_) == 0;
  return timesSet && permissionsSet;
}

}  // namespace platform
