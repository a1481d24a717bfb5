#include "imaging/LinearLight.h"

#include <cmath>

namespace {

double ToLinear(double s) { return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4); }

double ToEncoded(double l) { return l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1 / 2.4) - 0.055; }

}  // namespace

const std::array<uint16_t, 256>& LinearLight::Decode() {
  static const std::array<uint16_t, 256> table = [] {
    std::array<uint16_t, 256> t{};
    for (int v = 0; v < 256; ++v) t[v] = static_cast<uint16_t>(std::lround(ToLinear(v / 255.0) * kWhite));
    return t;
  }();
  return table;
}

const std::array<uint8_t, LinearLight::kWhite + 1>& LinearLight::Encode() {
  static const std::array<uint8_t, kWhite + 1> table = [] {
    std::array<uint8_t, kWhite + 1> t{};
    for (uint32_t l = 0; l <= kWhite; ++l) {
      t[l] = static_cast<uint8_t>(std::lround(ToEncoded(static_cast<double>(l) / kWhite) * 255));
    }
    return t;
  }();
  return table;
}
