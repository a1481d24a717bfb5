#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gdi/Bitmap.h"

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

// A bitmap's rows, top row first, whichever way up it lies in memory.
inline PixelRows<const uint8_t> RowsOf(const gdi::Bitmap& bitmap) {
  const auto stride = static_cast<ptrdiff_t>(bitmap.Stride());
  return {bitmap.Row(0), bitmap.BottomUp() ? -stride : stride, bitmap.Width(), bitmap.Height()};
}

// Written to: a bitmap sharing its pixels gets its own first.
inline PixelRows<uint8_t> MutableRowsOf(gdi::Bitmap& bitmap) {
  const auto stride = static_cast<ptrdiff_t>(bitmap.Stride());
  return {bitmap.MutableRow(0), bitmap.BottomUp() ? -stride : stride, bitmap.Width(), bitmap.Height()};
}

// The block of `width` x `height` pixels whose top-left pixel is (left, top).
template <typename Byte>
PixelRows<Byte> Block(const PixelRows<Byte>& rows, int32_t left, int32_t top, int32_t width, int32_t height) {
  return {rows.first + top * rows.step + 3 * ptrdiff_t{left}, rows.step, width, height};
}
