#pragma once

#include "imaging/PlainKernels.h"

namespace resample {

// The double blends four lanes at a time.
class Avx2Kernels : public PlainKernels {
 public:
  using PlainKernels::PlainKernels;
  static bool Supported();

  void Vertical(const uint8_t* lower, const uint8_t* upper, size_t count, const RowWeight& weight,
                uint8_t* out) const override;
  void Horizontal(const uint8_t* blended, uint8_t* out) const override;
};

}  // namespace resample
