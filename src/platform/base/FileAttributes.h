#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

#include <optional>
#include <string>

namespace platform {

// What a file keeps when it is replaced by a new one of the same name: its
// permission bits and its last-access and last-modification times. Linux
// keeps no creation time that a program could set, so that one is lost.
class FileAttributes {
 public:
  // Nothing when no file of that name can be found.
  static std::optional<FileAttributes> Of(const std::string& path);

  // Best effort: true when the bits and both times were set.
  bool ApplyTo(const std::string& path) const;

  mode_t Permissions() const { return permissions_; }
  const timespec& Accessed() const { return accessed_; }
  const timespec& Modified() const { return modified_; }

 private:
  FileAttributes(mode_t permissions, timespec accessed, timespec modified)
      : permissions_(permissions), accessed_(accessed), modified_(modified) {}

  mode_t permissions_;
  timespec accessed_;
  timespec modified_;
};

}  // namespace platform
