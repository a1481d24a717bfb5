#include "core/StreamedResizer.h"

#include "core/PictureResizer.h"
#include "platform/base/AppError.h"

StreamedResizer::StreamedResizer(Size size, Asked stop) : size_(std::move(size)), stop_(std::move(stop)) {}

std::unique_ptr<cDIBSection> StreamedResizer::Resize(const std::string& path, formats::Damage damage) {
  if (formats::StreamPicture(path, *this, damage) == formats::Streamed::No) return nullptr;
  return std::move(result_);
}

bool StreamedResizer::Streams(int32_t pictureWidth, int32_t pictureHeight, int32_t width, int32_t height) {
  const bool reduces = pictureWidth >= width && pictureHeight >= height;
  return reduces &&
         (int64_t{pictureWidth} > 2 * int64_t{width} || int64_t{pictureHeight} > 2 * int64_t{height});
}

// A picture one pixel across is left to the whole resize, which says why it
// can't be blended.
int StreamedResizer::MostShrink(int32_t width, int32_t height) {
  std::tie(width_, height_) = size_(width, height);
  if (width == 1 || height == 1 || !Streams(width, height, width_, height_)) return 0;
  return 1;
}

RowTaker& StreamedResizer::Taker(int, int32_t width, int32_t height) {
  result_ = std::make_unique<cDIBSection>();
  if (!result_->Create(width_, height_))
    throw platform::AppError::Standard(platform::ErrorNumber::OutOfMemory);
  resampler_.emplace(width, height, *result_);
  return *resampler_;
}

bool StreamedResizer::Stop(double done) { return stop_ && stop_(done); }
