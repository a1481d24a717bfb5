#include "core/PictureCropper.h"

#include <algorithm>
#include <limits>

#include "core/SelectionGeometry.h"
#include "platform/base/AppError.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/PictureSurface.h"

PictureCropper::PictureCropper(int32_t width, int32_t height, BlockPlacement placement)
    : width_(width), height_(height), placement_(placement) {}

BlockCorner PictureCropper::Corner(int32_t pictureWidth, int32_t pictureHeight) const {
  if (placement_.mode == Placement::Origin) {
    BlockCorner corner{placement_.x, placement_.y};
    CheckOverlap(pictureWidth, pictureHeight, corner);
    return corner;
  }
  CheckCentre(pictureWidth, pictureHeight);
  return CentredCorner(placement_.x, placement_.y, width_, height_, static_cast<float>(pictureWidth),
                       static_cast<float>(pictureHeight));
}

BlockCorner PictureCropper::CentredCorner(int32_t x, int32_t y, int32_t width, int32_t height,
                                          float extentWidth, float extentHeight) {
  return {SelectionGeometry::Start(x, width, extentWidth), SelectionGeometry::Start(y, height, extentHeight)};
}

void PictureCropper::CopyBlock(gdi::HDC target, gdi::HDC source, BlockCorner corner, int32_t width,
                               int32_t height) {
  gdi::BitBlt(target, 0, 0, width, height, source, corner.left, corner.top, gdi::SRCCOPY);
}

gdi::Rect PictureCropper::Block(int32_t pictureWidth, int32_t pictureHeight) const {
  const BlockCorner c = Corner(pictureWidth, pictureHeight);
  const auto end = [](int32_t start, int32_t size) {
    return static_cast<int32_t>(
        std::min<int64_t>(int64_t{start} + size, std::numeric_limits<int32_t>::max()));
  };
  return {c.left, c.top, end(c.left, width_), end(c.top, height_)};
}

std::unique_ptr<gdi::MemorySurface> PictureCropper::Crop(const formats::PictureRegion& region) const {
  if (!region.picture || region.picture->Empty()) {
    throw platform::AppError::Standard(platform::ErrorNumber::InvalidPicture);
  }
  const BlockCorner corner = Corner(region.width, region.height);
  const gdi::Bitmap& pixels = *region.picture->Handle();
  // A block that is the whole bitmap shares its memory instead of copying it.
  if (corner.left == region.left && corner.top == region.top && width_ == pixels.Width() &&
      height_ == pixels.Height()) {
    return std::make_unique<gdi::MemorySurface>(pixels.ShareCopy());
  }
  return CropAt(*region.picture, {corner.left - region.left, corner.top - region.top}, width_, height_);
}

std::unique_ptr<gdi::MemorySurface> PictureCropper::CropAt(const gdi::Picture& picture, BlockCorner corner,
                                                           int32_t width, int32_t height) {
  auto block = std::make_unique<gdi::MemorySurface>(width, height, gdi::kSurfaceBackColor);
  gdi::HDC source = gdi::CreateCompatibleDC(block->hDC());
  gdi::HGDIOBJ previous = gdi::SelectObject(source, picture.Handle());
  CopyBlock(block->hDC(), source, corner, width, height);
  if (previous) gdi::SelectObject(source, previous);
  gdi::DeleteDC(source);
  return block;
}

// A block centred so far off that it would not touch the picture is no
// pointer the window could have, and clamping it would hide a typing mistake.
void PictureCropper::CheckCentre(int32_t pictureWidth, int32_t pictureHeight) const {
  if (Touches(int64_t{placement_.x} - width_ / 2, int64_t{placement_.y} - height_ / 2, pictureWidth,
              pictureHeight)) {
    return;
  }
  throw platform::AppError::WithDescription(
      platform::ErrorNumber::InvalidArgument,
      "--center " + std::to_string(placement_.x) + "," + std::to_string(placement_.y) + " lies outside the " +
          std::to_string(pictureWidth) + " x " + std::to_string(pictureHeight) + " picture");
}

void PictureCropper::CheckOverlap(int32_t pictureWidth, int32_t pictureHeight, BlockCorner corner) const {
  if (Touches(corner.left, corner.top, pictureWidth, pictureHeight)) return;
  throw platform::AppError::WithDescription(
      platform::ErrorNumber::InvalidArgument,
      "a " + std::to_string(width_) + " x " + std::to_string(height_) + " block at " +
          std::to_string(corner.left) + "," + std::to_string(corner.top) + " lies outside the " +
          std::to_string(pictureWidth) + " x " + std::to_string(pictureHeight) + " picture");
}

bool PictureCropper::Touches(int64_t left, int64_t top, int32_t pictureWidth, int32_t pictureHeight) const {
  return left < pictureWidth && top < pictureHeight && left + width_ > 0 && top + height_ > 0;
}
