#include "imaging/PlainKernels.h"

#include <algorithm>
#include <cmath>

namespace resample {

void PlainKernels::Vertical(const uint8_t* lower, const uint8_t* upper, size_t count, const RowWeight& weight,
                            uint8_t* out) const {
  // A blend of two bytes stays within 0..255.
  for (size_t i = 0; i < count; ++i) {
    out[i] = static_cast<uint8_t>(std::nearbyint(weight.w0 * lower[i] + weight.w1 * upper[i]));
  }
}

void PlainKernels::Horizontal(const uint8_t* blended, uint8_t* out) const {
  HorizontalRange(blended, 0, columns_.Width(), out);
}

void PlainKernels::HorizontalRange(const uint8_t* blended, int32_t begin, int32_t end, uint8_t* out) const {
  for (int32_t x = begin; x < end; ++x) {
    const uint8_t* left = blended + columns_.offset[x];
    for (int c = 0; c < 3; ++c) {
      double value = std::nearbyint(columns_.w0[x] * left[c] + columns_.w1[x] * left[3 + c]);
      out[3 * x + c] = static_cast<uint8_t>(std::clamp(value, 0.0, 255.0));
    }
  }
}

}  // namespace resample
