#pragma once

#include <QString>
#include <string>

namespace platform {

// File names are bytes; Qt shows them as text, and a name that is not valid
// UTF-8 (Latin-1, common on old archives and USB sticks) comes back from the
// text with U+FFFD in place of each byte it could not read, naming no file.
class FileNameBytes {
 public:
  // The bytes of the file the text names: the name encoded again when that
  // names a file or holds nothing unreadable, else each unreadable part
  // found again as the one name in its folder that reads as the same text.
  static std::string Of(const QString& path);
  // The name as the system shows it.
  static QString Shown(const std::string& path);

 private:
  static std::string FindInFolder(const std::string& folder, const QString& name);
};

}  // namespace platform
