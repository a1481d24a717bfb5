#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A picture file as Pillow reads it: a reader that shares no code with ours.
struct PillowImage {
  std::string format;  // "TGA", "JPEG"
  std::string mode;    // "RGB" for 24-bit files
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // top row first, red, green, blue

  // Nothing when Pillow can't read the file.
  static std::optional<PillowImage> Read(const std::string& path);
  // Runs a Python script that has Pillow at hand, with `args` as sys.argv[1:];
  // false when it fails.
  static bool Run(const std::string& script, const std::vector<std::string>& args);
};
