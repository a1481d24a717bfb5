#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "imaging/Reduction.h"

// A crop as the window fixed it: the region with its top-left corner at
// (left, top) of the picture, made into a result of width x height.
struct FixedCrop {
  std::string picture;
  int32_t width = 0;
  int32_t height = 0;
  int32_t regionWidth = 0;
  int32_t regionHeight = 0;
  int32_t left = 0;
  int32_t top = 0;
  Reduction reduction;

  bool operator==(const FixedCrop&) const = default;
};

// The command line that makes the same crop without the window, for a shell:
// quarvel crop 'PATH' --size 256 --region 1024 --origin 96,32 ... It writes
// the picture's name with .tga in the current folder, byte for byte the
// window's Targa save. Only what differs from the defaults is named.
class CropCommand {
 public:
  static std::string For(const FixedCrop& crop);
  // In single quotes, each quote inside as '\''; any byte may stand in them.
  static std::string ShellQuoted(std::string_view text);
};
