#include "cli/OutputFolder.h"

#include <filesystem>
#include <system_error>

#include "cli/ErrorLine.h"

namespace fs = std::filesystem;

std::string OutputFolder::Make(const std::string& folder) {
  if (folder.empty()) return {};
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!ec) return {};
  return ErrorLine::For(folder, "can't make the output folder: " + ec.message());
}

std::string OutputFolder::Of(const std::string& file) { return fs::path(file).parent_path().string(); }
