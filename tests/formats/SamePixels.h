#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/Bitmap.h"

// True when the w x h pixels from (ax, ay) of `a` are those from (bx, by) of `b`;
// the first difference is reported.
inline ::testing::AssertionResult SamePixels(const gdi::Bitmap& a, int ax, int ay, const gdi::Bitmap& b,
                                             int bx, int by, int w, int h) {
  for (int y = 0; y < h; ++y) {
    const uint8_t* pa = a.Row(ay + y) + 3 * ax;
    const uint8_t* pb = b.Row(by + y) + 3 * bx;
    for (int x = 0; x < 3 * w; ++x) {
      if (pa[x] != pb[x]) {
        return ::testing::AssertionFailure() << "pixel " << x / 3 << "," << y << " of the part differs, byte "
                                             << x % 3 << ": " << int{pa[x]} << " against " << int{pb[x]};
      }
    }
  }
  return ::testing::AssertionSuccess();
}
