#include "imaging/Avx2Kernels.h"

#include <immintrin.h>

#include <cstring>

#define AVX2 __attribute__((target("avx2")))

namespace resample {
namespace {

// Conversions to integers round in the current mode, nearest-even, as nearbyint does.
AVX2 __m128i BlendFour(__m128i lower, __m128i upper, __m256d w0, __m256d w1) {
  __m256d a = _mm256_cvtepi32_pd(lower);
  __m256d b = _mm256_cvtepi32_pd(upper);
  return _mm256_cvtpd_epi32(_mm256_add_pd(_mm256_mul_pd(w0, a), _mm256_mul_pd(w1, b)));
}

AVX2 __m128i FourBytes(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return _mm_cvtepu8_epi32(_mm_cvtsi32_si128(v));
}

// One pixel: lanes blue, green, red and a fourth that is thrown away.
AVX2 __m128i BlendPixel(const uint8_t* left, double w0, double w1) {
  return BlendFour(FourBytes(left), FourBytes(left + 3), _mm256_set1_pd(w0), _mm256_set1_pd(w1));
}

// Round half to even of n / 2^23 for 0 <= n < 2^31, of (1 - f) * a + f * b
// with f = m / 2^23 written as a * 2^23 + (b - a) * m.
AVX2 __m256i BlendFixed(__m256i a, __m256i b, __m256i m) {
  __m256i n = _mm256_add_epi32(_mm256_slli_epi32(a, 23), _mm256_mullo_epi32(_mm256_sub_epi32(b, a), m));
  __m256i odd = _mm256_and_si256(_mm256_srli_epi32(n, 23), _mm256_set1_epi32(1));
  return _mm256_srli_epi32(_mm256_add_epi32(_mm256_add_epi32(n, _mm256_set1_epi32(0x3FFFFF)), odd), 23);
}

AVX2 __m256i EightBytes(const uint8_t* p) {
  return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
}

AVX2 size_t VerticalFixed(const uint8_t* lower, const uint8_t* upper, size_t count, int32_t fixed,
                          uint8_t* out) {
  const __m256i m = _mm256_set1_epi32(fixed);
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    __m256i low = BlendFixed(EightBytes(lower + i), EightBytes(upper + i), m);
    __m256i high = BlendFixed(EightBytes(lower + i + 8), EightBytes(upper + i + 8), m);
    // The packs work within 128-bit halves; put the eight-byte runs back in order.
    __m256i words = _mm256_permute4x64_epi64(_mm256_packus_epi32(low, high), 0xD8);
    __m128i bytes = _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
  }
  return i;
}

}  // namespace

bool Avx2Kernels::Supported() { return __builtin_cpu_supports("avx2"); }

AVX2 void Avx2Kernels::Vertical(const uint8_t* lower, const uint8_t* upper, size_t count,
                                const RowWeight& weight, uint8_t* out) const {
  if (weight.fixed >= 0) {
    const size_t done = VerticalFixed(lower, upper, count, weight.fixed, out);
    return PlainKernels::Vertical(lower + done, upper + done, count - done, weight, out + done);
  }
  const __m256d w0 = _mm256_set1_pd(weight.w0);
  const __m256d w1 = _mm256_set1_pd(weight.w1);
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(lower + i));
    __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(upper + i));
    __m128i low = BlendFour(_mm_cvtepu8_epi32(a), _mm_cvtepu8_epi32(b), w0, w1);
    __m128i high =
        BlendFour(_mm_cvtepu8_epi32(_mm_srli_si128(a, 4)), _mm_cvtepu8_epi32(_mm_srli_si128(b, 4)), w0, w1);
    __m128i words = _mm_packus_epi32(low, high);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(words, words));
  }
  PlainKernels::Vertical(lower + i, upper + i, count - i, weight, out + i);
}

AVX2 void Avx2Kernels::Horizontal(const uint8_t* blended, uint8_t* out) const {
  // Drops every fourth byte: four pixels of four lanes become twelve bytes.
  const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const Columns& c = columns();
  const int32_t width = c.Width();
  int32_t x = 0;
  for (; x + 4 <= width; x += 4) {
    __m128i p0 = BlendPixel(blended + c.offset[x], c.w0[x], c.w1[x]);
    __m128i p1 = BlendPixel(blended + c.offset[x + 1], c.w0[x + 1], c.w1[x + 1]);
    __m128i p2 = BlendPixel(blended + c.offset[x + 2], c.w0[x + 2], c.w1[x + 2]);
    __m128i p3 = BlendPixel(blended + c.offset[x + 3], c.w0[x + 3], c.w1[x + 3]);
    // Saturating packs are the clamp to 0..255.
    __m128i bytes =
        _mm_shuffle_epi8(_mm_packus_epi16(_mm_packus_epi32(p0, p1), _mm_packus_epi32(p2, p3)), pack);
    uint8_t* o = out + 3 * x;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(o), bytes);
    const int32_t last = _mm_extract_epi32(bytes, 2);
    std::memcpy(o + 8, &last, 4);
  }
  HorizontalRange(blended, x, width, out);
}

}  // namespace resample
