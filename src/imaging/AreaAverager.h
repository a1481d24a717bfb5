#pragma once

#include <cstdint>

#include "imaging/PixelRows.h"

// Reduction by area: each destination pixel is the mean of the part of the
// source it covers, source pixels cut by its edges counting with the share
// that lies inside. Sums are exact integers; only the final division rounds,
// to nearest. Meant for reductions: a destination larger than the source
// along an axis works but merely repeats pixels.
class AreaAverager {
 public:
  // threads: how many to use for a large source, 0 for one per core.
  explicit AreaAverager(int threads = 0);

  void Fill(const PixelRows<const uint8_t>& source, const PixelRows<uint8_t>& dest) const;

  // Where the destination lies over the source along one axis, in a unit
  // small enough that every length is whole: destination pixel j covers
  // [start + j * length, start + (j + 1) * length), source pixel i covers
  // [i * pixel, (i + 1) * pixel).
  struct Axis {
    int64_t start;
    int64_t length;
    int64_t pixel;
  };
  // The destination from a part of the source that need not begin or end on
  // whole source pixels; the source must hold every pixel the part touches.
  void Fill(const PixelRows<const uint8_t>& source, Axis across, Axis down,
            const PixelRows<uint8_t>& dest) const;

 private:
  int threads_;
};
