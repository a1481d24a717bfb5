#include "imaging/Coverage.h"

#include <algorithm>

std::vector<Span> MapSpans(const CoverAxis& axis, int32_t d) {
  std::vector<Span> spans(d);
  for (int32_t j = 0; j < d; ++j) {
    const int64_t low = axis.start + int64_t{j} * axis.length;
    const int64_t high = low + axis.length;
    Span& span = spans[j];
    span.first = static_cast<int32_t>(low / axis.pixel);
    const auto last = static_cast<int32_t>((high - 1) / axis.pixel);
    for (int32_t i = span.first; i <= last; ++i) {
      const int64_t cell = int64_t{i} * axis.pixel;
      span.share.push_back(static_cast<uint32_t>(std::min(high, cell + axis.pixel) - std::max(low, cell)));
    }
  }
  return spans;
}

std::vector<int32_t> MapCentres(const CoverAxis& axis, int32_t d) {
  std::vector<int32_t> centres(d);
  for (int32_t j = 0; j < d; ++j) {
    // Doubled, so the middle of a pixel of odd length is whole too.
    const int64_t middle = 2 * axis.start + (2 * int64_t{j} + 1) * axis.length;
    centres[j] = static_cast<int32_t>(middle / (2 * axis.pixel));
  }
  return centres;
}

Range Covered(const std::vector<Span>& spans) {
  return {spans.front().first, spans.back().first + static_cast<int32_t>(spans.back().share.size())};
}
