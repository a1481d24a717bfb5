#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "imaging/PixelRows.h"

// How a region becomes a result of another size: averaging the area each
// result pixel covers, taking the colour that covers most of it, or taking
// the pixel under its middle. Averages may be taken in linear light.
enum class ReduceMethod { Area, Majority, Nearest };

struct Reduction {
  ReduceMethod method = ReduceMethod::Area;
  // Only averages have light to measure.
  bool linear = false;

  bool operator==(const Reduction&) const = default;
  // Anything but the plain area average.
  bool Special() const { return method != ReduceMethod::Area || linear; }

  // The method's name on the command line: "area", "majority" or "nearest".
  static std::string_view Name(ReduceMethod method);
  static std::optional<ReduceMethod> Named(std::string_view name);

  // All of dest from all of source, reducing or enlarging.
  void Fill(const PixelRows<const uint8_t>& source, const PixelRows<uint8_t>& dest) const;
};
