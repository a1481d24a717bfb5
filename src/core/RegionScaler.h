#pragma once

#include <cstdint>
#include <memory>

#include "core/PictureCropper.h"
#include "imaging/Reduction.h"
#include "platform/gdi/MemorySurface.h"
#include "platform/gdi/Picture.h"

// The part of the picture a result is made from: a block of its own size, or
// the largest block of the result's proportions that fits in the picture.
struct RegionSize {
  bool whole = false;
  int32_t width = 0;
  int32_t height = 0;

  // Whether a result of width x height made from it is more than a cut.
  bool Scales(int32_t resultWidth, int32_t resultHeight) const {
    return whole || width != resultWidth || height != resultHeight;
  }
};

// Makes a result of a given size from a region of a picture: the region is cut
// as the window cuts its selection (clamped at the picture's edges), then
// resampled. Large reductions average areas, so thin lines survive; the rest
// blends as "Resize Image" does. A region of the result's size is the cut
// alone, byte for byte. The majority and nearest reductions serve every
// change of size; linear light serves every reduction, enlargements blending
// as before.
class RegionScaler {
 public:
  RegionScaler(RegionSize region, int32_t width, int32_t height, BlockPlacement placement,
               Reduction reduction = {});

  std::unique_ptr<gdi::MemorySurface> Cut(const gdi::Picture& picture) const;

  // The block of the proportions width : height that fills as much of a
  // picture of pictureWidth x pictureHeight as it can.
  static RegionSize Largest(int32_t pictureWidth, int32_t pictureHeight, int32_t width, int32_t height);

  // The region with its top-left corner at `corner` resampled to width x
  // height. One inside the picture is averaged straight from its pixels.
  static std::unique_ptr<gdi::MemorySurface> ScaleRegion(const gdi::Picture& picture, BlockCorner corner,
                                                         RegionSize region, int32_t width, int32_t height,
                                                         const Reduction& reduction = {});

  // A block resampled to width x height.
  static std::unique_ptr<gdi::MemorySurface> Scale(gdi::MemorySurface& block, int32_t width, int32_t height,
                                                   const Reduction& reduction = {});

  // Reductions by more than 2 x average areas; a sampling filter would skip
  // whole rows and columns of the region.
  static bool AveragesArea(int32_t regionWidth, int32_t regionHeight, int32_t width, int32_t height);
  // Whether `reduction` makes the result straight from the region's pixels
  // rather than blending them.
  static bool Reduces(const Reduction& reduction, int32_t regionWidth, int32_t regionHeight, int32_t width,
                      int32_t height);

 private:
  RegionSize region_;
  int32_t width_;
  int32_t height_;
  BlockPlacement placement_;
  Reduction reduction_;
};
