#include "imaging/AreaAverager.h"

#include <immintrin.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <thread>
#include <vector>

namespace {

// Below this many source bytes a second thread costs more than it saves.
constexpr int64_t kParallelBytes = int64_t{1} << 21;

// Which source pixels one destination pixel covers along an axis, and how
// much of each, in the axis's unit: every share is a whole number and the
// shares of one destination pixel add up to its length.
struct Span {
  int32_t first = 0;
  std::vector<uint32_t> share;
};

std::vector<Span> MapSpans(const AreaAverager::Axis& axis, int32_t d) {
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

// Source pixels [first, end) along an axis are all the spans touch.
struct Range {
  int32_t first;
  int32_t end;
};

Range Covered(const std::vector<Span>& spans) {
  return {spans.front().first, spans.back().first + static_cast<int32_t>(spans.back().share.size())};
}

// sum[k] = share * row[k] (start) or sum[k] += share * row[k].
void AddRowPlain(const uint8_t* __restrict row, uint32_t share, uint32_t* __restrict sum, size_t n,
                 bool start) {
  if (start) {
    for (size_t k = 0; k < n; ++k) sum[k] = share * row[k];
  } else {
    for (size_t k = 0; k < n; ++k) sum[k] += share * row[k];
  }
}

__attribute__((target("avx2"))) void AddRowAvx2(const uint8_t* __restrict row, uint32_t share,
                                                uint32_t* __restrict sum, size_t n, bool start) {
  const __m256i factor = _mm256_set1_epi32(static_cast<int32_t>(share));
  size_t k = 0;
  for (; k + 16 <= n; k += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + k));
    __m256i low = _mm256_mullo_epi32(_mm256_cvtepu8_epi32(bytes), factor);
    __m256i high = _mm256_mullo_epi32(_mm256_cvtepu8_epi32(_mm_srli_si128(bytes, 8)), factor);
    auto* out = reinterpret_cast<__m256i*>(sum + k);
    if (!start) {
      low = _mm256_add_epi32(low, _mm256_loadu_si256(out));
      high = _mm256_add_epi32(high, _mm256_loadu_si256(out + 1));
    }
    _mm256_storeu_si256(out, low);
    _mm256_storeu_si256(out + 1, high);
  }
  AddRowPlain(row + k, share, sum + k, n - k, start);
}

using AddRowFn = void (*)(const uint8_t*, uint32_t, uint32_t*, size_t, bool);

AddRowFn PickAddRow() { return __builtin_cpu_supports("avx2") ? AddRowAvx2 : AddRowPlain; }

struct Plan {
  PixelRows<const uint8_t> source;
  PixelRows<uint8_t> dest;
  std::vector<Span> columns;
  std::vector<Span> rows;
  Range used;  // the source columns the columns' spans touch
  // The area of one destination pixel in the axes' units: every mean is an
  // integer sum over it, rounded half up in integers, so a mean of exactly
  // .5 is never lost to a reciprocal a little short.
  uint64_t total;
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
  uint8_t* out = plan.dest.first + static_cast<ptrdiff_t>(y) * plan.dest.step;
  for (const Span& span : plan.columns) {
    uint64_t blue = 0, green = 0, red = 0;
    const uint32_t* pixel = sums.data() + 3 * static_cast<size_t>(span.first - plan.used.first);
    for (uint32_t share : span.share) {
      blue += uint64_t{share} * pixel[0];
      green += uint64_t{share} * pixel[1];
      red += uint64_t{share} * pixel[2];
      pixel += 3;
    }
    const uint64_t half = plan.total / 2;
    out[0] = static_cast<uint8_t>((blue + half) / plan.total);
    out[1] = static_cast<uint8_t>((green + half) / plan.total);
    out[2] = static_cast<uint8_t>((red + half) / plan.total);
    out += 3;
  }
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
                  static_cast<uint64_t>(across.length) * static_cast<uint64_t>(down.length),
                  PickAddRow()};
  std::atomic<int32_t> next{0};
  std::vector<std::future<void>> others;
  for (int i = 1; i < ThreadsFor(threads_, plan); ++i) {
    others.push_back(std::async(std::launch::async, FillClaimedRows, std::cref(plan), std::ref(next)));
  }
  FillClaimedRows(plan, next);
  for (auto& helper : others) helper.get();
}
