#pragma once

#include <string>

namespace platform {

// A file name as a message may show it: control characters (C0, DEL, C1) and
// bytes that are no UTF-8 could rewrite a terminal, so they are written as C
// escapes (\t, \033, \302\233), as `ls --quoting-style=c` writes them.
class PrintableName {
 public:
  // The name as it stands when nothing in it needs escaping; otherwise
  // escaped within double quotes, a quote or backslash of its own escaped too.
  static std::string Of(const std::string& name);
  // Any text with the same characters escaped, nothing quoted.
  static std::string Line(const std::string& text);

 private:
  static std::string Escaped(const std::string& text, bool quoted);
  // How many bytes from `at` form one character that prints; 0 for one that doesn't.
  static size_t PrintableAt(const std::string& text, size_t at);
};

}  // namespace platform
