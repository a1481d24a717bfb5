#include "formats/PictureLimits.h"

#include <algorithm>

namespace formats {

void PictureLimits::CheckSize(int64_t width, int64_t height, int64_t mostPixels) {
  if (width <= 0 || height <= 0) throw NotAPicture();
  if (width * height <= mostPixels) return;
  throw platform::AppError::WithDescription(platform::ErrorNumber::OutOfMemory,
                                            "The picture is too large to open: " + std::to_string(width) +
                                                " x " + std::to_string(height) + " pixels (the limit is " +
                                                std::to_string(mostPixels / 1'000'000) + " megapixels)");
}

void PictureLimits::CheckClaim(int64_t width, int64_t height, int64_t heldPixels, uint64_t fileBytes) {
  constexpr int64_t kMissingPartPixels = 4'000'000;
  if (width * height <= kMissingPartPixels + heldPixels) return;
  throw Damaged("its header announces " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels, more than its " + std::to_string(fileBytes) + " bytes could hold");
}

void PictureLimits::CheckAnnounced(int64_t width, int64_t height, uint64_t fileBytes, int64_t pixelsPerByte) {
  CheckSize(width, height);
  const auto held = static_cast<int64_t>(std::min<uint64_t>(fileBytes, kMaxPictureFileBytes)) * pixelsPerByte;
  CheckClaim(width, height, held, fileBytes);
}

std::unique_ptr<gdi::Bitmap> PictureLimits::NewBitmap(int32_t width, int32_t height, bool bottomUp) {
  auto bitmap = gdi::Bitmap::Create(width, height, bottomUp);
  if (!bitmap) throw platform::AppError::Standard(platform::ErrorNumber::OutOfMemory);
  return bitmap;
}

platform::AppError PictureLimits::FileTooLarge(uint64_t bytes) {
  return platform::AppError::WithDescription(platform::ErrorNumber::OutOfMemory,
                                             "The file is too large to be a picture the program opens: " +
                                                 std::to_string((bytes + (1 << 20) - 1) >> 20) +
                                                 " MB (the limit is " +
                                                 std::to_string(kMaxPictureFileBytes >> 20) + " MB)");
}

platform::AppError PictureLimits::NotAPicture() {
  return platform::AppError::Standard(platform::ErrorNumber::InvalidPicture);
}

platform::AppError PictureLimits::Damaged(const std::string& how) {
  return platform::AppError::WithDescription(platform::ErrorNumber::InvalidPicture,
                                             "The picture is damaged: " + how);
}

}  // namespace formats
