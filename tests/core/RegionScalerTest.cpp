#include "core/RegionScaler.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "core/PictureResizer.h"
#include "imaging/cDIBSection.h"
#include "platform/base/AppError.h"

namespace {

// Solid tiles of 8 x 8 pixels, each its own colour: any reduction by 8 that
// starts on a tile's corner gives the tiles' colours back.
constexpr int kTile = 8;

uint8_t TileByte(int x, int y, int c) {
  return static_cast<uint8_t>((x / kTile * 37 + y / kTile * 91 + c * 50) % 251);
}

gdi::Picture Tiles(int32_t width, int32_t height, bool noisy = false) {
  auto bitmap = gdi::Bitmap::Create(width, height, true);
  std::mt19937 generator(9);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = bitmap->MutableRow(y);
    for (int32_t x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c)
        row[3 * x + c] = noisy ? static_cast<uint8_t>(generator()) : TileByte(x, y, c);
  }
  return gdi::Picture(std::move(bitmap));
}

std::vector<uint8_t> Bytes(const gdi::Bitmap& image) {
  std::vector<uint8_t> bytes;
  for (int32_t y = 0; y < image.Height(); ++y)
    bytes.insert(bytes.end(), image.Row(y), image.Row(y) + 3 * image.Width());
  return bytes;
}

struct OneToOneCase {
  int32_t width, height;
  BlockPlacement placement;
};

class RegionOneToOne : public testing::TestWithParam<OneToOneCase> {};

TEST_P(RegionOneToOne, IsTheCropByteForByte) {
  const OneToOneCase c = GetParam();
  const auto picture = std::make_shared<const gdi::Picture>(Tiles(300, 200, true));
  auto cut = RegionScaler({false, c.width, c.height}, c.width, c.height, c.placement).Cut(*picture);
  auto crop = PictureCropper(c.width, c.height, c.placement).Crop({picture, 0, 0, 300, 200, {}});
  EXPECT_EQ(Bytes(cut->Image()), Bytes(crop->Image()));
}

INSTANTIATE_TEST_SUITE_P(Placements, RegionOneToOne,
                         testing::Values(OneToOneCase{128, 128, {Placement::Center, 150, 100}},
                                         OneToOneCase{128, 128, {Placement::Center, 299, 199}},
                                         OneToOneCase{37, 20, {Placement::Origin, 270, 190}},
                                         OneToOneCase{400, 96, {Placement::Center, 10, 10}}));

struct TileCase {
  int32_t regionSide;
  BlockPlacement placement;
  int32_t expectLeft, expectTop;  // where the region lands after clamping
};

class RegionOfTiles : public testing::TestWithParam<TileCase> {};

