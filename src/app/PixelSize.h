#pragma once

#include <cstdint>

// A width and a height in pixels.
struct PixelSize {
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const PixelSize&) const = default;
};

// A place in picture pixels.
struct PixelPoint {
  int32_t x = 0;
  int32_t y = 0;
};
