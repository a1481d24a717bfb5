#include "core/ResultLimits.h"

#include "formats/PictureLimits.h"

bool ResultLimits::Fits(int64_t width, int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide &&
         width * height <= formats::kMaxPicturePixels;
}
