#include "core/RegionScaler.h"

#include "core/PictureResizer.h"
#include "imaging/cDIBSection.h"
#include "platform/base/AppError.h"

using platform::AppError;
namespace ErrorNumber = platform::ErrorNumber;

namespace {

std::unique_ptr<gdi::MemorySurface> Blend(gdi::MemorySurface& block, int32_t width, int32_t height) {
  PictureResizer::CheckBlendable(block.Image().Width(), block.Image().Height(), width, height, "region");
  cDIBSection source;
  if (!source.Create(block.Image().Width(), block.Image().Height())) {
    throw AppError::Standard(ErrorNumber::OutOfMemory);
  }
  source.LoadPictureBlt(block.hDC());
  std::unique_ptr<cDIBSection> resized = source.Resample(height, width);
  if (!resized) throw AppError::Standard(ErrorNumber::OutOfMemory);
  auto result = std::make_unique<gdi::MemorySurface>(width, height);
  resized->PaintPicture(result->hDC());
  return result;
}

}  // namespace

RegionScaler::RegionScaler(RegionSize region, int32_t width, int32_t height, BlockPlacement placement,
                           Reduction reduction)
    : region_(region), width_(width), height_(height), placement_(placement), reduction_(reduction) {}

std::unique_ptr<gdi::MemorySurface> RegionScaler::Cut(const gdi::Picture& picture) const {
  if (picture.Empty()) throw AppError::Standard(ErrorNumber::InvalidPicture);
  RegionSize region = region_;
  BlockPlacement placement = placement_;
  if (region.whole) {
    // Centred on the middle pixel, as the window centres its fitted frame.
    region = Largest(picture.Width(), picture.Height(), width_, height_);
    placement = {Placement::Center, picture.Width() / 2, picture.Height() / 2};
  }
  const PictureCropper cropper(region.width, region.height, placement);
  const BlockCorner corner = cropper.Corner(picture.Width(), picture.Height());
  if (region.width == width_ && region.height == height_) {
    return PictureCropper::CropAt(picture, corner, width_, height_);
  }
  return ScaleRegion(picture, corner, region, width_, height_, reduction_);
}

std::unique_ptr<gdi::MemorySurface> RegionScaler::ScaleRegion(const gdi::Picture& picture, BlockCorner corner,
                                                              RegionSize region, int32_t width,
                                                              int32_t height, const Reduction& reduction) {
  const bool inside = corner.left >= 0 && corner.top >= 0 &&
                      int64_t{corner.left} + region.width <= picture.Width() &&
                      int64_t{corner.top} + region.height <= picture.Height();
  if (!inside || !Reduces(reduction, region.width, region.height, width, height)) {
    auto block = PictureCropper::CropAt(picture, corner, region.width, region.height);
    return Scale(*block, width, height, reduction);
  }
  const gdi::Bitmap& pixels = *picture.Handle();
  const PixelRows<const uint8_t> rows =
      Block(RowsOf(pixels), corner.left, corner.top, region.width, region.height);
  auto result = std::make_unique<gdi::MemorySurface>(width, height);
  reduction.Fill(rows, MutableRowsOf(result->Image()));
  return result;
}

RegionSize RegionScaler::Largest(int32_t pictureWidth, int32_t pictureHeight, int32_t width, int32_t height) {
  const bool wider = int64_t{pictureWidth} * height >= int64_t{pictureHeight} * width;
  if (wider) {
    const auto across = static_cast<int32_t>(int64_t{pictureHeight} * width / height);
    return {false, std::max(across, 1), pictureHeight};
  }
  const auto down = static_cast<int32_t>(int64_t{pictureWidth} * height / width);
  return {false, pictureWidth, std::max(down, 1)};
}

std::unique_ptr<gdi::MemorySurface> RegionScaler::Scale(gdi::MemorySurface& block, int32_t width,
                                                        int32_t height, const Reduction& reduction) {
  const gdi::Bitmap& image = block.Image();
  if (!Reduces(reduction, image.Width(), image.Height(), width, height)) return Blend(block, width, height);
  auto result = std::make_unique<gdi::MemorySurface>(width, height);
  reduction.Fill(RowsOf(image), MutableRowsOf(result->Image()));
  return result;
}

bool RegionScaler::AveragesArea(int32_t regionWidth, int32_t regionHeight, int32_t width, int32_t height) {
  const bool reduces = regionWidth >= width && regionHeight >= height;
  return reduces &&
         (int64_t{regionWidth} > 2 * int64_t{width} || int64_t{regionHeight} > 2 * int64_t{height});
}

// A blend would mix colours and light the wrong way: past a palette, or in
// stored values where light was asked for.
bool RegionScaler::Reduces(const Reduction& reduction, int32_t regionWidth, int32_t regionHeight,
                           int32_t width, int32_t height) {
  if (reduction.method != ReduceMethod::Area) return true;
  if (reduction.linear) return regionWidth >= width && regionHeight >= height;
  return AveragesArea(regionWidth, regionHeight, width, height);
}
