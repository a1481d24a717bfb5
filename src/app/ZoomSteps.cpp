#include "app/ZoomSteps.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace {

constexpr double kLevels[] = {1.0 / 100, 1.0 / 64, 1.0 / 48, 1.0 / 32, 1.0 / 24, 1.0 / 16, 1.0 / 12, 1.0 / 8,
                              1.0 / 6,   1.0 / 4,  1.0 / 3,  1.0 / 2,  2.0 / 3,  1.0,      1.5,      2.0,
                              3.0,       4.0,      6.0,      8.0,      12.0,     16.0};
// Levels this close count as the same, so a zoom met by arithmetic still steps on.
constexpr double kSame = 1e-9;

}  // namespace

double ZoomSteps::In(double zoom) {
  const double* next = std::upper_bound(std::begin(kLevels), std::end(kLevels), zoom * (1 + kSame));
  return next == std::end(kLevels) ? std::max(zoom, kLevels[std::size(kLevels) - 1]) : *next;
}

double ZoomSteps::Out(double zoom, double lowest) {
  const double* next = std::lower_bound(std::begin(kLevels), std::end(kLevels), zoom * (1 - kSame));
  const double level = next == std::begin(kLevels) ? kLevels[0] : *(next - 1);
  return std::min(zoom, std::max(level, lowest));
}

std::string ZoomSteps::Format(double zoom) {
  const double percent = zoom * 100;
  char text[32];
  if (percent < 9.95) {
    std::snprintf(text, sizeof text, "%.1f %%", percent);
  } else {
    std::snprintf(text, sizeof text, "%.0f %%", std::round(percent));
  }
  return text;
}
