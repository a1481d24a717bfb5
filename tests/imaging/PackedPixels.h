#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/PixelRows.h"

// Tightly packed 24-bit pixels, first row first.
struct PackedPixels {
  int32_t width;
  int32_t height;
  std::vector<uint8_t> bytes;

  PackedPixels(int32_t w, int32_t h) : width(w), height(h), bytes(3 * static_cast<size_t>(w) * h) {}
  PixelRows<const uint8_t> Rows() const { return {bytes.data(), 3 * ptrdiff_t{width}, width, height}; }
  PixelRows<uint8_t> MutableRows() { return {bytes.data(), 3 * ptrdiff_t{width}, width, height}; }
  uint8_t At(int32_t x, int32_t y, int c) const {
    return bytes[3 * (static_cast<size_t>(y) * width + x) + c];
  }
  uint32_t Colour(int32_t x, int32_t y) const {
    const uint8_t* p = &bytes[3 * (static_cast<size_t>(y) * width + x)];
    return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
  }
  void Set(int32_t x, int32_t y, uint32_t colour) {
    uint8_t* p = &bytes[3 * (static_cast<size_t>(y) * width + x)];
    p[0] = static_cast<uint8_t>(colour);
    p[1] = static_cast<uint8_t>(colour >> 8);
    p[2] = static_cast<uint8_t>(colour >> 16);
  }
};
