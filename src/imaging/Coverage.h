#pragma once

#include <cstdint>
#include <vector>

// Where a destination lies over a source along one axis, in a unit small
// enough that every length is whole: destination pixel j covers
// [start + j * length, start + (j + 1) * length), source pixel i covers
// [i * pixel, (i + 1) * pixel).
struct CoverAxis {
  int64_t start;
  int64_t length;
  int64_t pixel;
};

// Which source pixels one destination pixel covers along an axis, and how
// much of each, in the axis's unit: every share is a whole number and the
// shares of one destination pixel add up to its length.
struct Span {
  int32_t first = 0;
  std::vector<uint32_t> share;
};

std::vector<Span> MapSpans(const CoverAxis& axis, int32_t d);

// The source pixel under the middle of each destination pixel; a middle on
// the border of two pixels takes the later one.
std::vector<int32_t> MapCentres(const CoverAxis& axis, int32_t d);

// Source pixels [first, end) along an axis are all the spans touch.
struct Range {
  int32_t first;
  int32_t end;
};

Range Covered(const std::vector<Span>& spans);
