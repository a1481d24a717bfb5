#pragma once

#include <array>
#include <vector>

#include "imaging/Avx2Kernels.h"

namespace resample {

// Exact fixed-point blends sixteen lanes at a time, where the weights allow
// them (see FixedFraction); the double kernels do the rest. Destination bytes
// are made in groups of 32 whose source bytes all lie within a 128-byte window
// of the blended row, gathered by one byte permute.
class Avx512Kernels : public Avx2Kernels {
 public:
  explicit Avx512Kernels(const Columns& columns);
  static bool Supported();

  void Vertical(const uint8_t* lower, const uint8_t* upper, size_t count, const RowWeight& weight,
                uint8_t* out) const override;
  void Horizontal(const uint8_t* blended, uint8_t* out) const override;

 private:
  static constexpr int kGroupBytes = 32;
  struct Group {
    int32_t window;                              // first blended byte of the window
    int32_t count;                               // destination bytes, at most 32
    std::array<uint8_t, 2 * kGroupBytes> index;  // left bytes, then right bytes
    std::array<int32_t, kGroupBytes> fraction;   // fixed-point weight per destination byte
  };

  void PlanGroups();
  bool AddGroup(int32_t firstByte, int32_t count);

  int32_t firstFixedColumn_;  // columns before it blend in doubles
  bool grouped_;              // false: some group's bytes spread too far; doubles throughout
  std::vector<Group> groups_;
};

}  // namespace resample
