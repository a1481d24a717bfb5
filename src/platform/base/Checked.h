#pragma once

#include <cstdint>

#include "platform/base/AppError.h"

// 32-bit and 16-bit arithmetic that fails with the overflow error instead of wrapping.
namespace checked {

inline int32_t Add(int32_t a, int32_t b) {
  int32_t r;
  if (__builtin_add_overflow(a, b, &r)) throw platform::AppError::Standard(platform::ErrorNumber::Overflow);
  return r;
}

inline int32_t Sub(int32_t a, int32_t b) {
  int32_t r;
  if (__builtin_sub_overflow(a, b, &r)) throw platform::AppError::Standard(platform::ErrorNumber::Overflow);
  return r;
}

inline int32_t Mul(int32_t a, int32_t b) {
  int32_t r;
  if (__builtin_mul_overflow(a, b, &r)) throw platform::AppError::Standard(platform::ErrorNumber::Overflow);
  return r;
}

// Integer division truncating toward zero; a zero divisor is the toolkit's division error.
int32_t Div(int32_t a, int32_t b);

inline int16_t ToInt16(int32_t v) {
  if (v < INT16_MIN || v > INT16_MAX) throw platform::AppError::Standard(platform::ErrorNumber::Overflow);
  return static_cast<int16_t>(v);
}

}  // namespace checked
