#include "cli/OutputFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "cli/ErrorLine.h"
#include "platform/base/AtomicFile.h"

namespace fs = std::filesystem;

std::string OutputFolder::Make(const std::string& folder, const std::string& output) {
  if (folder.empty()) return {};
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!ec) return {};
  // A file standing where the folder should be leaves it missing all the same;
  // anything else is about the folder it would be made in.
  const int error = ec.value();
  const bool missing = error == EEXIST || error == ENOTDIR || error == ENOENT;
  return ErrorLine::For(output, missing ? platform::AtomicFile::ReasonFor(ENOTDIR, folder + "/")
                                        : platform::AtomicFile::ReasonFor(error, folder));
}

// The nearest folder that is there already is where the first missing one
// would be made.
std::string OutputFolder::Check(const std::string& folder, const std::string& output) {
  if (folder.empty()) return {};
  const auto failure = [&output](int error, const std::string& path) {
    return ErrorLine::For(output, platform::AtomicFile::ReasonFor(error, path));
  };
  for (fs::path at(folder);;) {
    struct stat info;
    if (stat(at.c_str(), &info) == 0) {
      if (!S_ISDIR(info.st_mode)) return failure(ENOTDIR, folder + "/");
      if (at == fs::path(folder) || access(at.c_str(), W_OK | X_OK) == 0) return {};
      const int error = errno;
      return failure(error, (at / "new").string());
    }
    const int error = errno;
    if (error == ENOTDIR) return failure(ENOTDIR, folder + "/");
    if (error != ENOENT) return failure(error, folder);
    fs::path up = at.has_parent_path() ? at.parent_path() : fs::path(".");
    if (up == at) return {};
    at = std::move(up);
  }
}

std::string OutputFolder::Of(const std::string& file) { return fs::path(file).parent_path().string(); }
