#include "platform/base/TempFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <vector>

namespace platform {
namespace {

constexpr int kAttempts = 100;
// Leaves room for the prefix and suffix within the 255 bytes of a file name.
constexpr size_t kMaxBaseInName = 200;
constexpr size_t kRandomDigits = 12;
constexpr const char* kOurs = ".quarvel-";
constexpr const char* kSuffix = ".tmp";

std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}

std::set<std::string>& Live() {
  static std::set<std::string> live;
  return live;
}

// Per folder, the names of ours found stale when it was first written to:
// a batch writing thousands of files into one folder reads it once.
std::map<std::string, std::vector<std::string>>& Stale() {
  static std::map<std::string, std::vector<std::string>> stale;
  return stale;
}

size_t NameStart(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

std::string RandomPart() {
  thread_local std::mt19937_64 random{std::random_device{}()};
  char digits[kRandomDigits + 1];
  std::snprintf(digits, sizeof digits, "%012llx", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFF));
  return digits;
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool StaleFile(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) return false;
  return time(nullptr) - info.st_mtim.tv_sec >= TempFiles::kStaleSeconds;
}

std::vector<std::string> ScanForStale(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.rfind(kOurs, 0) == 0 && StaleFile(Join(folder, name))) names.push_back(name);
  }
  closedir(dir);
  return names;
}

}  // namespace

std::string TempFiles::FolderOf(const std::string& path) {
  const size_t start = NameStart(path);
  return start == 0 ? std::string(".") : path.substr(0, start);
}

std::string TempFiles::PrefixFor(const std::string& target) {
  const size_t start = NameStart(target);
  return kOurs + target.substr(start, kMaxBaseInName) + ".";
}

bool TempFiles::IsOurs(const std::string& name, const std::string& prefix) {
  const size_t suffix = std::char_traits<char>::length(kSuffix);
  if (name.size() != prefix.size() + kRandomDigits + suffix || name.rfind(prefix, 0) != 0) return false;
  const std::string digits = name.substr(prefix.size(), kRandomDigits);
  return digits.find_first_not_of("0123456789abcdef") == std::string::npos &&
         name.compare(name.size() - suffix, suffix, kSuffix) == 0;
}

// Known before it exists, so no moment passes in which it is on disk but unknown.
int TempFiles::Create(const std::string& target, mode_t mode, std::string& name) {
  const std::string start = target.substr(0, NameStart(target)) + PrefixFor(target);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    name = start + RandomPart() + kSuffix;
    const std::lock_guard<std::mutex> hold(Lock());
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
      Live().insert(name);
      return fd;
    }
    if (errno != EEXIST) break;
  }
  name.clear();
  return -1;
}

void TempFiles::Forget(const std::string& name) noexcept {
  const std::lock_guard<std::mutex> hold(Lock());
  Live().erase(name);
}

void TempFiles::Remove(const std::string& name) noexcept {
  const std::lock_guard<std::mutex> hold(Lock());
  unlink(name.c_str());
  Live().erase(name);
}

// The lock stays taken: no worker makes a new file after this.
void TempFiles::RemoveAllForExit() noexcept {
  Lock().lock();
  for (const std::string& name : Live()) unlink(name.c_str());
}

void TempFiles::RemoveStale(const std::string& target) noexcept {
  try {
    const std::string folder = FolderOf(target);
    const std::string prefix = PrefixFor(target);
    const std::lock_guard<std::mutex> hold(Lock());
    auto [known, isNew] = Stale().try_emplace(folder);
    if (isNew) known->second = ScanForStale(folder);
    std::vector<std::string>& names = known->second;
    auto mine = std::stable_partition(names.begin(), names.end(),
                                      [&prefix](const std::string& name) { return !IsOurs(name, prefix); });
    for (auto it = mine; it != names.end(); ++it) {
      const std::string path = Join(folder, *it);
      if (StaleFile(path)) unlink(path.c_str());
    }
    names.erase(mine, names.end());
  } catch (...) {
    // Stale files are a nuisance, never a reason to fail a save.
  }
}

}  // namespace platform
