#include "imaging/ResampleKernels.h"

#include <cmath>

#include "imaging/Avx2Kernels.h"
#include "imaging/Avx512Kernels.h"
#include "imaging/PlainKernels.h"

namespace resample {

int32_t FixedFraction(float f) {
  const double scaled = std::ldexp(static_cast<double>(f), 23);
  if (f < 0.0f || f >= 1.0f || scaled != std::floor(scaled)) return -1;
  return static_cast<int32_t>(scaled);
}

std::unique_ptr<RowKernels> RowKernels::Make(KernelLevel most, const Columns& columns) {
  if (most >= KernelLevel::Avx512 && Avx512Kernels::Supported()) {
    return std::make_unique<Avx512Kernels>(columns);
  }
  if (most >= KernelLevel::Avx2 && Avx2Kernels::Supported()) return std::make_unique<Avx2Kernels>(columns);
  return std::make_unique<PlainKernels>(columns);
}

}  // namespace resample
