#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

// Fills 24-bit rows with something that compresses like a photograph: smooth
// gradients with a little sensor noise in each channel, and a blown-out sky where neighbours
// are equal. Random noise alone would never give the run-length encoder a run.
inline void PaintPhotoLike(uint8_t* bits, int32_t width, int32_t height, size_t stride) {
  uint32_t noise = 12345;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = bits + static_cast<size_t>(y) * stride;
    const double v = static_cast<double>(y) / height;
    for (int32_t x = 0; x < width; ++x) {
      const double u = static_cast<double>(x) / width;
      const double shade = 0.5 + 0.25 * std::sin(9 * u + 4 * v) + 0.2 * std::cos(17 * v - 5 * u * v);
      for (int c = 0; c < 3; ++c) {
        noise = noise * 1664525u + 1013904223u;
        const int jitter = static_cast<int>(noise >> 29) - 4;
        double value = 255.0 * shade * (0.7 + 0.15 * c) + jitter;
        if (v < 0.12) value = 255.0;
        row[3 * x + c] = static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
      }
    }
  }
}
