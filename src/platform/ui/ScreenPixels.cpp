#include "platform/ui/ScreenPixels.h"

namespace platform {
namespace {

inline uint32_t ScreenPixel(const uint8_t* p) {
  return 0xFF000000u | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
}

}  // namespace

__attribute__((target_clones("avx2", "default"))) void ScreenPixels::Convert(const uint8_t* row,
                                                                             uint32_t* out, int count) {
  for (int x = 0; x < count; ++x) {
    out[x] = 0xFF000000u | static_cast<uint32_t>(row[3 * x + 2]) << 16 |
             static_cast<uint32_t>(row[3 * x + 1]) << 8 | row[3 * x];
  }
}

void ScreenPixels::ConvertSampled(const uint8_t* row, const int32_t* offsets, uint32_t* out, int count) {
  for (int x = 0; x < count; ++x) out[x] = ScreenPixel(row + offsets[x]);
}

}  // namespace platform
