#include "imaging/AreaSpans.h"

#include <immintrin.h>

#include <algorithm>

namespace area {
namespace {

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

}  // namespace

AddRowFn PickAddRow() { return __builtin_cpu_supports("avx2") ? AddRowAvx2 : AddRowPlain; }

void FinishRow(const uint32_t* sums, const std::vector<Span>& columns, Range used, uint64_t total,
               uint8_t* out) {
  for (const Span& span : columns) {
    uint64_t blue = 0, green = 0, red = 0;
    const uint32_t* pixel = sums + 3 * static_cast<size_t>(span.first - used.first);
    for (uint32_t share : span.share) {
      blue += uint64_t{share} * pixel[0];
      green += uint64_t{share} * pixel[1];
      red += uint64_t{share} * pixel[2];
      pixel += 3;
    }
    // Rounded half up in integers, as the whole-picture average rounds.
    const uint64_t half = total / 2;
    out[0] = static_cast<uint8_t>((blue + half) / total);
    out[1] = static_cast<uint8_t>((green + half) / total);
    out[2] = static_cast<uint8_t>((red + half) / total);
    out += 3;
  }
}

}  // namespace area
