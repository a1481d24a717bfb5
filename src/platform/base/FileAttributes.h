#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

#include <optional>
#include <string>

namespace platform {

// What a file keeps when it is replaced by a new one of the same name: its
// owner and group, its permission bits and, when asked, its last-access and
// last-modification times. Linux keeps no creation time that a program could
// set, so that one is lost.
class FileAttributes {
 public:
  // Nothing when no file of that name can be found.
  static std::optional<FileAttributes> Of(const std::string& path);

  // Onto the open file `fd`, never by name, so nothing can redirect them to
  // another file. Owner and group go first (as far as the system allows),
  // since changing them clears the set-id bits. Best effort: true when the
  // bits and, if asked, both times were set.
  bool ApplyTo(int fd, bool withTimes) const;

  mode_t Permissions() const { return permissions_; }
  const timespec& Accessed() const { return accessed_; }
  const timespec& Modified() const { return modified_; }

 private:
  explicit FileAttributes(const struct stat& info);
  bool KeepOwner(int fd) const;

  mode_t permissions_;
  uid_t owner_;
  gid_t group_;
  timespec accessed_;
  timespec modified_;
};

}  // namespace platform
