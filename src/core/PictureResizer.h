#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "imaging/cDIBSection.h"
#include "platform/gdi/Picture.h"

// Resamples a whole picture with the window's resampler.
class PictureResizer {
 public:
  // The side that keeps a picture's proportions when its other side becomes
  // `typed`: (side x typed) div otherSide in checked 32-bit arithmetic,
  // truncated toward zero. None when that overflows or otherSide is 0.
  static std::optional<int32_t> Proportional(int32_t side, int32_t typed, int32_t otherSide);

  // A new bitmap of width x height; fails with the resampler's errors, and
  // with out of memory (7) when the bitmaps can't be made. A picture one pixel
  // wide or high fails (9) with the reason in words unless the size stays.
  static std::unique_ptr<cDIBSection> Resize(const gdi::Picture& picture, int32_t width, int32_t height);

  // Raises that error, before any work, when a picture of pictureWidth x
  // pictureHeight can't be blended to width x height.
  // `what` names what is resized: the picture, or a region of it.
  static void CheckBlendable(int32_t pictureWidth, int32_t pictureHeight, int32_t width, int32_t height,
                             const char* what = "picture");
};
