#pragma once

#include <cstdint>

#include "imaging/Coverage.h"
#include "imaging/PixelRows.h"

// What a picture read band by band hands its rows to, top row first, as the
// decoder gives them: it says which rows and columns it needs, so the rest
// may be skipped or never decoded, and takes the needed rows in order.
class RowTaker {
 public:
  virtual ~RowTaker() = default;

  // The source rows [first, end) and columns the result needs.
  virtual Range Rows() const = 0;
  virtual Range Columns() const = 0;
  // The next rows of Rows(), in order, each starting at its pixel of column Columns().first.
  virtual void Add(const PixelRows<const uint8_t>& band) = 0;
};
