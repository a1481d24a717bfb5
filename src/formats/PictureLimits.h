#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/base/AppError.h"
#include "platform/gdi/Bitmap.h"

namespace formats {

// Pictures up to this many pixels open; larger ones are refused with a clear error.
constexpr int64_t kMaxPicturePixels = 150'000'000;
// Read band by band, a picture needs no memory for its pixels: the most its
// kind's header can say is the limit, up to 2^31 - 1 a side.
constexpr int64_t kMaxStreamedPixels = INT64_MAX;
// No picture the program opens needs a larger file (eight bytes a pixel and a
// megabyte of headers): a larger one is refused before it is read.
constexpr uint64_t kMaxPictureFileBytes = kMaxPicturePixels * 8 + (1 << 20);

// The checks every reader makes before it allocates a picture.
class PictureLimits {
 public:
  // Raises invalid picture (481) for a side of 0 or less, and out of memory
  // (7) naming the size for a picture above the limit.
  static void CheckSize(int64_t width, int64_t height, int64_t mostPixels = kMaxPicturePixels);
  // Raises the damage error, before anything is allocated, when width x
  // height is more than `heldPixels`, the most a file of `fileBytes` could
  // describe, allowing a few megapixels for a damaged file's missing part.
  static void CheckClaim(int64_t width, int64_t height, int64_t heldPixels, uint64_t fileBytes);
  // CheckSize, then CheckClaim for a file of `fileBytes` coded at most
  // `pixelsPerByte` densely, its kind's densest coding.
  static void CheckAnnounced(int64_t width, int64_t height, uint64_t fileBytes, int64_t pixelsPerByte);
  // A bitmap of a size CheckSize passed; out of memory (7) when it can't be had.
  static std::unique_ptr<gdi::Bitmap> NewBitmap(int32_t width, int32_t height, bool bottomUp);

  // Out of memory (7) naming the file's size.
  static platform::AppError FileTooLarge(uint64_t bytes);

  // Invalid picture (481) with the toolkit's words.
  static platform::AppError NotAPicture();
  // Invalid picture (481): "The picture is damaged: " and how.
  static platform::AppError Damaged(const std::string& how);
};

}  // namespace formats
