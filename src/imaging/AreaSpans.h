#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/AreaAverager.h"

// The arithmetic an area average is made of, shared by the whole-picture
// averager and the one that takes a picture row by row, so both give the same
// bytes.
namespace area {

// Which source pixels one destination pixel covers along an axis, and how
// much of each, in the axis's unit: every share is a whole number and the
// shares of one destination pixel add up to its length.
struct Span {
  int32_t first = 0;
  std::vector<uint32_t> share;
};

std::vector<Span> MapSpans(const AreaAverager::Axis& axis, int32_t d);

// Source pixels [first, end) along an axis are all the spans touch.
struct Range {
  int32_t first;
  int32_t end;
};

Range Covered(const std::vector<Span>& spans);

// sum[k] = share * row[k] (start) or sum[k] += share * row[k].
using AddRowFn = void (*)(const uint8_t* row, uint32_t share, uint32_t* sum, size_t n, bool start);
AddRowFn PickAddRow();

// One destination row from the column sums of its source rows, which start
// at source column `used.first`; each channel rounds once, to nearest.
void FinishRow(const uint32_t* sums, const std::vector<Span>& columns, Range used, double inverseTotal,
               uint8_t* out);

}  // namespace area
