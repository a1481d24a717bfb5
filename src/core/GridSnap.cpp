#include "core/GridSnap.h"

#include <algorithm>
#include <charconv>
#include <string_view>

GridSnap::GridSnap(int32_t cell) : cell_(std::clamp(cell, int32_t{1}, kLargest)) {}

int32_t GridSnap::Start(int64_t start, int32_t size, int32_t extent) const {
  const int64_t last = int64_t{extent} - size;
  // Too large to fit: the far edge wins, as the window's clamp has it.
  if (last < 0) return static_cast<int32_t>(last);
  const int64_t inside = std::clamp<int64_t>(start, 0, last);
  int64_t snapped = (inside + cell_ / 2) / cell_ * cell_;
  // A cell of even size puts the middle between two lines: the lower is taken.
  if (cell_ % 2 == 0 && inside % cell_ == cell_ / 2) snapped -= cell_;
  if (snapped > last) snapped -= cell_;
  return static_cast<int32_t>(std::max<int64_t>(snapped, 0));
}

int32_t GridSnap::Step(int32_t start, int32_t cells, int32_t size, int32_t extent) const {
  return Start(int64_t{start} + int64_t{cells} * cell_, size, extent);
}

int32_t GridSnap::Parse(std::string_view text) {
  int32_t cell = 0;
  const char* end = text.data() + text.size();
  auto [last, error] = std::from_chars(text.data(), end, cell);
  if (error != std::errc() || last != end || cell < 2 || cell > kLargest) return 0;
  return cell;
}
