#include "cli/ProgressLine.h"

#include <algorithm>
#include <cmath>

#include "platform/base/PrintableName.h"

ProgressLine::ProgressLine(std::ostream& out, size_t total) : out_(out), total_(total) {}

void ProgressLine::Show(size_t done, size_t failed) {
  const std::lock_guard<std::mutex> hold(lock_);
  count_ =
      std::to_string(done) + " of " + std::to_string(total_) + " done, " + std::to_string(failed) + " failed";
  Render();
}

// Said again only when the whole percent changes. The name is escaped as
// failure lines escape it: it goes to a terminal.
void ProgressLine::ShowPart(const std::string& picture, double done) {
  const std::lock_guard<std::mutex> hold(lock_);
  std::string part = platform::PrintableName::Of(picture) + " " +
                     std::to_string(static_cast<int>(std::floor(std::clamp(done, 0.0, 1.0) * 100))) + "%";
  if (part == part_) return;
  part_ = std::move(part);
  Render();
}

// Spaces wipe what a shorter line would leave of the one before.
void ProgressLine::Render() {
  std::string line = "quarvel: " + count_;
  if (!part_.empty()) line += (count_.empty() ? "" : ", ") + part_;
  std::string text = '\r' + line;
  if (line.size() < shown_.size()) text.append(shown_.size() - line.size(), ' ');
  shown_ = std::move(line);
  out_ << text << std::flush;
}

// Spaces wipe what a shorter line would leave of the counter.
void ProgressLine::Print(const std::string& line) {
  const std::lock_guard<std::mutex> hold(lock_);
  if (shown_.empty()) {
    out_ << line + '\n' << std::flush;
    return;
  }
  std::string text = '\r' + line;
  if (line.size() < shown_.size()) text.append(shown_.size() - line.size(), ' ');
  out_ << text + '\n' + '\r' + shown_ << std::flush;
}

void ProgressLine::Finish() {
  const std::lock_guard<std::mutex> hold(lock_);
  if (!shown_.empty()) out_ << '\n' << std::flush;
}
