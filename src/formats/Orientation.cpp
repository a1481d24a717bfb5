#include "formats/Orientation.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>
#include <vector>

#include "formats/PictureLimits.h"

namespace formats {
namespace {

std::atomic<bool> automatic{true};

struct Steps {
  bool mirrorX, mirrorY, transposes;
};

// EXIF's orientations 1 to 8.
constexpr Steps kSteps[] = {{false, false, false}, {true, false, false}, {true, true, false},
                            {false, true, false},  {false, false, true}, {false, true, true},
                            {true, true, true},    {true, false, true}};

// [begin, end) seen from the other end of a line of `size`.
std::pair<int32_t, int32_t> Mirrored(int32_t begin, int32_t end, int32_t size) {
  return {size - end, size - begin};
}

// Transposing copies in tiles, so both pictures are walked a few rows at a time.
constexpr int32_t kTile = 64;

}  // namespace

Orientation::Orientation(int exif) {
  const Steps steps = kSteps[exif >= 1 && exif <= 8 ? exif - 1 : 0];
  mirrorX_ = steps.mirrorX;
  mirrorY_ = steps.mirrorY;
  transposes_ = steps.transposes;
}

gdi::Rect Orientation::ToUpright(const gdi::Rect& stored, int32_t storedWidth, int32_t storedHeight) const {
  gdi::Rect r = stored;
  if (mirrorX_) std::tie(r.left, r.right) = Mirrored(r.left, r.right, storedWidth);
  if (mirrorY_) std::tie(r.top, r.bottom) = Mirrored(r.top, r.bottom, storedHeight);
  if (transposes_) r = {r.top, r.left, r.bottom, r.right};
  return r;
}

gdi::Rect Orientation::ToStored(const gdi::Rect& upright, int32_t storedWidth, int32_t storedHeight) const {
  gdi::Rect r = transposes_ ? gdi::Rect{upright.top, upright.left, upright.bottom, upright.right} : upright;
  if (mirrorX_) std::tie(r.left, r.right) = Mirrored(r.left, r.right, storedWidth);
  if (mirrorY_) std::tie(r.top, r.bottom) = Mirrored(r.top, r.bottom, storedHeight);
  return r;
}

std::unique_ptr<gdi::Bitmap> Orientation::Upright(std::unique_ptr<gdi::Bitmap> stored) const {
  if (Plain() || !stored) return stored;
  if (!transposes_) {
    MirrorInPlace(*stored);
    return stored;
  }
  return Transposed(*stored);
}

RegionChooser Orientation::Stored(const RegionChooser& choose) const {
  return [turn = *this, choose](int32_t width, int32_t height) {
    const gdi::Rect upright = turn.transposes_ ? choose(height, width) : choose(width, height);
    return turn.ToStored(upright, width, height);
  };
}

// A block mirrored within itself lands where the same block of the whole
// mirrored picture lands.
PictureRegion Orientation::Upright(const PictureRegion& stored) const {
  if (Plain()) return stored;
  const gdi::Bitmap& block = *stored.picture->Handle();
  const gdi::Rect placed =
      ToUpright({stored.left, stored.top, stored.left + block.Width(), stored.top + block.Height()},
                stored.width, stored.height);
  auto upright = std::make_shared<const gdi::Picture>(Upright(block.ShareCopy()));
  return transposes_
             ? PictureRegion{upright, placed.left, placed.top, stored.height, stored.width, stored.damage}
             : PictureRegion{upright, placed.left, placed.top, stored.width, stored.height, stored.damage};
}

void Orientation::MirrorInPlace(gdi::Bitmap& bitmap) const {
  const int32_t width = bitmap.Width(), height = bitmap.Height();
  if (mirrorY_) {
    std::vector<uint8_t> spare(bitmap.Stride());
    for (int32_t y = 0; y < height / 2; ++y) {
      uint8_t* top = bitmap.MutableRow(y);
      uint8_t* bottom = bitmap.MutableRow(height - 1 - y);
      std::memcpy(spare.data(), top, spare.size());
      std::memcpy(top, bottom, spare.size());
      std::memcpy(bottom, spare.data(), spare.size());
    }
  }
  if (!mirrorX_) return;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = bitmap.MutableRow(y);
    for (int32_t x = 0; x < width / 2; ++x)
      std::swap_ranges(row + 3 * x, row + 3 * x + 3, row + 3 * (width - 1 - x));
  }
}

// Upright pixel (x, y) is stored at column y and row x, each mirrored as asked.
std::unique_ptr<gdi::Bitmap> Orientation::Transposed(const gdi::Bitmap& stored) const {
  const int32_t width = stored.Height(), height = stored.Width();
  auto upright = PictureLimits::NewBitmap(width, height, false);
  for (int32_t tileY = 0; tileY < height; tileY += kTile) {
    for (int32_t tileX = 0; tileX < width; tileX += kTile) {
      for (int32_t y = tileY; y < std::min(tileY + kTile, height); ++y) {
        uint8_t* to = upright->MutableRow(y) + 3 * static_cast<size_t>(tileX);
        const size_t column = 3 * static_cast<size_t>(mirrorX_ ? height - 1 - y : y);
        for (int32_t x = tileX; x < std::min(tileX + kTile, width); ++x, to += 3) {
          const uint8_t* from = stored.Row(mirrorY_ ? width - 1 - x : x) + column;
          to[0] = from[0];
          to[1] = from[1];
          to[2] = from[2];
        }
      }
    }
  }
  return upright;
}

void Orientation::SetAutomatic(bool on) { automatic.store(on); }

bool Orientation::Automatic() { return automatic.load(); }

}  // namespace formats
