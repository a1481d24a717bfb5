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
  // "FILE: what went wrong", naming the file once even when the description names it too.
  static std::string Named(const std::string& file, const std::string& description);

 private:
  static std::string OneLine(std::string text);
};
