#include "cli/ProgressLine.h"

ProgressLine::ProgressLine(std::ostream& out, size_t total) : out_(out), total_(total) {}

void ProgressLine::Show(size_t done, size_t failed) {
  shown_ = "quarvel: " + std::to_string(done) + " of " + std::to_string(total_) + " done, " +
           std::to_string(failed) + " failed";
  out_ << '\r' + shown_ << std::flush;
}

// Spaces wipe what a shorter line would leave of the counter.
void ProgressLine::Print(const std::string& line) {
  std::string text = '\r' + line;
  if (line.size() < shown_.size()) text.append(shown_.size() - line.size(), ' ');
  out_ << text + '\n' + (shown_.empty() ? "" : '\r' + shown_) << std::flush;
}

void ProgressLine::Finish() {
  if (!shown_.empty()) out_ << '\n' << std::flush;
}
