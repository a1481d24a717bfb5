#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/gdi/GdiObject.h"
#include "platform/gdi/GdiTypes.h"

namespace gdi {

// A 24-bit picture: 3 bytes per pixel (blue, green, red), rows padded to 4
// bytes. A bottom-up bitmap keeps the picture's bottom row first in memory, as
// DIB sections do; a top-down one keeps the top row first, as screen images do.
//
// Pixel memory is shared between copies until one of them is written
// (MutableBits / MutableRow), so a picture shown on two surfaces costs one
// buffer. A bitmap that is never copied keeps its memory at one address.
class Bitmap final : public GdiObject {
 public:
  // Zero-filled; null when the size is not positive or the memory can't be had.
  static std::unique_ptr<Bitmap> Create(int32_t width, int32_t height, bool bottomUp);
  static Bitmap* Stock();  // the 1 x 1 bitmap a new memory context holds
  // Over memory the caller owns and keeps alive for the bitmap's life, which
  // must hold Height() rows of StrideFor(width) bytes.
  static std::unique_ptr<Bitmap> Over(uint8_t* memory, int32_t width, int32_t height, bool bottomUp);

  // A bitmap sharing this one's pixels until either is written.
  std::unique_ptr<Bitmap> ShareCopy() const;

  static size_t StrideFor(int32_t width) {
    return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
  }

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  size_t Stride() const { return stride_; }
  bool BottomUp() const { return bottomUp_; }
  size_t SizeBytes() const { return stride_ * static_cast<size_t>(height_); }

  // The first byte in memory.
  const uint8_t* Bits() const { return data_.get(); }
  uint8_t* MutableBits();

  // Offset of picture row y (0 = top) from the first byte.
  size_t RowOffset(int32_t y) const { return stride_ * static_cast<size_t>(bottomUp_ ? height_ - 1 - y : y); }
  const uint8_t* Row(int32_t y) const { return Bits() + RowOffset(y); }
  uint8_t* MutableRow(int32_t y) { return MutableBits() + RowOffset(y); }

  void Fill(COLORREF colour);
  void FillRect(const Rect& r, COLORREF colour);  // clipped to the bitmap

 private:
  Bitmap(int32_t width, int32_t height, bool bottomUp, std::shared_ptr<uint8_t[]> data, bool stock);

  int32_t width_;
  int32_t height_;
  size_t stride_;
  bool bottomUp_;
  std::shared_ptr<uint8_t[]> data_;
};

}  // namespace gdi
