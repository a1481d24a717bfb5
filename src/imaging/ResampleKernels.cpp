#include "imaging/ResampleKernels.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace resample {
namespace {

void VerticalScalar(const uint8_t* lower, const uint8_t* upper, size_t count, double w0, double w1,
                    double* out) {
  for (size_t i = 0; i < count; ++i) out[i] = std::nearbyint(w0 * lower[i] + w1 * upper[i]);
}

uint8_t BlendChannel(double a, double b, double w0, double w1) {
  double c = std::nearbyint(w0 * a + w1 * b);
  return static_cast<uint8_t>(std::clamp(c, 0.0, 255.0));
}

void HorizontalScalar(const double* blended, const int32_t* offset, const double* w0, const double* w1,
                      int32_t width, uint8_t* out) {
  for (int32_t x = 0; x < width; ++x) {
    const double* left = blended + offset[x];
    for (int c = 0; c < 3; ++c) out[3 * x + c] = BlendChannel(left[c], left[3 + c], w0[x], w1[x]);
  }
}

// Rounding follows the current mode (nearest-even), as nearbyint does.
constexpr int kRoundAsNearbyint = _MM_FROUND_CUR_DIRECTION | _MM_FROUND_NO_EXC;

__attribute__((target("avx2"))) __m256d BlendFour(__m128i lower, __m128i upper, __m256d w0, __m256d w1) {
  __m256d a = _mm256_cvtepi32_pd(lower);
  __m256d b = _mm256_cvtepi32_pd(upper);
  return _mm256_round_pd(_mm256_add_pd(_mm256_mul_pd(w0, a), _mm256_mul_pd(w1, b)), kRoundAsNearbyint);
}

__attribute__((target("avx2"))) void VerticalAvx2(const uint8_t* lower, const uint8_t* upper, size_t count,
                                                  double w0, double w1, double* out) {
  const __m256d vw0 = _mm256_set1_pd(w0);
  const __m256d vw1 = _mm256_set1_pd(w1);
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    __m256i a = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(lower + i)));
    __m256i b = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(upper + i)));
    _mm256_storeu_pd(out + i, BlendFour(_mm256_castsi256_si128(a), _mm256_castsi256_si128(b), vw0, vw1));
    _mm256_storeu_pd(out + i + 4,
                     BlendFour(_mm256_extracti128_si256(a, 1), _mm256_extracti128_si256(b, 1), vw0, vw1));
  }
  VerticalScalar(lower + i, upper + i, count - i, w0, w1, out + i);
}

// One pixel: lanes blue, green, red and a fourth that is thrown away.
__attribute__((target("avx2"))) __m128i BlendPixel(const double* left, double w0, double w1) {
  __m256d a = _mm256_loadu_pd(left);
  __m256d b = _mm256_loadu_pd(left + 3);
  __m256d sum = _mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(w0), a), _mm256_mul_pd(_mm256_set1_pd(w1), b));
  return _mm256_cvtpd_epi32(sum);
}

__attribute__((target("avx2"))) void HorizontalAvx2(const double* blended, const int32_t* offset,
                                                    const double* w0, const double* w1, int32_t width,
                                                    uint8_t* out) {
  // Drops every fourth byte: four pixels of four lanes become twelve bytes.
  const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  int32_t x = 0;
  for (; x + 4 <= width; x += 4) {
    __m128i p0 = BlendPixel(blended + offset[x], w0[x], w1[x]);
    __m128i p1 = BlendPixel(blended + offset[x + 1], w0[x + 1], w1[x + 1]);
    __m128i p2 = BlendPixel(blended + offset[x + 2], w0[x + 2], w1[x + 2]);
    __m128i p3 = BlendPixel(blended + offset[x + 3], w0[x + 3], w1[x + 3]);
    // Saturating packs are the clamp to 0..255.
    __m128i bytes = _mm_packus_epi16(_mm_packus_epi32(p0, p1), _mm_packus_epi32(p2, p3));
    bytes = _mm_shuffle_epi8(bytes, pack);
    uint8_t* o = out + 3 * x;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(o), bytes);
    uint32_t last = static_cast<uint32_t>(_mm_extract_epi32(bytes, 2));
    std::memcpy(o + 8, &last, 4);
  }
  HorizontalScalar(blended, offset + x, w0 + x, w1 + x, width - x, out + 3 * x);
}

}  // namespace

Kernels ScalarKernels() { return {VerticalScalar, HorizontalScalar}; }

Kernels BestKernels() {
  if (__builtin_cpu_supports("avx2")) return {VerticalAvx2, HorizontalAvx2};
  return ScalarKernels();
}

}  // namespace resample
