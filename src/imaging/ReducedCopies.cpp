#include "imaging/ReducedCopies.h"

#include <algorithm>
#include <new>
#include <thread>

#include "imaging/AreaAverager.h"

namespace {

// A copy is made in squares of this many of its pixels a side.
constexpr int32_t kTile = 64;

int64_t Reduced(int64_t length, int k) { return (length + (int64_t{1} << k) - 1) >> k; }

int32_t Tiles(int32_t length) { return (length + kTile - 1) / kTile; }

// Past this many tiles at once the second core helps: a whole large picture
// reduced at its first zoom out.
constexpr size_t kTilesForTwoThreads = 16;

}  // namespace

struct ReducedCopies::Level {
  std::unique_ptr<gdi::Bitmap> pixels;
  int32_t columns = 0;
  std::vector<bool> made;
};

ReducedCopies::ReducedCopies(gdi::PicturePtr picture, int64_t directPixels)
    : picture_(std::move(picture)),
      source_(picture_ ? picture_->Handle() : nullptr),
      directPixels_(directPixels) {}

ReducedCopies::ReducedCopies(const gdi::Bitmap& source) : source_(&source), directPixels_(kDirectPixels) {}

ReducedCopies::~ReducedCopies() = default;

bool ReducedCopies::Fill(const gdi::Rect& region, const PixelRows<uint8_t>& dest) {
  if (!source_ || dest.width <= 0 || dest.height <= 0) return false;
  const int64_t pictureWidth = Source().Width(), pictureHeight = Source().Height();
  if (region.left < 0 || region.top < 0 || region.right > pictureWidth || region.bottom > pictureHeight)
    return false;
  const int64_t width = int64_t{region.right} - region.left, height = int64_t{region.bottom} - region.top;
  const int k = Choose(width, height, dest.width, dest.height);
  if (k == 0) return false;
  Level& level = LevelOf(k);
  MakeTiles(level, k,
            {region.left >> k, region.top >> k, static_cast<int32_t>(Reduced(region.right, k)),
             static_cast<int32_t>(Reduced(region.bottom, k))});
  // Measured in 1/dest.width (1/dest.height) of a picture pixel, every edge falls on a whole number.
  const int64_t across = dest.width, down = dest.height;
  AreaAverager().Fill(RowsOf(*level.pixels), {region.left * across, width, across << k},
                      {region.top * down, height, down << k}, dest);
  return true;
}

// Each step halves the copy, down to the first whose part is small enough.
int ReducedCopies::Choose(int64_t regionWidth, int64_t regionHeight, int32_t width, int32_t height) const {
  if (regionWidth * regionHeight <= directPixels_) return 0;
  int chosen = 0;
  for (int k = 1; (int64_t{width} << (k + 1)) <= regionWidth && (int64_t{height} << (k + 1)) <= regionHeight;
       ++k) {
    chosen = k;
    if (Reduced(regionWidth, k) * Reduced(regionHeight, k) <= directPixels_) break;
  }
  return chosen;
}

ReducedCopies::Level& ReducedCopies::LevelOf(int k) {
  if (levels_.size() < static_cast<size_t>(k)) levels_.resize(static_cast<size_t>(k));
  std::unique_ptr<Level>& level = levels_[static_cast<size_t>(k - 1)];
  if (level) return *level;
  level = std::make_unique<Level>();
  // Untouched memory is not yet the system's to give: a tile costs only when made.
  level->pixels = gdi::Bitmap::Create(static_cast<int32_t>(Reduced(Source().Width(), k)),
                                      static_cast<int32_t>(Reduced(Source().Height(), k)), false);
  if (!level->pixels) throw std::bad_alloc();
  level->columns = Tiles(level->pixels->Width());
  level->made.assign(
      static_cast<size_t>(level->columns) * static_cast<size_t>(Tiles(level->pixels->Height())), false);
  return *level;
}

const gdi::Bitmap& ReducedCopies::Copy(int k, const gdi::Rect& part) {
  Level& level = LevelOf(k);
  const gdi::Rect inside{std::max(part.left, 0), std::max(part.top, 0),
                         std::min(part.right, level.pixels->Width()),
                         std::min(part.bottom, level.pixels->Height())};
  if (!inside.Empty()) MakeTiles(level, k, inside);
  return *level.pixels;
}

