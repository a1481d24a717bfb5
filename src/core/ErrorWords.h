#pragma once

#include <exception>
#include <string>

// What went wrong, in the words the window's message and the command line's
// line both give: the same failure reads the same in either.
class ErrorWords {
 public:
  // Any failure: an AppError's reason, running out of memory said so, anything else its own text.
  static std::string Of(const std::exception& error);
  // Why a picture did not open. A reason more telling than the error's
  // standard description is kept as it stands.
  static std::string Opening(const std::exception& error);
  // "FILE: words", naming the file once even when the words name it too;
  // control characters in either are escaped.
  // The words start with a small letter after the colon.
  static std::string Named(const std::string& file, const std::string& words);
  static std::string AfterColon(std::string words);
  // A failure's words with what a library said to explain it, when it said anything.
  static std::string Explained(const std::string& words, const std::string& why);
};
