#include "imaging/AreaAverager.h"

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <future>
#include <optional>
#include <thread>
#include <vector>

#include "imaging/AreaSpans.h"
#include "imaging/LinearLight.h"

namespace {

// Below this many source bytes a second thread costs more than it saves.
constexpr int64_t kParallelBytes = int64_t{1} << 21;

using area::AddRowFn;
using area::PickAddRow;

// As the area average adds rows, but in light: light[b] for each byte b.
void AddLightPlain(const uint8_t* __restrict row, const uint32_t* __restrict light, uint32_t share,
                   uint32_t* __restrict sum, size_t n, bool start) {
  if (start) {
    for (size_t k = 0; k < n; ++k) sum[k] = share * light[row[k]];
  } else {
    for (size_t k = 0; k < n; ++k) sum[k] += share * light[row[k]];
  }
}

// What linear light needs: each byte's light, scaled down by `shift` bits
// where a tall span could overflow the 32-bit row sums, the same split into
// low and high bytes for table lookups in registers, and the way back.
struct Light {
  std::array<uint32_t, 256> decode{};
  std::array<uint8_t, 256> low{};
  std::array<uint8_t, 256> high{};
  int shift = 0;
  const uint8_t* encode = nullptr;
};

Light LightFor(int64_t spanLength) {
  Light light;
  while ((int64_t{LinearLight::kWhite} >> light.shift) * spanLength > int64_t{UINT32_MAX}) ++light.shift;
  for (int v = 0; v < 256; ++v) {
    light.decode[v] = LinearLight::Decode()[v] >> light.shift;
    light.low[v] = static_cast<uint8_t>(light.decode[v]);
    light.high[v] = static_cast<uint8_t>(light.decode[v] >> 8);
  }
  light.encode = LinearLight::Encode().data();
  return light;
}

// 64 bytes at a time: the two bytes of each one's light looked up in
// registers, put side by side as 16-bit light in the bytes' order, widened.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void AddLightAvx512(const uint8_t* __restrict row,
                                                                           const Light& light, uint32_t share,
                                                                           uint32_t* __restrict sum, size_t n,
                                                                           bool start) {
  const uint8_t* lows = light.low.data();
  const uint8_t* highs = light.high.data();
  const __m512i low0 = _mm512_loadu_si512(lows), low1 = _mm512_loadu_si512(lows + 64),
                low2 = _mm512_loadu_si512(lows + 128), low3 = _mm512_loadu_si512(lows + 192);
  const __m512i high0 = _mm512_loadu_si512(highs), high1 = _mm512_loadu_si512(highs + 64),
                high2 = _mm512_loadu_si512(highs + 128), high3 = _mm512_loadu_si512(highs + 192);
  const __m512i factor = _mm512_set1_epi32(static_cast<int32_t>(share));
  const __m512i firstHalf = _mm512_setr_epi64(0, 1, 8, 9, 2, 3, 10, 11);
  const __m512i secondHalf = _mm512_setr_epi64(4, 5, 12, 13, 6, 7, 14, 15);
  size_t k = 0;
  for (; k + 64 <= n; k += 64) {
    const __m512i bytes = _mm512_loadu_si512(row + k);
    const __mmask64 upper = _mm512_movepi8_mask(bytes);
    const __m512i low = _mm512_mask_blend_epi8(upper, _mm512_permutex2var_epi8(low0, bytes, low1),
                                               _mm512_permutex2var_epi8(low2, bytes, low3));
    const __m512i high = _mm512_mask_blend_epi8(upper, _mm512_permutex2var_epi8(high0, bytes, high1),
                                                _mm512_permutex2var_epi8(high2, bytes, high3));
    // Unpacking works within 128-bit lanes; the qword shuffles restore the bytes' order.
    const __m512i a = _mm512_unpacklo_epi8(low, high), b = _mm512_unpackhi_epi8(low, high);
    alignas(64) uint16_t words[64];
    _mm512_store_si512(words, _mm512_permutex2var_epi64(a, firstHalf, b));
    _mm512_store_si512(words + 32, _mm512_permutex2var_epi64(a, secondHalf, b));
    for (int q = 0; q < 4; ++q) {
      const __m256i part = _mm256_load_si256(reinterpret_cast<const __m256i*>(words + 16 * q));
      __m512i value = _mm512_mullo_epi32(_mm512_maskz_cvtepu16_epi32(0xFFFF, part), factor);
      uint32_t* out = sum + k + 16 * q;
      if (!start) value = _mm512_add_epi32(value, _mm512_loadu_si512(out));
      _mm512_storeu_si512(out, value);
    }
  }
  AddLightPlain(row + k, light.decode.data(), share, sum + k, n - k, start);
}

