#pragma once

#include <sys/types.h>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/base/AppError.h"
#include "platform/base/ByteSink.h"
#include "platform/base/FileAttributes.h"

namespace platform {

// Writes a file that appears whole or not at all. The bytes go into a
// temporary file in the target's folder, which takes the target's place only
// after the last byte is written, and, when it replaces a file, on disk. Until
// then, and after any failure, a file already there stays as it was, and the
// temporary file is removed. A file replaced hands its owner, group and
// permission bits (and its times, when asked) to the new one: they are set on
// the temporary file, through its descriptor, before the rename, so the rename
// is the last step and nothing done by name can be led off by a link.
class AtomicFile final : public ByteSink {
 public:
  enum class Keep { Permissions, PermissionsAndTimes };

  // Raises permission denied (70) for a target that is read-only and path not
  // found (76) for a folder that doesn't exist; nothing is touched then. A
  // symbolic link of the user's own or of the system's (root's) is written
  // through: the file it leads to is replaced, in its own folder, and the
  // link stays. A link of any other user's, anywhere on the way, raises
  // permission denied (70) saying whose it is.
  explicit AtomicFile(const std::string& path, Keep keep = Keep::Permissions);
  // Without Commit, the target is left alone.
  ~AtomicFile() override;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  void Write(std::span<const uint8_t> bytes) override;
  // Puts the file in the target's place, flushing it to disk first when it
  // replaces one.
  void Commit();

  const std::string& Path() const { return path_; }
  const std::string& TempPath() const { return tempPath_; }

  // Raises the error a write to `path` would meet at once: no name, a folder
  // in the way, or an existing file whose owner may not write it (root could,
  // but a read-only file is never replaced behind its owner's back). A link
  // is checked as the write treats it: by the file it leads to.
  static void CheckReplaceable(const std::string& path);

  // The file a write to `path` replaces: the path itself, or where its chain
  // of symbolic links ends. A link that leads nowhere raises path not found
  // (76), one that leads to a folder path/file access (75), another user's
  // link permission denied (70).
  static std::string Target(const std::string& path);

  // Why a file at `path` could not be written, in words, from the system's error.
  static std::string ReasonFor(int errnoValue, const std::string& path);
  // The error for it, with those words as its reason. Every error this class
  // raises has its reason in words.
  static AppError Error(int errnoValue, const std::string& path);

  // For tests: runs the moment the new file has taken the target's place.
  using RenameHook = void (*)(const std::string& path);
  static void SetRenameHook(RenameHook hook);
  // For tests: every write fails with this errno (a disk that is full), until set back to 0.
  static void SetWriteFault(int errnoValue);

 private:
  struct Place;
  static Place Resolve(const std::string& path);
  static void CheckFile(const std::string& reachable, const std::string& shown);
  static AppError Foreign(const std::string& path, const std::string& link, uid_t owner);
  static AppError Refusal(int32_t number, const std::string& link, const std::string& target,
                          const std::string& what);
  void OpenTemp();
  [[noreturn]] void Fail(int errnoValue);
  void Discard() noexcept;

  std::string path_;
  // The same file named through its folder's descriptor, which stays open.
  std::string reachable_;
  int folder_ = -1;
  Keep keep_;
  std::optional<FileAttributes> previous_;
  std::string tempPath_;
  int fd_ = -1;
};

}  // namespace platform
