#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/AreaAverager.h"

// The arithmetic an area average is made of, shared by the whole-picture
// averager and the one that takes a picture row by row, so both give the same
// bytes.
namespace area {

// The spans and their range are the coverage every reduction shares.
using ::Covered;
using ::MapSpans;
using ::Range;
using ::Span;

// sum[k] = share * row[k] (start) or sum[k] += share * row[k].
using AddRowFn = void (*)(const uint8_t* row, uint32_t share, uint32_t* sum, size_t n, bool start);
AddRowFn PickAddRow();

// One destination row from the column sums of its source rows, which start
// at source column `used.first`; each channel rounds once, to nearest.
void FinishRow(const uint32_t* sums, const std::vector<Span>& columns, Range used, uint64_t total,
               uint8_t* out);

}  // namespace area
