#pragma once

#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>

// The counter a batch shows on a terminal: one line that rewrites itself with
// the pictures done and the failures so far, while failure lines pass above it.
// Plain carriage returns and spaces, so any terminal shows it. One object
// may be called from several threads.
class ProgressLine {
 public:
  ProgressLine(std::ostream& out, size_t total);

  void Show(size_t done, size_t failed);
  // How far a long picture has got, after the count; with a single picture,
  // the line shows this alone. Safe from any thread.
  void ShowPart(const std::string& picture, double done);
  // A line that stays, printed above the counter.
  void Print(const std::string& line);
  // Leaves the last count standing on its own line.
  void Finish();

 private:
  void Render();

  std::mutex lock_;
  std::ostream& out_;
  size_t total_;
  std::string count_;
  std::string part_;
  std::string shown_;
};
