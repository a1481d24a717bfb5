#include "app/RegionScaler.h"

#include "imaging/AreaAverager.h"
#include "imaging/cDIBSection.h"
#include "platform/base/AppError.h"

using platform::AppError;
namespace ErrorNumber = platform::ErrorNumber;

namespace {

ptrdiff_t RowStep(const gdi::Bitmap& bitmap) {
  const auto stride = static_cast<ptrdiff_t>(bitmap.Stride());
  return bitmap.BottomUp() ? -stride : stride;
}

// Top row first, whichever way up the bitmap lies in memory.
PixelRows<const uint8_t> RowsOf(const gdi::Bitmap& bitmap) {
  return {bitmap.Row(0), RowStep(bitmap), bitmap.Width(), bitmap.Height()};
}

PixelRows<uint8_t> RowsOf(gdi::Bitmap& bitmap) {
  return {bitmap.MutableRow(0), RowStep(bitmap), bitmap.Width(), bitmap.Height()};
}

std::unique_ptr<gdi::MemorySurface> Blend(gdi::MemorySurface& block, int32_t width, int32_t height) {
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

RegionScaler::RegionScaler(RegionSize region, int32_t width, int32_t height, BlockPlacement placement)
    : region_(region), width_(width), height_(height), placement_(placement) {}

std::unique_ptr<gdi::MemorySurface> RegionScaler::Cut(const gdi::Picture& picture) const {
  if (picture.Empty()) throw AppError::Standard(ErrorNumber::InvalidPicture);
  RegionSize region = region_;
  BlockPlacement placement = placement_;
  if (region.whole) {
    region = Largest(picture.Width(), picture.Height(), width_, height_);
    placement = {Placement::Origin, (picture.Width() - region.width) / 2,
                 (picture.Height() - region.height) / 2};
  }
  std::unique_ptr<gdi::MemorySurface> block =
      PictureCropper(region.width, region.height, placement).Crop(picture);
  if (region.width == width_ && region.height == height_) return block;
  return Scale(*block, width_, height_);
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
                                                        int32_t height) {
  const gdi::Bitmap& image = block.Image();
  if (!AveragesArea(image.Width(), image.Height(), width, height)) return Blend(block, width, height);
  auto result = std::make_unique<gdi::MemorySurface>(width, height);
  AreaAverager().Fill(RowsOf(image), RowsOf(result->Image()));
  return result;
}

bool RegionScaler::AveragesArea(int32_t regionWidth, int32_t regionHeight, int32_t width, int32_t height) {
  const bool reduces = regionWidth >= width && regionHeight >= height;
  return reduces &&
         (int64_t{regionWidth} > 2 * int64_t{width} || int64_t{regionHeight} > 2 * int64_t{height});
}
