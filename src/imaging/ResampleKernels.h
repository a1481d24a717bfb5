#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The inner loops of the bilinear fill. A destination row is made in two
// steps: the two source rows it samples are blended into one row of bytes
// (vertical), then each destination pixel blends two neighbours of that row
// (horizontal). Every variant computes the same values to the bit.
namespace resample {

// How far the widest kernel may read past the last blended byte.
constexpr size_t kBlendSlack = 128;

// A weight f as a 23-bit fixed-point fraction when it is a multiple of 2^-23,
// otherwise -1. With such weights every double operation of a blend of bytes
// is exact, so integer arithmetic rounded half to even gives the same result.
int32_t FixedFraction(float f);

struct RowWeight {
  double w0;  // 1 - f
  double w1;  // f
  int32_t fixed;
};

// Per destination column: where its left pixel starts in the blended row and its weights.
struct Columns {
  std::vector<int32_t> offset;
  std::vector<double> w0;
  std::vector<double> w1;
  std::vector<int32_t> fixed;
  int32_t Width() const { return static_cast<int32_t>(offset.size()); }
};

enum class KernelLevel { Plain, Avx2, Avx512 };

class RowKernels {
 public:
  virtual ~RowKernels() = default;
  // out[i] = nearest-even(w0 * lower[i] + w1 * upper[i]).
  virtual void Vertical(const uint8_t* lower, const uint8_t* upper, size_t count, const RowWeight& weight,
                        uint8_t* out) const = 0;
  // Every destination pixel of a row from the blended row, which must be
  // readable for kBlendSlack bytes past its end.
  virtual void Horizontal(const uint8_t* blended, uint8_t* out) const = 0;

  // The most capable kernels up to `most` that this processor runs.
  static std::unique_ptr<RowKernels> Make(KernelLevel most, const Columns& columns);
};

}  // namespace resample
