#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/base/AppError.h"
#include "platform/gdi/Bitmap.h"

namespace platform {

// Pictures up to this many pixels open; larger ones are refused with a clear error.
constexpr int64_t kMaxPicturePixels = 150'000'000;

// The checks every reader makes before it allocates a picture.
class PictureLimits {
 public:
  // Raises invalid picture (481) for a side of 0 or less, and out of memory
  // (7) naming the size for a picture above the limit.
  static void CheckSize(int64_t width, int64_t height);
  // A bitmap of a size CheckSize passed; out of memory (7) when it can't be had.
  static std::unique_ptr<gdi::Bitmap> NewBitmap(int32_t width, int32_t height, bool bottomUp);

  // Invalid picture (481) with the toolkit's words.
  static AppError NotAPicture();
  // Invalid picture (481): "The picture is damaged: " and how.
  static AppError Damaged(const std::string& how);
};

}  // namespace platform
