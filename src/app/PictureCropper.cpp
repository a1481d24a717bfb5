#include "app/PictureCropper.h"

#include "app/SelectionGeometry.h"
#include "platform/base/AppError.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/PictureSurface.h"

PictureCropper::PictureCropper(int32_t width, int32_t height, BlockPlacement placement)
    : width_(width), height_(height), placement_(placement) {}

BlockCorner PictureCropper::Corner(const gdi::Picture& picture) const {
  if (placement_.mode == Placement::Origin) {
    BlockCorner corner{placement_.x, placement_.y};
    CheckOverlap(picture, corner);
    return corner;
  }
  return {SelectionGeometry::Start(placement_.x, width_, static_cast<float>(picture.Width())),
          SelectionGeometry::Start(placement_.y, height_, static_cast<float>(picture.Height()))};
}

std::unique_ptr<gdi::MemorySurface> PictureCropper::Crop(const gdi::Picture& picture) const {
  if (picture.Empty()) throw platform::AppError::Standard(platform::ErrorNumber::InvalidPicture);
  return CropAt(picture, Corner(picture), width_, height_);
}

std::unique_ptr<gdi::MemorySurface> PictureCropper::CropAt(const gdi::Picture& picture, BlockCorner corner,
                                                           int32_t width, int32_t height) {
  auto block = std::make_unique<gdi::MemorySurface>(width, height, gdi::kSurfaceBackColor);
  gdi::HDC source = gdi::CreateCompatibleDC(block->hDC());
  gdi::HGDIOBJ previous = gdi::SelectObject(source, picture.Handle());
  gdi::BitBlt(block->hDC(), 0, 0, width, height, source, corner.left, corner.top, gdi::SRCCOPY);
  if (previous) gdi::SelectObject(source, previous);
  gdi::DeleteDC(source);
  return block;
}

void PictureCropper::CheckOverlap(const gdi::Picture& picture, BlockCorner corner) const {
  const int64_t left = corner.left, top = corner.top;
  const bool overlaps =
      left < picture.Width() && top < picture.Height() && left + width_ > 0 && top + height_ > 0;
  if (overlaps) return;
  throw platform::AppError::WithDescription(
      platform::ErrorNumber::InvalidArgument,
      "a " + std::to_string(width_) + "x" + std::to_string(height_) + " block at " + std::to_string(left) +
          "," + std::to_string(top) + " lies outside the " + std::to_string(picture.Width()) + "x" +
          std::to_string(picture.Height()) + " picture");
}
