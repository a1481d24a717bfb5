#include "platform/base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/base/AppError.h"
#include "platform/base/TempFiles.h"

namespace platform {
namespace {

constexpr int kMostLinks = 40;

std::atomic<AtomicFile::RenameHook> renameHook{nullptr};
std::atomic<int> writeFault{0};

// The rename is only durable once the folder's entry is on disk as well.
void SyncFolder(const std::string& path) {
  int dir = open(TempFiles::FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  fsync(dir);
  close(dir);
}

}  // namespace

std::string AtomicFile::Target(const std::string& path) {
  if (path.empty()) throw AppError::FromErrno(ENOENT, path).WithReason("the file has no name");
  std::string target = path;
  for (int hops = 0;; ++hops) {
    struct stat info;
    if (lstat(target.c_str(), &info) != 0) {
      if (errno == ENOENT && hops > 0) throw Refusal(ErrorNumber::PathNotFound, path, target, "nothing");
      if (errno == ENOENT) return target;
      throw Error(errno, path);
    }
    if (!S_ISLNK(info.st_mode)) {
      if (S_ISDIR(info.st_mode) && hops > 0)
        throw Refusal(ErrorNumber::PathFileAccess, path, target, "the folder");
      return target;
    }
    if (hops == kMostLinks) throw Error(ELOOP, path);
    target = NextHop(target);
  }
}

std::string AtomicFile::NextHop(const std::string& link) {
  std::error_code ec;
  const std::filesystem::path leadsTo = std::filesystem::read_symlink(link, ec);
  if (ec) throw Error(ec.value(), link);
  return (std::filesystem::path(link).parent_path() / leadsTo).string();
}

AppError AtomicFile::Refusal(int32_t number, const std::string& link, const std::string& target,
                             const std::string& what) {
  return AppError::WithDescription(number, "the link " + link + " leads to " + what + " (" + target +
                                               "); only a link to a file can be written through");
}

void AtomicFile::CheckReplaceable(const std::string& path) {
  const std::string target = Target(path);
  struct stat info;
  if (stat(target.c_str(), &info) != 0) {
    if (errno == ENOENT) return;
    throw Error(errno, target);
  }
  if (S_ISDIR(info.st_mode)) {
    throw AppError::FromErrno(EISDIR, target).WithReason("there is a folder of that name");
  }
  if (!(info.st_mode & S_IWUSR))
    throw AppError::FromErrno(EACCES, target).WithReason("the file is read-only");
}

AppError AtomicFile::Error(int errnoValue, const std::string& path) {
  return AppError::FromErrno(errnoValue, path).WithReason(ReasonFor(errnoValue, path));
}

AtomicFile::AtomicFile(const std::string& path, Keep keep) : path_(Target(path)), keep_(keep) {
  CheckReplaceable(path_);
  previous_ = FileAttributes::Of(path_);
  OpenTemp();
}

AtomicFile::~AtomicFile() { Discard(); }

// Created like any new file (0666 less the umask), never over an existing one.
// One that replaces a file is private until it gets that file's bits, so a
// private file's new contents are never readable by others on the way.
void AtomicFile::OpenTemp() {
  TempFiles::RemoveStale(path_);
  fd_ = TempFiles::Create(path_, previous_ ? 0600 : 0666, tempPath_);
  if (fd_ < 0) throw Error(errno, path_);
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
  TempFiles::Forget(tempPath_);
  tempPath_.clear();
  if (RenameHook hook = renameHook.load()) hook(path_);
  if (replacing) SyncFolder(path_);
}

void AtomicFile::SetRenameHook(RenameHook hook) { renameHook.store(hook); }

void AtomicFile::SetWriteFault(int errnoValue) { writeFault.store(errnoValue); }

std::string AtomicFile::ReasonFor(int errnoValue, const std::string& path) {
  std::string folder = TempFiles::FolderOf(path);
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
  if (!tempPath_.empty()) TempFiles::Remove(tempPath_);
  tempPath_.clear();
}

}  // namespace platform
