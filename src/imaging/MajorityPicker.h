#pragma once

#include <cstdint>

#include "imaging/Coverage.h"
#include "imaging/PixelRows.h"

// Reduction that keeps a palette: each destination pixel takes the colour
// that covers most of its area, a source pixel cut by its edges counting with
// the share that lies inside. Of colours covering equal areas the one with
// the smallest value (red, then green, then blue, as 0xRRGGBB) wins, so the
// result is the same every time and holds no colour the source lacks.
// Enlarging works too: each destination pixel then takes one source pixel.
class MajorityPicker {
 public:
  // threads: how many to use for a large source, 0 for one per core.
  explicit MajorityPicker(int threads = 0);

  void Fill(const PixelRows<const uint8_t>& source, const PixelRows<uint8_t>& dest) const;
  // The destination from a part of the source, as AreaAverager's.
  void Fill(const PixelRows<const uint8_t>& source, CoverAxis across, CoverAxis down,
            const PixelRows<uint8_t>& dest) const;

 private:
  int threads_;
};

// Each destination pixel takes the source pixel under its middle; a middle on
// the border between two pixels takes the later one (right, below).
class NearestSampler {
 public:
  static void Fill(const PixelRows<const uint8_t>& source, const PixelRows<uint8_t>& dest);
  static void Fill(const PixelRows<const uint8_t>& source, CoverAxis across, CoverAxis down,
                   const PixelRows<uint8_t>& dest);
};
