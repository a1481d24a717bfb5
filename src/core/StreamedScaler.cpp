#include "core/StreamedScaler.h"

namespace {

// Column sums hold a result row's share of 255s in 32 bits.
constexpr int64_t kMostRegionRows = (int64_t{1} << 32) / 256;

}  // namespace

StreamedScaler::StreamedScaler(RegionSize region, int32_t width, int32_t height, BlockPlacement placement,
                               bool exact, Asked stop)
    : region_(region),
      width_(width),
      height_(height),
      placement_(placement),
      exact_(exact),
      stop_(std::move(stop)) {}

std::unique_ptr<gdi::MemorySurface> StreamedScaler::Cut(const std::string& path, formats::Damage damage) {
  if (formats::StreamPicture(path, *this, damage) == formats::Streamed::No) return nullptr;
  return std::move(result_);
}

int StreamedScaler::Shrink(int32_t regionWidth, int32_t regionHeight, int32_t width, int32_t height) {
  int shrink = 1;
  while (shrink < 8 && int64_t{regionWidth} >= 4 * int64_t{width} * shrink &&
         int64_t{regionHeight} >= 4 * int64_t{height} * shrink) {
    shrink *= 2;
  }
  return shrink;
}

// The region and its place as RegionScaler::Cut finds them.
int StreamedScaler::MostShrink(int32_t width, int32_t height) {
  cut_ = region_;
  BlockPlacement placement = placement_;
  if (cut_.whole) {
    cut_ = RegionScaler::Largest(width, height, width_, height_);
    placement = {Placement::Center, width / 2, height / 2};
  }
  corner_ = PictureCropper(cut_.width, cut_.height, placement).Corner(width, height);
  const bool inside = corner_.left >= 0 && corner_.top >= 0 && int64_t{corner_.left} + cut_.width <= width &&
                      int64_t{corner_.top} + cut_.height <= height;
  if (!inside || !RegionScaler::AveragesArea(cut_.width, cut_.height, width_, height_) ||
      cut_.height >= kMostRegionRows) {
    return 0;
  }
  return exact_ ? 1 : Shrink(cut_.width, cut_.height, width_, height_);
}

// A decoded pixel covers `shrink` picture pixels a side; measured in
// 1/width_ (1/height_) of a picture pixel, every edge is whole.
RowTaker& StreamedScaler::Taker(int shrink, int32_t, int32_t) {
  result_ = std::make_unique<gdi::MemorySurface>(width_, height_);
  const int64_t across = width_, down = height_;
  averager_.emplace(AreaAverager::Axis{corner_.left * across, cut_.width, across * shrink},
                    AreaAverager::Axis{corner_.top * down, cut_.height, down * shrink},
                    MutableRowsOf(result_->Image()));
  return *averager_;
}

bool StreamedScaler::Stop(double done) { return stop_ && stop_(done); }
