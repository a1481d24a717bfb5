#pragma once

#include <exception>
#include <string>

// The one line the command-line mode prints for a failure:
// "quarvel: FILE: what went wrong".
class ErrorLine {
 public:
  static std::string For(const std::string& file, const std::string& description);
  // In the words the window gives for the same failure.
  static std::string For(const std::string& file, const std::exception& error);
  static std::string Plain(const std::string& description);

 private:
  static std::string OneLine(const std::string& text);
};
