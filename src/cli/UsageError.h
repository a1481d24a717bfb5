#pragma once

#include <stdexcept>

// A command line that can't be run as given; the text says why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
