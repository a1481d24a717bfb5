#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "cli/TestPictures.h"

// A 24-bit Targa file read back independently of the writer: header fields,
// and the pixels top row first whether the file is plain or run-length encoded.
struct TargaFile {
  int type = 0;
  int width = 0;
  int height = 0;
  int depth = 0;
  int descriptor = 0;
  std::vector<Rgb> pixels;

  Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

  // Raises std::runtime_error for anything but a well-formed type 2 or 10 file.
  static TargaFile Read(const std::filesystem::path& path);
};
