#pragma once

#include <cstdint>

#include "imaging/Coverage.h"
#include "imaging/PixelRows.h"

// Reduction by area: each destination pixel is the mean of the part of the
// source it covers, source pixels cut by its edges counting with the share
// that lies inside. Sums are exact integers; only the final division rounds,
// to nearest. Meant for reductions: a destination larger than the source
// along an axis works but merely repeats pixels.
// In linear light the bytes are sRGB decoded to 16-bit light through a table,
// summed the same way, and the mean encoded back through another: a fine
// black and white pattern then keeps its brightness instead of darkening.
class AreaAverager {
 public:
  // threads: how many to use for a large source, 0 for one per core.
  explicit AreaAverager(int threads = 0, bool linear = false);

  void Fill(const PixelRows<const uint8_t>& source, const PixelRows<uint8_t>& dest) const;

  using Axis = CoverAxis;
  // The destination from a part of the source that need not begin or end on
  // whole source pixels; the source must hold every pixel the part touches.
  void Fill(const PixelRows<const uint8_t>& source, Axis across, Axis down,
            const PixelRows<uint8_t>& dest) const;

 private:
  int threads_;
  bool linear_;
};
