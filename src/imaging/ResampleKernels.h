#pragma once

#include <cstddef>
#include <cstdint>

// The two inner loops of the bilinear fill. Every variant computes exactly the
// same double expressions with the same rounding, so they agree to the bit.
namespace resample {

// out[i] = nearest-even((1 - f) * lower[i] + f * upper[i]), given w0 = 1 - f, w1 = f.
using VerticalKernel = void (*)(const uint8_t* lower, const uint8_t* upper, size_t count, double w0,
                                double w1, double* out);

// For each destination pixel x and channel c: nearest-even(w0[x] * blended[offset[x] + c]
// + w1[x] * blended[offset[x] + 3 + c]), clamped to a byte. `blended` must hold one
// readable element past the last one used.
using HorizontalKernel = void (*)(const double* blended, const int32_t* offset, const double* w0,
                                  const double* w1, int32_t width, uint8_t* out);

struct Kernels {
  VerticalKernel vertical;
  HorizontalKernel horizontal;
};

Kernels ScalarKernels();
// The vector kernels when this processor has AVX2, otherwise the scalar ones.
Kernels BestKernels();

}  // namespace resample
