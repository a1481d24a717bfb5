#pragma once

#include <sys/types.h>

#include <string>

namespace platform {

// The program's temporary files, made beside the files they will replace as
// ".quarvel-NAME.XXXXXXXXXXXX.tmp". Each one is known from the moment it is
// made until it is renamed or removed, so the program can remove every one
// of them on its way out; and one left by a run that was killed is known by
// its name, so a later write to the same file removes it.
class TempFiles {
 public:
  // Stale: at least this old.
  static constexpr int kStaleSeconds = 60;

  // Opens a new temporary file for `target` with O_EXCL; returns its descriptor,
  // or -1 with errno set. `name` receives its path.
  static int Create(const std::string& target, mode_t mode, std::string& name);
  // After the rename: the file is no longer ours to remove.
  static void Forget(const std::string& name) noexcept;
  static void Remove(const std::string& name) noexcept;
  // Removes every temporary file this program has open and makes no more:
  // for a program about to end at once.
  static void RemoveAllForExit() noexcept;
  // Removes what runs killed before they could clean up left for `target`:
  // files in its folder with its temporary name, owned by this user, a
  // regular file, older than a minute.
  static void RemoveStale(const std::string& target) noexcept;

  // The folder `path` lies in, "." for a bare name.
  static std::string FolderOf(const std::string& path);

 private:
  static std::string PrefixFor(const std::string& target);
  static bool IsOurs(const std::string& name, const std::string& prefix);
};

}  // namespace platform
