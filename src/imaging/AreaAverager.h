#pragma once

#include <cstddef>
#include <cstdint>

// Rows of 24-bit pixels (blue, green, red) in memory: the first row to work
// on and the distance in bytes to the next, which is negative when the rows
// are walked against memory order. Source and destination are walked the same
// way up, so either orientation of a bitmap works.
template <typename Byte>
struct PixelRows {
  Byte* first = nullptr;
  ptrdiff_t step = 0;
  int32_t width = 0;
  int32_t height = 0;
};

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

 private:
  int threads_;
};
