#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/base/ByteSink.h"

namespace platform {

// Writes a file that appears whole or not at all. The bytes go into a
// temporary file in the target's folder, which takes the target's place only
// after the last byte is written, and, when it replaces a file, on disk. Until
// then, and after any failure, a file already there stays as it was, and the
// temporary file is removed.
class AtomicFile final : public ByteSink {
 public:
  // Raises permission denied (70) for a target that is read-only and path not
  // found (76) for a folder that doesn't exist; nothing is touched then.
  explicit AtomicFile(std::string path);
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
  // but a read-only file is never replaced behind its owner's back).
  static void CheckReplaceable(const std::string& path);

 private:
  void OpenTemp();
  [[noreturn]] void Fail(int errnoValue);
  void Discard() noexcept;

  std::string path_;
  std::string tempPath_;
  int fd_ = -1;
};

}  // namespace platform
