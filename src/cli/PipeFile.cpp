#include "cli/PipeFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "core/ErrorWords.h"

namespace {

constexpr size_t kChunk = 1 << 16;

std::string Reason(const char* what) {
  return std::string(what) + ": " + ErrorWords::AfterColon(std::strerror(errno));
}

}  // namespace

std::string PipeFile::Make(const std::string& extension) {
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
  std::string pattern = (ec ? std::filesystem::path("/tmp") : folder) / ("quarvel-pipe-XXXXXX" + extension);
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemps(name.data(), static_cast<int>(extension.size()));
  if (fd < 0) return Reason("can't make a temporary file");
  close(fd);
  path_ = name.data();
  return {};
}

PipeFile::~PipeFile() {
  if (!path_.empty()) unlink(path_.c_str());
}

std::string PipeFile::Fill(std::FILE* from) {
  std::FILE* to = std::fopen(path_.c_str(), "wb");
  if (!to) return Reason("can't keep the piped picture");
  std::vector<char> chunk(kChunk);
  bool ok = true;
  for (size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), from)) > 0;) {
    ok = ok && std::fwrite(chunk.data(), 1, got, to) == got;
  }
  ok = ok && !std::ferror(from);
  ok = std::fclose(to) == 0 && ok;
  return ok ? std::string() : Reason("can't keep the piped picture");
}

std::string PipeFile::Pour(std::FILE* to, uint64_t& bytes) const {
  std::FILE* from = std::fopen(path_.c_str(), "rb");
  if (!from) return Reason("can't read the picture back");
  std::vector<char> chunk(kChunk);
  bool ok = true;
  bytes = 0;
  for (size_t got; ok && (got = std::fread(chunk.data(), 1, chunk.size(), from)) > 0; bytes += got) {
    ok = std::fwrite(chunk.data(), 1, got, to) == got;
  }
  ok = ok && !std::ferror(from) && std::fflush(to) == 0;
  std::fclose(from);
  return ok ? std::string() : Reason("can't write to standard output");
}
