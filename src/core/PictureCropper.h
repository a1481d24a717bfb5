#pragma once

#include <cstdint>
#include <memory>

#include "formats/PictureRegion.h"
#include "platform/gdi/MemorySurface.h"

enum class Placement { Center, Origin };

// Where a block goes: centred on a point as the window centres it on the
// pointer, or with its top-left corner on the point.
struct BlockPlacement {
  Placement mode = Placement::Center;
  int32_t x = 0;
  int32_t y = 0;
};

struct BlockCorner {
  int32_t left = 0;
  int32_t top = 0;
};

// Cuts a block out of a picture the way the window copies its selection.
class PictureCropper {
 public:
  PictureCropper(int32_t width, int32_t height, BlockPlacement placement);

  // The block's top-left corner in a picture of that size. A centred block is
  // clamped like the window's selection; either block must overlap the
  // picture before any clamping, else it is an invalid argument (5).
  BlockCorner Corner(int32_t pictureWidth, int32_t pictureHeight) const;
  // The part of a picture of that size the block takes, for a reader that
  // decodes no more than that.
  gdi::Rect Block(int32_t pictureWidth, int32_t pictureHeight) const;

  // A surface of the block's size; what lies outside the picture keeps the
  // window surfaces' background colour. The region must hold the block's part.
  std::unique_ptr<gdi::MemorySurface> Crop(const formats::PictureRegion& region) const;

  // A block of width x height with its top-left corner at `corner`, the
  // background where it lies outside the picture.
  static std::unique_ptr<gdi::MemorySurface> CropAt(const gdi::Picture& picture, BlockCorner corner,
                                                    int32_t width, int32_t height);

  // The corner of a block of width x height centred on (x, y) in a picture
  // of extentWidth x extentHeight, clamped as the window's selection is.
  static BlockCorner CentredCorner(int32_t x, int32_t y, int32_t width, int32_t height, float extentWidth,
                                   float extentHeight);
  // The block with its top-left corner at `corner` of `source` to the top-left
  // of `target`; where it lies outside the source, `target` keeps what it had.
  static void CopyBlock(gdi::HDC target, gdi::HDC source, BlockCorner corner, int32_t width, int32_t height);

 private:
  void CheckCentre(int32_t pictureWidth, int32_t pictureHeight) const;
  void CheckOverlap(int32_t pictureWidth, int32_t pictureHeight, BlockCorner corner) const;
  // Whether a block with its top-left corner there shares a pixel with the picture.
  bool Touches(int64_t left, int64_t top, int32_t pictureWidth, int32_t pictureHeight) const;

  int32_t width_;
  int32_t height_;
  BlockPlacement placement_;
};
