#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/PixelRows.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Picture.h"

// Copies of a picture reduced by 2, 4, 8 and so on, each of their pixels the
// mean of a square block of the picture's, rounded once; blocks cut by the
// picture's right or bottom edge take the mean of the part inside. A copy is
// made tile by tile as regions need it, so a large region shown small is
// averaged from a few hundred thousand pixels instead of many millions, and
// the parts of the picture never shown cost nothing. The result is close to
// the region's own area average, not equal to it: the copy's blocks are
// averaged whole where the result's pixels cut them.
class ReducedCopies {
 public:
  // A region of at most this many pixels is quick to average from the picture itself.
  static constexpr int64_t kDirectPixels = int64_t{1} << 19;

  explicit ReducedCopies(gdi::PicturePtr picture, int64_t directPixels = kDirectPixels);
  // Of a bitmap the caller keeps alive and tells about every change to (Forget).
  explicit ReducedCopies(const gdi::Bitmap& source);
  ~ReducedCopies();
  ReducedCopies(const ReducedCopies&) = delete;
  ReducedCopies& operator=(const ReducedCopies&) = delete;

  const gdi::PicturePtr& Picture() const { return picture_; }

  // The region, in picture pixels, averaged into dest from the least reduced
  // copy whose part of it has at most directPixels pixels; a copy is used
  // only while it leaves the averaging at least 2 x to reduce on both axes.
  // False, dest untouched, when no copy serves: the region is small, reduced
  // little, or not wholly inside the picture.
  bool Fill(const gdi::Rect& region, const PixelRows<uint8_t>& dest);

  // Copy k (reduced by 2^k, k >= 1), made at least over `part`, in its own pixels.
  const gdi::Bitmap& Copy(int k, const gdi::Rect& part);
  // The source changed within `changed`, in its pixels: what the copies made so far hold of it is made again.
  void Forget(const gdi::Rect& changed);

 private:
  struct Level;

  int Choose(int64_t regionWidth, int64_t regionHeight, int32_t width, int32_t height) const;
  Level& LevelOf(int k);
  // Makes the tiles of copy k not made yet that `part`, in its pixels, touches.
  void MakeTiles(Level& level, int k, const gdi::Rect& part);
  // Averages the copy's pixels in `area`, in its pixels, from the source.
  void MakeArea(const PixelRows<uint8_t>& into, int k, const gdi::Rect& area) const;
  const gdi::Bitmap& Source() const { return *source_; }

  gdi::PicturePtr picture_;
  const gdi::Bitmap* source_;
  int64_t directPixels_;
  // Copy k (reduced by 2^k) at index k - 1, once asked for.
  std::vector<std::unique_ptr<Level>> levels_;
};
