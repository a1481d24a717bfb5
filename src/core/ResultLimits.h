#pragma once

#include <cstdint>

// How large a result may be, from the window's selection or the command line:
// each side within what a Targa file can hold, and no more pixels than a
// picture may have.
class ResultLimits {
 public:
  static constexpr int32_t kMaxSide = 32767;

  // From 1 to kMaxSide each way, within the picture limit.
  static bool Fits(int64_t width, int64_t height);
};
