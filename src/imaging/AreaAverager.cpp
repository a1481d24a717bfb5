#include "imaging/AreaAverager.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "imaging/AreaSpans.h"

using area::AddRowFn;
using area::Covered;
using area::FinishRow;
using area::MapSpans;
using area::Range;
using area::Span;

namespace {

// Below this many source bytes a second thread costs more than it saves.
constexpr int64_t kParallelBytes = int64_t{1} << 21;

struct Plan {
  PixelRows<const uint8_t> source;
  PixelRows<uint8_t> dest;
  std::vector<Span> columns;
  std::vector<Span> rows;
  Range used;  // the source columns the columns' spans touch
  double inverseTotal;
  AddRowFn addRow;
};

// One destination row: the source rows it covers summed with their shares,
// then each destination pixel's columns summed with theirs.
void FillRow(const Plan& plan, std::vector<uint32_t>& sums, int32_t y) {
  const Span& rows = plan.rows[y];
  const size_t n = 3 * static_cast<size_t>(plan.used.end - plan.used.first);
  for (size_t r = 0; r < rows.share.size(); ++r) {
    const uint8_t* row = plan.source.first + (rows.first + static_cast<ptrdiff_t>(r)) * plan.source.step +
                         3 * ptrdiff_t{plan.used.first};
    plan.addRow(row, rows.share[r], sums.data(), n, r == 0);
  }
  FinishRow(sums.data(), plan.columns, plan.used, plan.inverseTotal,
            plan.dest.first + static_cast<ptrdiff_t>(y) * plan.dest.step);
}

void FillClaimedRows(const Plan& plan, std::atomic<int32_t>& next) {
  std::vector<uint32_t> sums(3 * static_cast<size_t>(plan.used.end - plan.used.first));
  for (int32_t y = next++; y < plan.dest.height; y = next++) FillRow(plan, sums, y);
}

int ThreadsFor(int requested, const Plan& plan) {
  const Range down = Covered(plan.rows);
  const int64_t bytes = 3 * int64_t{plan.used.end - plan.used.first} * (down.end - down.first);
  if (bytes < kParallelBytes) return 1;
  const int threads = requested > 0 ? requested : static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(threads, 1, static_cast<int>(plan.dest.height));
}

}  // namespace

AreaAverager::AreaAverager(int threads) : threads_(threads) {}

void AreaAverager::Fill(const PixelRows<const uint8_t>& source, const PixelRows<uint8_t>& dest) const {
  const int64_t w = source.width, h = source.height;
  Fill(source, {0, w, dest.width}, {0, h, dest.height}, dest);
}

void AreaAverager::Fill(const PixelRows<const uint8_t>& source, Axis across, Axis down,
                        const PixelRows<uint8_t>& dest) const {
  if (source.width <= 0 || source.height <= 0 || dest.width <= 0 || dest.height <= 0) return;
  std::vector<Span> columns = MapSpans(across, dest.width);
  const Range used = Covered(columns);
  const Plan plan{source,
                  dest,
                  std::move(columns),
                  MapSpans(down, dest.height),
                  used,
                  1.0 / (static_cast<double>(across.length) * static_cast<double>(down.length)),
                  area::PickAddRow()};
  std::atomic<int32_t> next{0};
  std::vector<std::future<void>> others;
  for (int i = 1; i < ThreadsFor(threads_, plan); ++i) {
    others.push_back(std::async(std::launch::async, FillClaimedRows, std::cref(plan), std::ref(next)));
  }
  FillClaimedRows(plan, next);
  for (auto& helper : others) helper.get();
}
