#pragma once

#include "imaging/ResampleKernels.h"

namespace resample {

// The blends written out in doubles, one value at a time.
class PlainKernels : public RowKernels {
 public:
  explicit PlainKernels(const Columns& columns) : columns_(columns) {}

  void Vertical(const uint8_t* lower, const uint8_t* upper, size_t count, const RowWeight& weight,
                uint8_t* out) const override;
  void Horizontal(const uint8_t* blended, uint8_t* out) const override;

 protected:
  // Destination pixels [begin, end) only.
  void HorizontalRange(const uint8_t* blended, int32_t begin, int32_t end, uint8_t* out) const;
  const Columns& columns() const { return columns_; }

 private:
  const Columns& columns_;
};

}  // namespace resample
