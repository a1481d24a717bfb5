#include "platform/base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "platform/base/AppError.h"

namespace platform {
namespace {

constexpr int kTempAttempts = 100;
// Leaves room for the prefix and suffix within the 255 bytes of a file name.
constexpr size_t kMaxBaseInTempName = 200;

std::atomic<AtomicFile::RenameHook> renameHook{nullptr};
std::atomic<int> writeFault{0};

size_t NameStart(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

std::string FolderOf(const std::string& path) {
  size_t start = NameStart(path);
  return start == 0 ? std::string(".") : path.substr(0, start);
}

// Hidden and beside the target, so the final rename stays within one file system.
std::string TempNameFor(const std::string& path) {
  thread_local std::mt19937_64 random{std::random_device{}()};
  size_t start = NameStart(path);
  std::string base = path.substr(start, kMaxBaseInTempName);
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".%012llx.tmp",
                static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFF));
  return path.substr(0, start) + "." + base + suffix;
}

// The rename is only durable once the folder's entry is on disk as well.
void SyncFolder(const std::string& path) {
  int dir = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  fsync(dir);
  close(dir);
}

}  // namespace

void AtomicFile::CheckReplaceable(const std::string& path) {
  if (path.empty()) throw AppError::FromErrno(ENOENT, path).WithReason("the file has no name");
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return;
    throw Error(errno, path);
  }
  if (S_ISDIR(info.st_mode))
    throw AppError::FromErrno(EISDIR, path).WithReason("there is a folder of that name");
  if (!(info.st_mode & S_IWUSR)) throw AppError::FromErrno(EACCES, path).WithReason("the file is read-only");
}

AppError AtomicFile::Error(int errnoValue, const std::string& path) {
  return AppError::FromErrno(errnoValue, path).WithReason(ReasonFor(errnoValue, path));
}

AtomicFile::AtomicFile(std::string path, Keep keep) : path_(std::move(path)), keep_(keep) {
  CheckReplaceable(path_);
  previous_ = FileAttributes::Of(path_);
  OpenTemp();
}

AtomicFile::~AtomicFile() { Discard(); }

// Created like any new file (0666 less the umask), never over an existing one.
// One that replaces a file is private until it gets that file's bits, so a
// private file's new contents are never readable by others on the way.
void AtomicFile::OpenTemp() {
  const mode_t mode = previous_ ? 0600 : 0666;
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    tempPath_ = TempNameFor(path_);
    fd_ = open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd_ >= 0) return;
    if (errno != EEXIST) break;
  }
  int error = errno;
  tempPath_.clear();
  throw Error(error, path_);
}

void AtomicFile::Write(std::span<const uint8_t> bytes) {
  if (fd_ < 0) throw Error(EBADF, path_);
  if (int fault = writeFault.load()) Fail(fault);
  while (!bytes.empty()) {
    ssize_t written = write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    bytes = bytes.subspan(static_cast<size_t>(written));
  }
}

// Replacing a file waits for the disk, so that a crash leaves the old file or
// the new one, never an empty one in its place. A new file puts no earlier one
// at risk and is left to the system's own writeback, which spares the wait.
void AtomicFile::Commit() {
  if (fd_ < 0) throw Error(EBADF, path_);
  const bool replacing = previous_.has_value();
  if (replacing) previous_->ApplyTo(fd_, keep_ == Keep::PermissionsAndTimes);
  if (replacing && fsync(fd_) != 0) Fail(errno);
  int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) Fail(errno);
  if (rename(tempPath_.c_str(), path_.c_str()) != 0) Fail(errno);
  tempPath_.clear();
  if (RenameHook hook = renameHook.load()) hook(path_);
  if (replacing) SyncFolder(path_);
}

void AtomicFile::SetRenameHook(RenameHook hook) { renameHook.store(hook); }

void AtomicFile::SetWriteFault(int errnoValue) { writeFault.store(errnoValue); }

std::string AtomicFile::ReasonFor(int errnoValue, const std::string& path) {
  std::string folder = FolderOf(path);
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  switch (errnoValue) {
    case EACCES:
    case EPERM:
      return "you may not write in the folder " + folder;
    case EROFS:
      return "the folder " + folder + " is on a disk that can't be written";
    case ENOENT:
    case ENOTDIR:
      return "the folder " + folder + " does not exist";
    case ENOSPC:
    case EDQUOT:
      return "the disk is full";
    default:
      return std::strerror(errnoValue);
  }
}

void AtomicFile::Fail(int errnoValue) {
  Discard();
  throw Error(errnoValue, path_);
}

void AtomicFile::Discard() noexcept {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!tempPath_.empty()) unlink(tempPath_.c_str());
  tempPath_.clear();
}

}  // namespace platform
