#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

// How one job ended, as the results file tells it.
struct JobResult {
  enum class Status { Written, Skipped, Failed };

  size_t number = 0;
  std::string input;
  std::string output;
  Status status = Status::Failed;
  std::string reason;
  // Of the picture written; 0 when none was.
  int32_t width = 0;
  int32_t height = 0;
  uint64_t bytes = 0;
  // JPEG only: the quality written with, given or chosen by a byte budget.
  int32_t quality = 0;
  double milliseconds = 0;

  // One JSON object on one line, without the line end. What is not known is null.
  std::string Json() const;
};

// The results file: one line per job as it ends, whole lines only, each
// flushed at once so an interrupted run keeps what it did.
class ResultsFile {
 public:
  // "-" for standard output. Empty when it is open; else the line that says why not.
  std::string Open(const std::string& path);
  ~ResultsFile();

  bool IsOpen() const { return file_ != nullptr; }
  // From any thread.
  void Write(const JobResult& result);
  // Closes it: empty when every line was written; else the line that says why not.
  std::string Finish();

 private:
  std::mutex lock_;
  std::FILE* file_ = nullptr;
  bool owned_ = false;
  std::string path_;
  // The first write's failure.
  int error_ = 0;
};