// A region 8 x its result's size gives one tile per pixel, and near an edge it
// is moved inside the picture exactly as the window's frame is.
TEST_P(RegionOfTiles, AveragesEachTileIntoOnePixelWhereTheFrameWouldLie) {
  const TileCase c = GetParam();
  const gdi::Picture picture = Tiles(320, 240);
  const int32_t side = c.regionSide / kTile;
  auto result = RegionScaler({false, c.regionSide, c.regionSide}, side, side, c.placement).Cut(picture);
  const gdi::Bitmap& image = result->Image();
  ASSERT_EQ(image.Width(), side);
  for (int32_t y = 0; y < side; ++y) {
    for (int32_t x = 0; x < side; ++x) {
      for (int ch = 0; ch < 3; ++ch) {
        ASSERT_EQ(image.Row(y)[3 * x + ch], TileByte(c.expectLeft + kTile * x, c.expectTop + kTile * y, ch))
            << x << "," << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Edges, RegionOfTiles,
                         testing::Values(TileCase{64, {Placement::Origin, 16, 8}, 16, 8},
                                         TileCase{128, {Placement::Center, 0, 0}, 0, 0},
                                         TileCase{128, {Placement::Center, 319, 239}, 192, 112},
                                         TileCase{240, {Placement::Center, 160, 120}, 40, 0}));

TEST(RegionScaler, SmallReductionsBlendAsResizeImageDoes) {
  const gdi::Picture picture = Tiles(300, 200, true);
  auto cut = RegionScaler({false, 300, 200}, 200, 150, {Placement::Origin, 0, 0}).Cut(picture);
  std::unique_ptr<cDIBSection> resized = PictureResizer::Resize(picture, 200, 150);
  gdi::MemorySurface surface(200, 150);
  resized->PaintPicture(surface.hDC());
  EXPECT_EQ(Bytes(cut->Image()), Bytes(surface.Image()));
}

// A region one pixel across has no neighbour to blend with: said in words, as a resize says it.
TEST(RegionScaler, ARegionOnePixelAcrossCantBeBlended) {
  const gdi::Picture picture = Tiles(1, 7);
  try {
    RegionScaler({false, 1, 1}, 4, 4, {Placement::Center, 0, 3}).Cut(picture);
    FAIL() << "no error";
  } catch (const platform::AppError& e) {
    EXPECT_EQ(e.Description(),
              "A region only 1 pixel wide can't be resized: there is no second column to blend with");
  }
}

TEST(RegionScaler, WholeTakesTheLargestCentredRegion) {
  const gdi::Picture picture = Tiles(320, 240);
  // 240 x 240 centred: from column 40, a tile corner.
  auto result = RegionScaler({true, 0, 0}, 30, 30, {}).Cut(picture);
  EXPECT_EQ(result->Image().Row(0)[0], TileByte(40, 0, 0));
  EXPECT_EQ(result->Image().Row(29)[3 * 29 + 2], TileByte(40 + 29 * kTile, 29 * kTile, 2));
}

struct LargestCase {
  int32_t pictureWidth, pictureHeight, width, height, regionWidth, regionHeight;
};

class RegionLargest : public testing::TestWithParam<LargestCase> {};

TEST_P(RegionLargest, FillsOneSideKeepingTheProportions) {
  const LargestCase c = GetParam();
  const RegionSize region = RegionScaler::Largest(c.pictureWidth, c.pictureHeight, c.width, c.height);
  EXPECT_EQ(region.width, c.regionWidth);
  EXPECT_EQ(region.height, c.regionHeight);
}

INSTANTIATE_TEST_SUITE_P(Shapes, RegionLargest,
                         testing::Values(LargestCase{4096, 4096, 256, 256, 4096, 4096},
                                         LargestCase{300, 200, 128, 128, 200, 200},
                                         LargestCase{300, 200, 256, 64, 300, 75},
                                         LargestCase{100, 400, 3, 2, 100, 66},
                                         LargestCase{1, 500, 400, 1, 1, 1}));

struct FilterCase {
  int32_t regionWidth, regionHeight, width, height;
  bool area;
};

class RegionFilter : public testing::TestWithParam<FilterCase> {};

TEST_P(RegionFilter, AveragesOnlyReductionsByMoreThanTwo) {
  const FilterCase c = GetParam();
  EXPECT_EQ(RegionScaler::AveragesArea(c.regionWidth, c.regionHeight, c.width, c.height), c.area);
}

INSTANTIATE_TEST_SUITE_P(
    Factors, RegionFilter,
    testing::Values(FilterCase{4096, 4096, 256, 256, true}, FilterCase{513, 512, 256, 256, true},
                    FilterCase{512, 512, 256, 256, false}, FilterCase{300, 300, 256, 256, false},
                    FilterCase{128, 128, 256, 256, false}, FilterCase{4096, 100, 256, 256, false}));

struct ReducesCase {
  Reduction reduction;
  int32_t regionWidth, regionHeight, width, height;
  bool reduces;
};

class RegionReduces : public testing::TestWithParam<ReducesCase> {};

TEST_P(RegionReduces, PaletteMethodsServeEverySizeAndLightEveryReduction) {
  const ReducesCase c = GetParam();
  EXPECT_EQ(RegionScaler::Reduces(c.reduction, c.regionWidth, c.regionHeight, c.width, c.height), c.reduces);
}

INSTANTIATE_TEST_SUITE_P(
    Methods, RegionReduces,
    testing::Values(ReducesCase{{ReduceMethod::Area, false}, 300, 300, 256, 256, false},
                    ReducesCase{{ReduceMethod::Area, true}, 300, 300, 256, 256, true},
                    ReducesCase{{ReduceMethod::Area, true}, 128, 300, 256, 256, false},
                    ReducesCase{{ReduceMethod::Majority, false}, 300, 300, 256, 256, true},
                    ReducesCase{{ReduceMethod::Majority, false}, 64, 64, 256, 256, true},
                    ReducesCase{{ReduceMethod::Nearest, false}, 64, 64, 256, 256, true}));

// Two colours in 8 x 8 tiles: every reduction but the area average gives
// back only those two, inside the picture or reaching past its edge.
struct PaletteCase {
  Reduction reduction;
  BlockPlacement placement;
  int32_t region, side;
  bool background;  // part of the region lies outside the picture
};

class RegionPalette : public testing::TestWithParam<PaletteCase> {};

TEST_P(RegionPalette, KeepsThePictureColoursAndTheBackground) {
  const PaletteCase c = GetParam();
  auto bitmap = gdi::Bitmap::Create(100, 60, true);
  for (int32_t y = 0; y < 60; ++y)
    for (int32_t x = 0; x < 100; ++x)
      std::fill_n(bitmap->MutableRow(y) + 3 * x, 3, ((x / 8 + y / 8) % 3) ? 255 : 0);
  const gdi::Picture picture(std::move(bitmap));
  auto result =
      RegionScaler({false, c.region, c.region}, c.side, c.side, c.placement, c.reduction).Cut(picture);
  std::set<uint8_t> seen;
  for (uint8_t b : Bytes(result->Image())) seen.insert(b);
  std::set<uint8_t> allowed = {0, 255};
  if (c.background) allowed.insert(seen.begin(), seen.end());
  EXPECT_TRUE(seen.count(0) && seen.count(255));
  for (uint8_t b : seen) EXPECT_TRUE(allowed.count(b)) << int(b);
  EXPECT_EQ(seen.size() > 2, c.background);
}

INSTANTIATE_TEST_SUITE_P(
    Methods, RegionPalette,
    testing::Values(PaletteCase{{ReduceMethod::Majority, false}, {Placement::Origin, 3, 5}, 48, 10, false},
                    PaletteCase{{ReduceMethod::Nearest, false}, {Placement::Origin, 3, 5}, 48, 10, false},
                    PaletteCase{{ReduceMethod::Majority, false}, {Placement::Origin, 3, 5}, 24, 40, false},
                    PaletteCase{{ReduceMethod::Nearest, false}, {Placement::Origin, 1, 1}, 20, 30, false},
                    PaletteCase{{ReduceMethod::Majority, false}, {Placement::Center, 50, 30}, 80, 16, true},
                    PaletteCase{{ReduceMethod::Nearest, false}, {Placement::Center, 50, 30}, 80, 16, true}));

// A fine checkerboard halved: light measured as light is 188, not the blend's black or white.
TEST(RegionScaler, LinearLightAveragesEvenASmallReduction) {
  auto bitmap = gdi::Bitmap::Create(64, 64, true);
  for (int32_t y = 0; y < 64; ++y)
    for (int32_t x = 0; x < 64; ++x) std::fill_n(bitmap->MutableRow(y) + 3 * x, 3, (x + y) % 2 ? 255 : 0);
  const gdi::Picture picture(std::move(bitmap));
  auto linear = RegionScaler({false, 32, 32}, 16, 16, {Placement::Origin, 8, 8}, {ReduceMethod::Area, true})
                    .Cut(picture);
  for (uint8_t b : Bytes(linear->Image())) ASSERT_TRUE(b == 187 || b == 188) << int(b);
}

}  // namespace
