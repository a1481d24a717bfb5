#pragma once

#include <cstdint>
#include <type_traits>

// The index-out-of-range error every checked access raises.
[[noreturn]] void RaiseOutOfRange();

// Two-dimensional bytes laid over pixel memory that the view never owns:
// x is the byte within a row, y the row. Every access is checked; memory that
// isn't there (a null base) has no valid index at all.
template <typename Byte>
class ByteView {
  static_assert(std::is_same_v<std::remove_const_t<Byte>, uint8_t>);

 public:
  ByteView(Byte* base, int32_t rowBytes, int32_t rows)
      : base_(base),
        rowBytes_(base && rowBytes > 0 && rows > 0 ? rowBytes : 0),
        rows_(base && rowBytes > 0 && rows > 0 ? rows : 0) {}

  bool Contains(int64_t x, int64_t y) const { return x >= 0 && x < rowBytes_ && y >= 0 && y < rows_; }

  Byte& operator()(int64_t x, int64_t y) const {
    if (!Contains(x, y)) RaiseOutOfRange();
    return base_[y * rowBytes_ + x];
  }

  int32_t RowBytes() const { return rowBytes_; }
  int32_t Rows() const { return rows_; }
  Byte* Row(int32_t y) const { return base_ + static_cast<int64_t>(y) * rowBytes_; }

 private:
  Byte* base_;
  int32_t rowBytes_;
  int32_t rows_;
};