void ReducedCopies::Forget(const gdi::Rect& changed) {
  for (size_t i = 0; i < levels_.size(); ++i) {
    if (!levels_[i]) continue;
    Level& level = *levels_[i];
    const int k = static_cast<int>(i) + 1;
    const int32_t width = level.pixels->Width(), height = level.pixels->Height();
    const gdi::Rect part{std::max(changed.left, 0) >> k, std::max(changed.top, 0) >> k,
                         std::min(width, static_cast<int32_t>(Reduced(changed.right, k))),
                         std::min(height, static_cast<int32_t>(Reduced(changed.bottom, k)))};
    if (part.Empty()) continue;
    const PixelRows<uint8_t> into = MutableRowsOf(*level.pixels);
    // Tiles not made yet will read the changed source when they are.
    for (int32_t row = part.top / kTile; row * kTile < part.bottom; ++row) {
      for (int32_t column = part.left / kTile; column * kTile < part.right; ++column) {
        if (!level.made[static_cast<size_t>(row) * static_cast<size_t>(level.columns) +
                        static_cast<size_t>(column)])
          continue;
        const gdi::Rect tile{column * kTile, row * kTile, std::min(width, (column + 1) * kTile),
                             std::min(height, (row + 1) * kTile)};
        MakeArea(into, k,
                 {std::max(tile.left, part.left), std::max(tile.top, part.top),
                  std::min(tile.right, part.right), std::min(tile.bottom, part.bottom)});
      }
    }
  }
}

void ReducedCopies::MakeTiles(Level& level, int k, const gdi::Rect& part) {
  std::vector<gdi::Rect> due;
  for (int32_t row = part.top / kTile; row * kTile < part.bottom; ++row) {
    for (int32_t column = part.left / kTile; column * kTile < part.right; ++column) {
      const size_t index =
          static_cast<size_t>(row) * static_cast<size_t>(level.columns) + static_cast<size_t>(column);
      if (level.made[index]) continue;
      due.push_back({column * kTile, row * kTile, std::min(level.pixels->Width(), (column + 1) * kTile),
                     std::min(level.pixels->Height(), (row + 1) * kTile)});
      level.made[index] = true;
    }
  }
  // Taken once: a bitmap sharing its pixels gets its own here, not in two threads at once.
  const PixelRows<uint8_t> into = MutableRowsOf(*level.pixels);
  auto make = [&](size_t first, size_t step) {
    for (size_t i = first; i < due.size(); i += step) MakeArea(into, k, due[i]);
  };
  if (due.size() < kTilesForTwoThreads) {
    make(0, 1);
    return;
  }
  std::thread helper(make, 1, 2);
  make(0, 2);
  helper.join();
}

// Whole blocks and the blocks cut by the source's edges are averaged apart,
// each at a whole ratio, so every pixel of the copy is its block's exact mean.
void ReducedCopies::MakeArea(const PixelRows<uint8_t>& into, int k, const gdi::Rect& area) const {
  const gdi::Bitmap& picture = Source();
  const PixelRows<const uint8_t> from = RowsOf(picture);
  const int32_t left = area.left, top = area.top;
  const int32_t across = area.right - area.left;
  const int32_t down = area.bottom - area.top;
  const int32_t wholeAcross = std::clamp((picture.Width() >> k) - left, 0, across);
  const int32_t wholeDown = std::clamp((picture.Height() >> k) - top, 0, down);
  const AreaAverager averager(1);
  auto part = [&](int32_t x, int32_t y, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return;
    const int32_t pictureLeft = (left + x) << k, pictureTop = (top + y) << k;
    const auto blockWidth =
        static_cast<int32_t>(std::min(int64_t{width} << k, int64_t{picture.Width()} - pictureLeft));
    const auto blockHeight =
        static_cast<int32_t>(std::min(int64_t{height} << k, int64_t{picture.Height()} - pictureTop));
    averager.Fill(Block(from, pictureLeft, pictureTop, blockWidth, blockHeight),
                  Block(into, left + x, top + y, width, height));
  };
  part(0, 0, wholeAcross, wholeDown);
  part(wholeAcross, 0, across - wholeAcross, wholeDown);
  part(0, wholeDown, wholeAcross, down - wholeDown);
  part(wholeAcross, wholeDown, across - wholeAcross, down - wholeDown);
}
