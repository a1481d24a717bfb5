#pragma once

#include <array>
#include <cstdint>

// sRGB bytes and light on a linear 16-bit scale (0 black, 65535 white), by
// table. Every byte decoded and encoded again comes back unchanged.
class LinearLight {
 public:
  static constexpr uint32_t kWhite = 65535;

  // The light of each byte.
  static const std::array<uint16_t, 256>& Decode();
  // The byte whose light is nearest each light.
  static const std::array<uint8_t, kWhite + 1>& Encode();
};
