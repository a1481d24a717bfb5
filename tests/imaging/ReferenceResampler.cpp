#include "imaging/ReferenceResampler.h"

#include <cmath>
#include <cstdint>

#include "imaging/cDIBSection.h"
#include "platform/base/AppError.h"
#include "platform/base/Checked.h"

namespace {

class CheckedBytes {
 public:
  CheckedBytes(uint8_t* base, int32_t rowBytes, int32_t rows)
      : base_(base), rowBytes_(rowBytes), rows_(rows) {}
  uint8_t& operator()(int64_t x, int64_t y) const {
    if (!base_ || x < 0 || x >= rowBytes_ || y < 0 || y >= rows_) {
      throw platform::AppError::Standard(platform::ErrorNumber::SubscriptOutOfRange);
    }
    return base_[y * rowBytes_ + x];
  }

 private:
  uint8_t* base_;
  int32_t rowBytes_;
  int32_t rows_;
};

struct Sample {
  int32_t whole;
  float fraction;
};

Sample At(float scale, int32_t i) {
  float p = static_cast<float>(static_cast<double>(scale) * i);
  int32_t whole = static_cast<int32_t>(std::floor(p));
  return {whole, static_cast<float>(static_cast<double>(p) - whole)};
}

int32_t Blend(double a, double b, float f) {
  return static_cast<int32_t>(
      std::nearbyint((1.0 - static_cast<double>(f)) * a + static_cast<double>(f) * b));
}

}  // namespace

void ReferenceFill(const cDIBSection& source, cDIBSection& dest) {
  CheckedBytes s(source.DIBSectionBitsPtr(), source.BytesPerScanLine(), source.Height());
  CheckedBytes d(dest.DIBSectionBitsPtr(), dest.BytesPerScanLine(), dest.Height());
  const int32_t sw = source.Width(), sh = source.Height(), dw = dest.Width(), dh = dest.Height();
  const float kx = static_cast<float>(static_cast<double>(checked::Sub(sw, 1)) / dw);
  const float ky = static_cast<float>(static_cast<double>(checked::Sub(sh, 1)) / dh);
  for (int32_t y = 0; y < dh; ++y) {
    const Sample row = At(ky, y);
    for (int32_t x = 0; x < dw; ++x) {
      const Sample column = At(kx, x);
      const int32_t b = checked::Mul(3, column.whole);
      float lower[6], upper[6];
      for (int32_t i = 0; i < 6; ++i) lower[i] = s(checked::Add(b, i), row.whole);
      for (int32_t i = 0; i < 6; ++i) upper[i] = s(checked::Add(b, i), checked::Add(row.whole, 1));
      int32_t v[6];
      for (int i = 0; i < 6; ++i) v[i] = Blend(lower[i], upper[i], row.fraction);
      for (int c = 0; c < 3; ++c) {
        int32_t value = Blend(v[c], v[3 + c], column.fraction);
        if (value < 0) value = 0;
        if (value > 255) value = 255;
        d(checked::Add(checked::Mul(3, x), c), y) = static_cast<uint8_t>(value);
      }
    }
  }
}
