#pragma once

#include <exception>
#include <functional>
#include <string>

#include "platform/base/LibraryMessages.h"

// What the libraries say while one picture is read, kept for that picture:
// the line that explains a failure joins the failure's one line, and with
// --verbose every line becomes a note naming the picture. Nothing else of it
// is printed.
class ReadMessages {
 public:
  explicit ReadMessages(std::string picture);

  // The failure's line, with the libraries' explanation when they gave one.
  std::string Failure(const std::exception& error) const;
  // With --verbose, each line to `note`.
  void Tell(const std::function<void(const std::string&)>& note) const;

 private:
  std::string picture_;
  platform::LibraryMessages::Capture said_;
};
