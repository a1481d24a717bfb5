#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/RegionScaler.h"
#include "formats/PictureStream.h"
#include "imaging/StreamedAverager.h"

// A region of a picture file averaged to the result's size as the file is
// decoded band by band, for pictures far larger than memory would hold whole.
// With `exact` the result is RegionScaler's byte for byte; without, a JPEG is
// decoded at 1/2, 1/4 or 1/8 of its size while that stays at least twice the
// result on each axis, and the result is then near the exact one (see
// MaxScaledDifference).
class StreamedScaler : private formats::BandSink {
 public:
  // Asked between bands with the share of the picture read so far; true stops.
  using Asked = std::function<bool(double done)>;

  StreamedScaler(RegionSize region, int32_t width, int32_t height, BlockPlacement placement, bool exact,
                 Asked stop = nullptr);

  // The result, or nothing when the picture is none to stream: of a kind or a
  // turn that is decoded whole, or a region that is no area average wholly
  // inside it. Raises as RegionScaler and LoadPicture do, and
  // formats::StreamStopped.
  std::unique_ptr<gdi::MemorySurface> Cut(const std::string& path, formats::Damage damage);

  // The most a channel of a result shrunk while decoding was measured to
  // differ from the exact one, on photos and on maps of one-pixel roads.
  static constexpr int kScaledBound = 24;

  // How many times the decoded picture may be smaller than the region.
  static int Shrink(int32_t regionWidth, int32_t regionHeight, int32_t width, int32_t height);

 private:
  int MostShrink(int32_t width, int32_t height) override;
  RowTaker& Taker(int shrink, int32_t width, int32_t height) override;
  bool Stop(double done) override;

  RegionSize region_;
  int32_t width_;
  int32_t height_;
  BlockPlacement placement_;
  bool exact_;
  Asked stop_;
  // Where the region lies in the picture, once its size is known.
  BlockCorner corner_;
  RegionSize cut_;
  std::unique_ptr<gdi::MemorySurface> result_;
  std::optional<StreamedAverager> averager_;
};
