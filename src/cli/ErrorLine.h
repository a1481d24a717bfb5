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
  // A failure's line with what a library said to explain it, when it said anything.
  static std::string Explained(const std::string& line, const std::string& why);
  // "FILE: what went wrong", naming the file once even when the description
  // names it too; control characters in either are escaped.
  static std::string Named(const std::string& file, const std::string& description);

 private:
  static std::string OneLine(const std::string& text);
};
