#include "platform/base/LibraryMessages.h"

#include <atomic>
#include <cstdio>

#include "platform/base/PrintableName.h"

namespace platform {
namespace {

thread_local LibraryMessages::Capture* current = nullptr;
std::atomic<bool> verbose{false};
std::atomic<LibraryMessages::Forward> forwarded{nullptr};

}  // namespace

std::string LibraryMessages::Line::Full() const { return source.empty() ? text : source + ": " + text; }

LibraryMessages::Capture::Capture() : outer_(current) { current = this; }

LibraryMessages::Capture::~Capture() { current = outer_; }

std::string LibraryMessages::Capture::Explanation() const { return lines_.empty() ? "" : lines_.back().text; }

void LibraryMessages::Note(const std::string& source, const std::string& text) noexcept {
  try {
    if (Forward forward = forwarded.load()) {
      forward(source.c_str(), text.c_str());
    } else if (current) {
      current->lines_.push_back({source, text});
    } else if (verbose.load()) {
      const std::string line = "quarvel: " + PrintableName::Line(Line{source, text}.Full()) + "\n";
      std::fputs(line.c_str(), stderr);
    }
  } catch (...) {
    // A line that can't be kept is dropped: the picture's own outcome still counts.
  }
}

void LibraryMessages::SetVerbose(bool on) { verbose.store(on); }

bool LibraryMessages::Verbose() { return verbose.load(); }

void LibraryMessages::ForwardTo(Forward forward) { forwarded.store(forward); }

}  // namespace platform
