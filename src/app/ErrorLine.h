#pragma once

#include <exception>
#include <string>

// The one line the command-line mode prints for a failure:
// "quarvel: FILE: what went wrong".
class ErrorLine {
 public:
  static std::string For(const std::string& file, const std::string& description);
  // An AppError gives its description, running out of memory says so, anything else its text.
  static std::string For(const std::string& file, const std::exception& error);
  static std::string Plain(const std::string& description);

 private:
  static std::string OneLine(std::string text);
};
