#include "imaging/Avx512Kernels.h"

// GCC 12 takes the intrinsics' deliberately undefined pass-through values for
// uninitialised reads.
#if defined(__clang__)
#include <immintrin.h>
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif

#include <algorithm>
#include <cstring>

#define AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi")))

namespace resample {
namespace {

constexpr int32_t kWindowBytes = 128;

// Round half to even of n / 2^23, for 0 <= n < 2^31: add just under a half,
// and one more when the integer part is odd.
AVX512 __m512i RoundFixed(__m512i n) {
  const __mmask16 odd = _mm512_test_epi32_mask(n, _mm512_set1_epi32(1 << 23));
  __m512i t = _mm512_add_epi32(n, _mm512_set1_epi32(0x3FFFFF));
  t = _mm512_mask_add_epi32(t, odd, t, _mm512_set1_epi32(1));
  return _mm512_srli_epi32(t, 23);
}

// (1 - f) * a + f * b with f = m / 2^23, as a * 2^23 + (b - a) * m: below 2^31 for bytes.
AVX512 __m128i BlendFixed(__m512i a, __m512i b, __m512i m) {
  __m512i n = _mm512_add_epi32(_mm512_slli_epi32(a, 23), _mm512_mullo_epi32(_mm512_sub_epi32(b, a), m));
  return _mm512_cvtepi32_epi8(RoundFixed(n));
}

AVX512 __m512i Widen(__m128i bytes) { return _mm512_cvtepu8_epi32(bytes); }

// The same blend as a * (2^23 - m) + b * m, cheaper when the weights are fixed for a whole row.
AVX512 __m128i BlendFixedWeights(__m512i a, __m512i b, __m512i w, __m512i m) {
  __m512i n = _mm512_add_epi32(_mm512_mullo_epi32(a, w), _mm512_mullo_epi32(b, m));
  return _mm512_cvtepi32_epi8(RoundFixed(n));
}

}  // namespace

Avx512Kernels::Avx512Kernels(const Columns& columns) : Avx2Kernels(columns) { PlanGroups(); }

bool Avx512Kernels::Supported() {
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi");
}

void Avx512Kernels::PlanGroups() {
  const Columns& c = columns();
  const int32_t width = c.Width();
  firstFixedColumn_ = width;
  while (firstFixedColumn_ > 0 && c.fixed[firstFixedColumn_ - 1] >= 0) --firstFixedColumn_;
  const int32_t endByte = 3 * width;
  grouped_ = true;
  for (int32_t first = 3 * firstFixedColumn_; first < endByte && grouped_; first += kGroupBytes) {
    grouped_ = AddGroup(first, std::min(kGroupBytes, endByte - first));
  }
}

bool Avx512Kernels::AddGroup(int32_t firstByte, int32_t count) {
  const Columns& c = columns();
  Group group{};
  group.window = c.offset[firstByte / 3];
  group.count = count;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t x = (firstByte + i) / 3;
    const int32_t left = c.offset[x] + (firstByte + i) % 3 - group.window;
    if (left < 0 || left + 3 >= kWindowBytes) return false;
    group.index[i] = static_cast<uint8_t>(left);
    group.index[kGroupBytes + i] = static_cast<uint8_t>(left + 3);
    group.fraction[i] = c.fixed[x];
  }
  groups_.push_back(group);
  return true;
}

AVX512 void Avx512Kernels::Vertical(const uint8_t* lower, const uint8_t* upper, size_t count,
                                    const RowWeight& weight, uint8_t* out) const {
  if (weight.fixed < 0) return Avx2Kernels::Vertical(lower, upper, count, weight, out);
  if (weight.fixed == 0) {
    std::memcpy(out, lower, count);
    return;
  }
  const __m512i m = _mm512_set1_epi32(weight.fixed);
  const __m512i w = _mm512_set1_epi32((1 << 23) - weight.fixed);
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    __m512i a = Widen(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + i)));
    __m512i b = Widen(_mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + i)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), BlendFixedWeights(a, b, w, m));
  }
  if (i < count) {
    const __mmask16 rest = static_cast<__mmask16>((1u << (count - i)) - 1);
    __m512i a = Widen(_mm_maskz_loadu_epi8(rest, lower + i));
    __m512i b = Widen(_mm_maskz_loadu_epi8(rest, upper + i));
    _mm_mask_storeu_epi8(out + i, rest, BlendFixedWeights(a, b, w, m));
  }
}

AVX512 void Avx512Kernels::Horizontal(const uint8_t* blended, uint8_t* out) const {
  if (!grouped_) return Avx2Kernels::Horizontal(blended, out);
  HorizontalRange(blended, 0, firstFixedColumn_, out);
  uint8_t* o = out + 3 * firstFixedColumn_;
  for (const Group& g : groups_) {
    const __m512i low = _mm512_loadu_si512(blended + g.window);
    const __m512i high = _mm512_loadu_si512(blended + g.window + 64);
    const __m512i pairs = _mm512_permutex2var_epi8(low, _mm512_loadu_si512(g.index.data()), high);
    const __m128i first =
        BlendFixed(Widen(_mm512_castsi512_si128(pairs)), Widen(_mm512_extracti32x4_epi32(pairs, 2)),
                   _mm512_loadu_si512(g.fraction.data()));
    const __m128i second =
        BlendFixed(Widen(_mm512_extracti32x4_epi32(pairs, 1)), Widen(_mm512_extracti32x4_epi32(pairs, 3)),
                   _mm512_loadu_si512(g.fraction.data() + 16));
    const __m256i bytes = _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
    if (g.count == kGroupBytes) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), bytes);
    } else {
      _mm256_mask_storeu_epi8(o, static_cast<__mmask32>((uint64_t{1} << g.count) - 1), bytes);
    }
    o += kGroupBytes;
  }
}

}  // namespace resample
