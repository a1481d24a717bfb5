#include "cli/ErrorLine.h"

#include <new>

#include "platform/base/AppError.h"
#include "platform/base/PrintableName.h"

std::string ErrorLine::For(const std::string& file, const std::string& description) {
  return Plain(Named(file, description));
}

std::string ErrorLine::Named(const std::string& file, const std::string& description) {
  // Descriptions of file errors name the path themselves; once is enough.
  std::string text = description;
  const std::string named = ": " + file;
  if (!file.empty()) {
    if (size_t at = text.find(named); at != std::string::npos) text.erase(at, named.size());
  }
  return platform::PrintableName::Of(file) + ": " + platform::PrintableName::Line(text);
}

std::string ErrorLine::For(const std::string& file, const std::exception& error) {
  if (auto* appError = dynamic_cast<const platform::AppError*>(&error))
    return For(file, appError->Description());
  if (dynamic_cast<const std::bad_alloc*>(&error)) return For(file, "Out of memory");
  return For(file, error.what());
}

std::string ErrorLine::Plain(const std::string& description) { return OneLine("quarvel: " + description); }

std::string ErrorLine::Explained(const std::string& line, const std::string& why) {
  return why.empty() ? line : line + " (" + platform::PrintableName::Line(why) + ")";
}

// A file name may hold a line break or a terminal's control sequence; the
// message stays one line and prints as it reads.
std::string ErrorLine::OneLine(const std::string& text) { return platform::PrintableName::Line(text); }
