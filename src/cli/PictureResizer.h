#pragma once

#include <cstdint>
#include <memory>

#include "imaging/cDIBSection.h"
#include "platform/gdi/Picture.h"

// Resamples a whole picture with the window's resampler.
class PictureResizer {
 public:
  // The height that keeps the picture's proportions for a new width, as the
  // window computes it when a width is typed: (height x width) div width in
  // checked 32-bit arithmetic, truncated toward zero.
  static int32_t ProportionalHeight(const gdi::Picture& picture, int32_t width);

  // A new bitmap of width x height; fails with the resampler's errors, and
  // with out of memory (7) when the bitmaps can't be made. A picture one pixel
  // wide or high fails (9) with the reason in words unless the size stays.
  static std::unique_ptr<cDIBSection> Resize(const gdi::Picture& picture, int32_t width, int32_t height);

 private:
  static void CheckBlendable(const gdi::Picture& picture, int32_t width, int32_t height);
};
