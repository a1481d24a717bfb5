#pragma once

#include <string>

namespace platform {

// The question every save asks before it replaces a file.
class ReplaceQuestion {
 public:
  // True when nothing is at `path`, or the user answers Yes; No is the default answer.
  static bool Allows(const std::string& path);
  static std::string Text(const std::string& path);
};

}  // namespace platform
