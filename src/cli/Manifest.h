#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CommandLine.h"

// One line of a list of jobs: a JSON object whose names are the long options
// of crop without their dashes, and "input" for the picture.
struct ManifestLine {
  // From 1, blank lines counted.
  size_t number = 0;
  // The line's own options; the picture is the one positional.
  OptionValues options;
  // The picture, when the line names one.
  std::string input;
  // Why the line is no job; empty for one that is.
  std::string refusal;
};

class Manifest {
 public:
  // Every line that isn't blank, in order.
  static std::vector<ManifestLine> Read(std::istream& in);
  static ManifestLine Parse(size_t number, std::string_view text);
};