void AddLightTable(const uint8_t* row, const Light& light, uint32_t share, uint32_t* sum, size_t n,
                   bool start) {
  AddLightPlain(row, light.decode.data(), share, sum, n, start);
}

using AddLightFn = void (*)(const uint8_t*, const Light&, uint32_t, uint32_t*, size_t, bool);

AddLightFn PickAddLight() {
  const bool vbmi = __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw");
  return vbmi ? AddLightAvx512 : AddLightTable;
}

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
  // Set in linear light.
  const Light* light;
  AddLightFn addLight;
};

uint8_t Mean(const Plan& plan, uint64_t sum) {
  if (!plan.light) return static_cast<uint8_t>((sum + plan.total / 2) / plan.total);
  const double mean = static_cast<double>(sum) / static_cast<double>(plan.total);
  // Never negative, and the bytes are fixed: lround would move some .5 ties.
  // NOLINTNEXTLINE(bugprone-incorrect-roundings)
  const auto index = static_cast<uint32_t>(std::ldexp(mean, plan.light->shift) + 0.5);
  return plan.light->encode[std::min(index, LinearLight::kWhite)];
}

// One destination row: the source rows it covers summed with their shares,
// then each destination pixel's columns summed with theirs.
void FillRow(const Plan& plan, std::vector<uint32_t>& sums, int32_t y) {
  const Span& rows = plan.rows[y];
  const size_t n = 3 * static_cast<size_t>(plan.used.end - plan.used.first);
  for (size_t r = 0; r < rows.share.size(); ++r) {
    const uint8_t* row = plan.source.first + (rows.first + static_cast<ptrdiff_t>(r)) * plan.source.step +
                         3 * ptrdiff_t{plan.used.first};
    if (plan.light) {
      plan.addLight(row, *plan.light, rows.share[r], sums.data(), n, r == 0);
    } else {
      plan.addRow(row, rows.share[r], sums.data(), n, r == 0);
    }
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
    out[0] = Mean(plan, blue);
    out[1] = Mean(plan, green);
    out[2] = Mean(plan, red);
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

AreaAverager::AreaAverager(int threads, bool linear) : threads_(threads), linear_(linear) {}

void AreaAverager::Fill(const PixelRows<const uint8_t>& source, const PixelRows<uint8_t>& dest) const {
  const int64_t w = source.width, h = source.height;
  Fill(source, {0, w, dest.width}, {0, h, dest.height}, dest);
}

void AreaAverager::Fill(const PixelRows<const uint8_t>& source, Axis across, Axis down,
                        const PixelRows<uint8_t>& dest) const {
  if (source.width <= 0 || source.height <= 0 || dest.width <= 0 || dest.height <= 0) return;
  std::vector<Span> columns = MapSpans(across, dest.width);
  const Range used = Covered(columns);
  const std::optional<Light> light = linear_ ? std::optional(LightFor(down.length)) : std::nullopt;
  const Plan plan{source,
                  dest,
                  std::move(columns),
                  MapSpans(down, dest.height),
                  used,
                  static_cast<uint64_t>(across.length) * static_cast<uint64_t>(down.length),
                  PickAddRow(),
                  light ? &*light : nullptr,
                  PickAddLight()};
  std::atomic<int32_t> next{0};
  std::vector<std::future<void>> others;
  for (int i = 1; i < ThreadsFor(threads_, plan); ++i) {
    others.push_back(std::async(std::launch::async, FillClaimedRows, std::cref(plan), std::ref(next)));
  }
  FillClaimedRows(plan, next);
  for (auto& helper : others) helper.get();
}
