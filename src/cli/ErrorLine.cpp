#include "cli/ErrorLine.h"

#include <algorithm>
#include <new>

#include "platform/base/AppError.h"

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
  return file + ": " + text;
}

std::string ErrorLine::For(const std::string& file, const std::exception& error) {
  if (auto* appError = dynamic_cast<const platform::AppError*>(&error))
    return For(file, appError->Description());
  if (dynamic_cast<const std::bad_alloc*>(&error)) return For(file, "Out of memory");
  return For(file, error.what());
}

std::string ErrorLine::Plain(const std::string& description) { return OneLine("quarvel: " + description); }

// A file name may hold a line break; the message stays one line all the same.
std::string ErrorLine::OneLine(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  return text;
}
