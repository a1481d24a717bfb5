#include "imaging/StreamedAverager.h"

#include <algorithm>

namespace {

int32_t LastOf(const area::Span& span) { return span.first + static_cast<int32_t>(span.share.size()) - 1; }

// The most result rows one source row can be summed into while they are all
// under way: 2 for a reduction, more when the result repeats rows.
size_t MostOpen(const std::vector<area::Span>& spans) {
  size_t most = 1;
  size_t after = 0;
  for (size_t j = 0; j < spans.size(); ++j) {
    after = std::max(after, j);
    while (after + 1 < spans.size() && spans[after + 1].first <= LastOf(spans[j])) ++after;
    most = std::max(most, after - j + 1);
  }
  return most;
}

}  // namespace

StreamedAverager::StreamedAverager(AreaAverager::Axis across, AreaAverager::Axis down,
                                   const PixelRows<uint8_t>& dest)
    : dest_(dest),
      columns_(area::MapSpans(across, dest.width)),
      spans_(area::MapSpans(down, dest.height)),
      used_(area::Covered(columns_)),
      rows_(area::Covered(spans_)),
      total_(static_cast<uint64_t>(across.length) * static_cast<uint64_t>(down.length)),
      addRow_(area::PickAddRow()),
      sums_(MostOpen(spans_), std::vector<uint32_t>(3 * static_cast<size_t>(used_.end - used_.first))),
      next_(rows_.first) {}

void StreamedAverager::Add(const uint8_t* row) {
  if (Done()) return;
  const int32_t y = next_++;
  const size_t n = 3 * static_cast<size_t>(used_.end - used_.first);
  for (int32_t j = open_; j < dest_.height && spans_[j].first <= y; ++j) {
    const area::Span& span = spans_[j];
    if (y > LastOf(span)) continue;
    std::vector<uint32_t>& sums = sums_[static_cast<size_t>(j) % sums_.size()];
    addRow_(row, span.share[static_cast<size_t>(y - span.first)], sums.data(), n, y == span.first);
    if (y != LastOf(span)) continue;
    area::FinishRow(sums.data(), columns_, used_, total_,
                    dest_.first + static_cast<ptrdiff_t>(j) * dest_.step);
    // Result rows finish in order: each one's last row is no earlier than the one before's.
    open_ = j + 1;
  }
}

void StreamedAverager::Add(const PixelRows<const uint8_t>& band) {
  for (int32_t r = 0; r < band.height; ++r) Add(band.first + static_cast<ptrdiff_t>(r) * band.step);
}
