#pragma once

#include <cstddef>
#include <ostream>
#include <string>

// The counter a batch shows on a terminal: one line that rewrites itself with
// the pictures done and the failures so far, while failure lines pass above it.
// Plain carriage returns and spaces, so any terminal shows it.
class ProgressLine {
 public:
  ProgressLine(std::ostream& out, size_t total);

  void Show(size_t done, size_t failed);
  // A line that stays, printed above the counter.
  void Print(const std::string& line);
  // Leaves the last count standing on its own line.
  void Finish();

 private:
  std::ostream& out_;
  size_t total_;
  std::string shown_;
};
