#include "cli/ErrorLine.h"

#include <algorithm>

#include "core/ErrorWords.h"

std::string ErrorLine::For(const std::string& file, const std::string& description) {
  return Plain(ErrorWords::Named(file, description));
}

std::string ErrorLine::For(const std::string& file, const std::exception& error) {
  return For(file, ErrorWords::Of(error));
}

std::string ErrorLine::Plain(const std::string& description) { return OneLine("quarvel: " + description); }

// A file name may hold a line break; the message stays one line all the same.
std::string ErrorLine::OneLine(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  return text;
}
