#include "cli/JobResult.h"

#include <cerrno>
#include <cmath>
#include <nlohmann/json.hpp>

#include "cli/ErrorLine.h"
#include "cli/OutputFolder.h"
#include "platform/base/AtomicFile.h"

namespace {

const char* Word(JobResult::Status status) {
  switch (status) {
    case JobResult::Status::Written:
      return "written";
    case JobResult::Status::Skipped:
      return "skipped";
    case JobResult::Status::Failed:
      break;
  }
  return "failed";
}

}  // namespace

std::string JobResult::Json() const {
  using json = nlohmann::ordered_json;
  const bool written = status == Status::Written;
  json line = json::object();
  line["line"] = number;
  line["input"] = input.empty() ? json() : json(input);
  line["output"] = output.empty() ? json() : json(output);
  line["status"] = Word(status);
  line["reason"] = reason.empty() ? json() : json(reason);
  line["width"] = written ? json(width) : json();
  line["height"] = written ? json(height) : json();
  line["bytes"] = written ? json(bytes) : json();
  line["quality"] = written && quality > 0 ? json(quality) : json();
  line["ms"] = std::round(milliseconds * 1000) / 1000;
  // A file name need not be UTF-8: its bytes that aren't come out as U+FFFD rather than stop the line.
  return line.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string ResultsFile::Open(const std::string& path) {
  path_ = path;
  if (path == "-") {
    file_ = stdout;
    return {};
  }
  if (std::string failure = OutputFolder::Make(OutputFolder::Of(path), path); !failure.empty())
    return failure;
  file_ = std::fopen(path.c_str(), "w");
  if (!file_) return ErrorLine::For(path, platform::AtomicFile::ReasonFor(errno, path));
  owned_ = true;
  return {};
}

ResultsFile::~ResultsFile() {
  if (owned_ && file_) std::fclose(file_);
}

void ResultsFile::Write(const JobResult& result) {
  if (!file_) return;
  const std::string line = result.Json() + "\n";
  const std::lock_guard<std::mutex> lock(lock_);
  const bool written = std::fwrite(line.data(), 1, line.size(), file_) == line.size();
  if ((!written || std::fflush(file_) != 0) && error_ == 0) error_ = errno ? errno : EIO;
}

// Results lost on a full disk are a failure of the run, however its pictures went.
std::string ResultsFile::Finish() {
  const std::lock_guard<std::mutex> lock(lock_);
  if (!file_) return {};
  if (std::fflush(file_) != 0 && error_ == 0) error_ = errno;
  if (owned_ && std::fclose(file_) != 0 && error_ == 0) error_ = errno;
  file_ = nullptr;
  owned_ = false;
  if (error_ == 0) return {};
  return ErrorLine::For(
      path_, "the results could not all be written: " + platform::AtomicFile::ReasonFor(error_, path_));
}
