#include "cli/OutputFolder.h"

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

std::string OutputFolder::Of(const std::string& file) { return fs::path(file).parent_path().string(); }
