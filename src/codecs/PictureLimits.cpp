#include "codecs/PictureLimits.h"

namespace platform {

void PictureLimits::CheckSize(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) throw NotAPicture();
  if (width * height <= kMaxPicturePixels) return;
  throw AppError::WithDescription(ErrorNumber::OutOfMemory,
                                  "The picture is too large to open: " + std::to_string(width) + " x " +
                                      std::to_string(height) + " pixels (the limit is " +
                                      std::to_string(kMaxPicturePixels / 1'000'000) + " megapixels)");
}

std::unique_ptr<gdi::Bitmap> PictureLimits::NewBitmap(int32_t width, int32_t height, bool bottomUp) {
  auto bitmap = gdi::Bitmap::Create(width, height, bottomUp);
  if (!bitmap) throw AppError::Standard(ErrorNumber::OutOfMemory);
  return bitmap;
}

AppError PictureLimits::NotAPicture() { return AppError::Standard(ErrorNumber::InvalidPicture); }

AppError PictureLimits::Damaged(const std::string& how) {
  return AppError::WithDescription(ErrorNumber::InvalidPicture, "The picture is damaged: " + how);
}

}  // namespace platform
