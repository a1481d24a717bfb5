#pragma once

#include <cstdint>

#include "imaging/ResampleKernels.h"

class cDIBSection;

// The bilinear fill behind cDIBSection::Resample, row by row as BilinearRows
// plans it. Large pictures are split by rows over several threads.
class Resampler {
 public:
  // threads: how many to use for a large picture, 0 for one per core.
  // kernels: the most capable inner loops to use (tests and benchmarks compare them).
  explicit Resampler(int threads = 0, resample::KernelLevel kernels = resample::KernelLevel::Avx512);

  // Fills all of dest from source; both must be Created. Raises the
  // index-out-of-range error when the 2 x 2 blocks reach outside the source,
  // and the overflow error when an offset leaves the 32-bit range.
  void Fill(const cDIBSection& source, cDIBSection& dest) const;

 private:
  int threads_;
  resample::KernelLevel kernels_;
};
