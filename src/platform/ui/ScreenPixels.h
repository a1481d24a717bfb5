#pragma once

#include <cstdint>

namespace platform {

// Blue, green, red bytes of a picture row to the screen's 0xFFRRGGBB.
class ScreenPixels {
 public:
  static void Convert(const uint8_t* row, uint32_t* out, int count);
  // Pixel i comes from the byte offset offsets[i] of the row: a zoomed row.
  static void ConvertSampled(const uint8_t* row, const int32_t* offsets, uint32_t* out, int count);
};

}  // namespace platform
