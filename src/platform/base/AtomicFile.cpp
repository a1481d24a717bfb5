#include "platform/base/AtomicFile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <deque>
#include <utility>
#include <vector>

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

namespace {

// A descriptor closed once its owner is done with it.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { Reset(-1); }
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    Reset(std::exchange(other.fd_, -1));
    return *this;
  }
  int Get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }
  void Reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

Descriptor OpenFolder(const char* path) { return Descriptor(open(path, O_PATH | O_DIRECTORY | O_CLOEXEC)); }

void PushFront(std::deque<std::string>& todo, const std::string& path) {
  std::vector<std::string> parts;
  size_t from = 0;
  for (size_t slash; (slash = path.find('/', from)) != std::string::npos; from = slash + 1)
    parts.push_back(path.substr(from, slash - from));
  parts.push_back(path.substr(from));
  for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
    if (!part->empty() && *part != ".") todo.push_front(*part);
  }
}

std::string ReadLinkAt(int dir, const std::string& name) {
  std::string text(256, '\0');
  for (;;) {
    const ssize_t got = readlinkat(dir, name.c_str(), text.data(), text.size());
    if (got < 0) return {};
    if (static_cast<size_t>(got) < text.size()) return text.substr(0, static_cast<size_t>(got));
    text.resize(text.size() * 2);
  }
}

}  // namespace

// Where a write to a path lands: the folder it is made in, opened step by step
// without following any link but those checked here, and its name there.
struct AtomicFile::Place {
  Descriptor folder;
  std::string name;
  // The whole path, for words; where a folder on the way is missing, the rest
  // as it was given, for the write to fail on as it would have.
  std::string shown;

  // Names the place through the opened folder, so no folder on the way can be
  // swapped for a link once it has been checked.
  std::string Reachable() const {
    if (folder.Get() < 0) return shown;
    return "/proc/self/fd/" + std::to_string(folder.Get()) + "/" + name;
  }
};

// A link is followed only when it is the user's own or the system's: one
// another user could plant (in a shared folder, or in a folder of theirs)
// would otherwise lead the write onto any file the user may write.
AtomicFile::Place AtomicFile::Resolve(const std::string& path) {
  if (path.empty()) throw AppError::FromErrno(ENOENT, path).WithReason("the file has no name");
  const bool absolute = path.front() == '/';
  Place place{OpenFolder(absolute ? "/" : "."), {}, absolute ? "/" : ""};
  if (place.folder.Get() < 0) throw Error(errno, path);
  std::deque<std::string> todo;
  PushFront(todo, path);
  if (todo.empty()) todo.push_back(".");
  for (int hops = 0; !todo.empty();) {
    const std::string name = todo.front();
    todo.pop_front();
    const bool last = todo.empty();
    struct stat info;
    if (fstatat(place.folder.Get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT && last && hops > 0)
        throw Refusal(ErrorNumber::PathNotFound, path, place.shown + name, "nothing");
      if (errno != ENOENT) throw Error(errno, path);
      place.shown += name;
      for (const std::string& rest : todo) place.shown += "/" + rest;
      if (!last) place.folder.Reset(-1);
      place.name = name;
      return place;
    }
    if (S_ISLNK(info.st_mode)) {
      if (info.st_uid != geteuid() && info.st_uid != 0) throw Foreign(path, place.shown + name, info.st_uid);
      if (++hops > kMostLinks) throw Error(ELOOP, path);
      const std::string leadsTo = ReadLinkAt(place.folder.Get(), name);
      if (leadsTo.empty()) throw Error(errno ? errno : ENOENT, path);
      if (leadsTo.front() == '/') {
        place.folder = OpenFolder("/");
        place.shown = "/";
      }
      PushFront(todo, leadsTo);
      if (todo.empty()) todo.push_back(".");
      continue;
    }
    if (last) {
      if (S_ISDIR(info.st_mode) && hops > 0)
        throw Refusal(ErrorNumber::PathFileAccess, path, place.shown + name, "the folder");
      place.name = name;
      place.shown += name;
      return place;
    }
    if (!S_ISDIR(info.st_mode)) throw Error(ENOTDIR, path);
    Descriptor next(openat(place.folder.Get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (next.Get() < 0) {
      // Swapped for a link since it was looked at: look again.
      if (errno != ELOOP && errno != ENOTDIR) throw Error(errno, path);
      if (++hops > kMostLinks) throw Error(ELOOP, path);
      todo.push_front(name);
      continue;
    }
    place.folder = std::move(next);
    place.shown += name + "/";
  }
  return place;
}

std::string AtomicFile::Target(const std::string& path) { return Resolve(path).shown; }

AppError AtomicFile::Foreign(const std::string& path, const std::string& link, uid_t owner) {
  std::string who = "user " + std::to_string(owner);
  if (const passwd* account = getpwuid(owner)) who = account->pw_name;
  return AppError::FromErrno(EACCES, path)
      .WithReason("the link " + link + " belongs to another user (" + who +
                  "), and a link someone else could have planted is never written through");
}

AppError AtomicFile::Refusal(int32_t number, const std::string& link, const std::string& target,
                             const std::string& what) {
  return AppError::WithDescription(number, "the link " + link + " leads to " + what + " (" + target +
                                               "); only a link to a file can be written through");
}

void AtomicFile::CheckReplaceable(const std::string& path) {
  const Place place = Resolve(path);
  CheckFile(place.Reachable(), place.shown);
}

void AtomicFile::CheckFile(const std::string& reachable, const std::string& shown) {
  struct stat info;
  if (stat(reachable.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return;
    throw Error(errno, shown);
  }
  if (S_ISDIR(info.st_mode)) {
    throw AppError::FromErrno(EISDIR, shown).WithReason("there is a folder of that name");
  }
  if (!(info.st_mode & S_IWUSR)) throw AppError::FromErrno(EACCES, shown).WithReason("the file is read-only");
}

AppError AtomicFile::Error(int errnoValue, const std::string& path) {
  return AppError::FromErrno(errnoValue, path).WithReason(ReasonFor(errnoValue, path));
}

AtomicFile::AtomicFile(const std::string& path, Keep keep) : keep_(keep) {
  Place place = Resolve(path);
  CheckFile(place.Reachable(), place.shown);
  path_ = place.shown;
  reachable_ = place.Reachable();
  folder_ = place.folder.Release();
  previous_ = FileAttributes::Of(reachable_);
  OpenTemp();
}

AtomicFile::~AtomicFile() {
  Discard();
  if (folder_ >= 0) close(folder_);
}

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
  if (rename(tempPath_.c_str(), reachable_.c_str()) != 0) Fail(errno);
  TempFiles::Forget(tempPath_);
  tempPath_.clear();
  if (RenameHook hook = renameHook.load()) hook(path_);
  if (replacing) SyncFolder(reachable_);
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
    case ENOTDIR:
      // A file standing where a folder on the way should be.
      for (std::string step = folder; step.size() > 1; step = TempFiles::FolderOf(step)) {
        while (step.size() > 1 && step.back() == '/') step.pop_back();
        struct stat info;
        if (stat(step.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
          return step + " is a file, not a folder";
        if (TempFiles::FolderOf(step) == step || TempFiles::FolderOf(step) == step + "/") break;
      }
      return "the folder " + folder + " does not exist";
    case ENOENT:
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
