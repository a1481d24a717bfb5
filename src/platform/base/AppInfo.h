#pragma once

#include <string>

namespace platform {

// The application title and the executable's name, shared by messages,
// error sources and the settings store.
class AppInfo {
 public:
  static const std::string& Title();
  static void SetTitle(std::string title);
  // The executable's file name without folder or extension.
  static const std::string& ExeName();
  static void SetExeName(std::string name);
};

}  // namespace platform
