#pragma once

#include <exception>
#include <string>

// A picture too large for the window can still give its mini-map on the
// command line, which reads it a band at a time: the window says so, and
// gives the command with the picture's path, ready to copy.
class MiniMapCommand {
 public:
  // Why the picture at `path` did not open, as ErrorWords::Opening says it;
  // for one too large to hold that the command line streams, how large it
  // is in words and the command that makes its mini-map.
  static std::string Opening(const std::string& path, const std::exception& error);

  // The command for a 256 x 256 mini-map of the whole picture, written beside it.
  static std::string For(const std::string& path);

  // Quoted for a POSIX shell: as it stands inside single quotes.
  static std::string ShellQuoted(const std::string& text);
};
