#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "formats/PictureStream.h"
#include "imaging/StreamedResampler.h"
#include "imaging/cDIBSection.h"

// A picture file resized as it is decoded band by band, for reductions by
// more than 2 x of pictures far larger than memory would hold whole. The
// result is PictureResizer::Resize's byte for byte: the same blend of the
// same pixels, made as the rows pass, with no decoding at a smaller scale.
class StreamedResizer : private formats::BandSink {
 public:
  // The result's width and height for a picture's width and height; raises
  // when there is none.
  using Size = std::function<std::pair<int32_t, int32_t>(int32_t width, int32_t height)>;
  // Asked between bands with the share of the picture read so far; true stops.
  using Asked = std::function<bool(double done)>;

  explicit StreamedResizer(Size size, Asked stop = nullptr);

  // The result, or nothing when the picture is none to stream: of a kind or a
  // turn that is decoded whole, or a change of size that isn't a reduction by
  // more than 2 x. Raises as Size, PictureResizer::Resize and LoadPicture do,
  // and formats::StreamStopped.
  std::unique_ptr<cDIBSection> Resize(const std::string& path, formats::Damage damage);

  // Whether a picture of pictureWidth x pictureHeight resized to width x
  // height is streamed: smaller on no side, and more than 2 x on one.
  static bool Streams(int32_t pictureWidth, int32_t pictureHeight, int32_t width, int32_t height);

 private:
  int MostShrink(int32_t width, int32_t height) override;
  RowTaker& Taker(int shrink, int32_t width, int32_t height) override;
  bool Stop(double done) override;

  Size size_;
  Asked stop_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::unique_ptr<cDIBSection> result_;
  std::optional<StreamedResampler> resampler_;
};
