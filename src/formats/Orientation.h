#pragma once

#include <cstdint>
#include <memory>

#include "formats/PictureRegion.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/GdiTypes.h"

namespace formats {

// Turns a picture stored in one of EXIF's eight orientations upright, and
// maps rectangles between the upright picture and the stored one, so a reader
// can decode just the stored part an upright rectangle needs. Every
// orientation is some of: mirror the stored columns, mirror the stored rows,
// then swap columns and rows.
class Orientation {
 public:
  // An EXIF orientation, 1 to 8; anything else is 1.
  explicit Orientation(int exif);

  bool Plain() const { return !mirrorX_ && !mirrorY_ && !transposes_; }
  // A quarter turn either way, or a mirror across a diagonal: width and height swap.
  bool Transposes() const { return transposes_; }

  gdi::Rect ToStored(const gdi::Rect& upright, int32_t storedWidth, int32_t storedHeight) const;
  gdi::Rect ToUpright(const gdi::Rect& stored, int32_t storedWidth, int32_t storedHeight) const;
  // The same bitmap turned in place when no swap is needed, a new one
  // otherwise; top-down either way. Out of memory (7) when the new one can't be had.
  std::unique_ptr<gdi::Bitmap> Upright(std::unique_ptr<gdi::Bitmap> stored) const;

  // A chooser of the stored part for a chooser of an upright one.
  RegionChooser Stored(const RegionChooser& choose) const;
  // What a reader gave for the stored part, turned upright and placed in the upright picture.
  PictureRegion Upright(const PictureRegion& stored) const;

  // Whether pictures are read upright (the default) or in stored order; process-wide.
  static void SetAutomatic(bool automatic);
  static bool Automatic();

 private:
  void MirrorInPlace(gdi::Bitmap& bitmap) const;
  std::unique_ptr<gdi::Bitmap> Transposed(const gdi::Bitmap& stored) const;

  bool mirrorX_ = false;
  bool mirrorY_ = false;
  bool transposes_ = false;
};

}  // namespace formats
