#include "imaging/ReducedCopies.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "imaging/AreaAverager.h"

namespace {

std::shared_ptr<const gdi::Picture> Noise(int32_t width, int32_t height, uint32_t seed) {
  auto bitmap = gdi::Bitmap::Create(width, height, false);
  std::mt19937 generator(seed);
  const PixelRows<uint8_t> rows = MutableRowsOf(*bitmap);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < 3 * width; ++x) rows.first[y * rows.step + x] = static_cast<uint8_t>(generator());
  return std::make_shared<const gdi::Picture>(std::move(bitmap));
}

std::unique_ptr<gdi::Bitmap> Rough(ReducedCopies& copies, const gdi::Rect& region, int32_t width,
                                   int32_t height) {
  auto result = gdi::Bitmap::Create(width, height, false);
  if (!copies.Fill(region, MutableRowsOf(*result))) return nullptr;
  return result;
}

std::unique_ptr<gdi::Bitmap> Exact(const gdi::Picture& picture, const gdi::Rect& region, int32_t width,
                                   int32_t height) {
  auto result = gdi::Bitmap::Create(width, height, false);
  const PixelRows<const uint8_t> all = RowsOf(*picture.Handle());
  AreaAverager(1).Fill(
      Block(all, region.left, region.top, region.right - region.left, region.bottom - region.top),
      MutableRowsOf(*result));
  return result;
}

int MostApart(const gdi::Bitmap& a, const gdi::Bitmap& b) {
  int most = 0;
  for (int32_t y = 0; y < a.Height(); ++y)
    for (int32_t x = 0; x < 3 * a.Width(); ++x) most = std::max(most, std::abs(a.Row(y)[x] - b.Row(y)[x]));
  return most;
}

struct ServeCase {
  const char* name;
  gdi::Rect region;
  int32_t width, height;
  bool served;
};

class ReducedCopiesServe : public testing::TestWithParam<ServeCase> {};

// A budget of 1000 pixels: the picture itself serves a region no larger.
TEST_P(ReducedCopiesServe, OnlyLargeRegionsReducedFourTimesOrMore) {
  const ServeCase& c = GetParam();
  ReducedCopies copies(Noise(120, 90, 1), 1000);
  EXPECT_EQ(Rough(copies, c.region, c.width, c.height) != nullptr, c.served);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReducedCopiesServe,
                         testing::Values(ServeCase{"Large", {0, 0, 64, 64}, 8, 8, true},
                                         ServeCase{"ReducedLittle", {0, 0, 64, 64}, 32, 32, false},
                                         ServeCase{"OneAxisReducedLittle", {0, 0, 64, 64}, 8, 32, false},
                                         ServeCase{"Small", {0, 0, 30, 30}, 4, 4, false},
                                         ServeCase{"ReachingOutside", {-8, 0, 56, 64}, 8, 8, false},
                                         ServeCase{"PastTheBottom", {0, 40, 64, 104}, 8, 8, false}),
                         [](const testing::TestParamInfo<ServeCase>& param) { return param.param.name; });

struct AlignedCase {
  const char* name;
  int32_t pictureWidth, pictureHeight;
  gdi::Rect region;
  int32_t width, height;
};

class ReducedCopiesAligned : public testing::TestWithParam<AlignedCase> {};

// Where the result's pixels begin and end on the copy's blocks, or on the
// picture's edge, the blocks' means add up to the region's own: only the
// rounding of each mean lies between the two.
TEST_P(ReducedCopiesAligned, WithinOneOfTheExactAverage) {
  const AlignedCase& c = GetParam();
  const auto picture = Noise(c.pictureWidth, c.pictureHeight, 7);
  ReducedCopies copies(picture, 1);
  const auto rough = Rough(copies, c.region, c.width, c.height);
  ASSERT_TRUE(rough);
  EXPECT_LE(MostApart(*rough, *Exact(*picture, c.region, c.width, c.height)), 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReducedCopiesAligned,
                         testing::Values(AlignedCase{"WholePicture", 96, 80, {0, 0, 96, 80}, 6, 5},
                                         AlignedCase{"Inside", 300, 200, {32, 16, 288, 176}, 16, 10},
                                         AlignedCase{"BlocksCutByTheEdges", 102, 99, {64, 48, 102, 99}, 1, 1},
                                         AlignedCase{"AcrossTiles", 2100, 700, {0, 0, 1024, 512}, 128, 64},
                                         AlignedCase{
                                             "LastTiles", 2100, 700, {1052, 188, 2100, 700}, 131, 64}),
                         [](const testing::TestParamInfo<AlignedCase>& param) { return param.param.name; });

// One-pixel lines anywhere land in the same result pixels as in the exact average.
TEST(ReducedCopiesPlaces, ThinLinesWhereTheExactAverageHasThem) {
  auto bitmap = gdi::Bitmap::Create(640, 480, false);
  bitmap->FillRect({301, 0, 302, 480}, gdi::RGB(255, 255, 255));
  bitmap->FillRect({0, 203, 640, 204}, gdi::RGB(255, 255, 255));
  const auto picture = std::make_shared<const gdi::Picture>(std::move(bitmap));
  ReducedCopies copies(picture, 1);
  for (const gdi::Rect& region : {gdi::Rect{37, 21, 549, 405}, gdi::Rect{99, 3, 611, 387}}) {
    const auto rough = Rough(copies, region, 32, 24);
    ASSERT_TRUE(rough);
    const auto exact = Exact(*picture, region, 32, 24);
    auto brightest = [](const gdi::Bitmap& b, bool column) {
      int best = 0, most = -1;
      for (int i = 0; i < (column ? 32 : 24); ++i) {
        const int v = column ? b.Row(12)[3 * i] : b.Row(i)[3 * 16];
        if (v > most) best = i, most = v;
      }
      return best;
    };
    EXPECT_EQ(brightest(*rough, true), brightest(*exact, true));
    EXPECT_EQ(brightest(*rough, false), brightest(*exact, false));
  }
}

// Tiles made for one region serve the next as freshly made ones would.
TEST(ReducedCopiesPlaces, OverlappingRegionsAsIfAlone) {
  const auto picture = Noise(1500, 1100, 3);
  ReducedCopies used(picture, 1000);
  ASSERT_TRUE(Rough(used, {0, 0, 1024, 1024}, 64, 64));
  const gdi::Rect next{333, 77, 1489, 1093};
  ReducedCopies fresh(picture, 1000);
  const auto expected = Rough(fresh, next, 40, 35);
  ASSERT_TRUE(expected);
  EXPECT_EQ(MostApart(*Rough(used, next, 40, 35), *expected), 0);
}

struct ForgetCase {
  const char* name;
  int k;
  gdi::Rect changed;  // in source pixels
};

class ReducedCopiesForget : public testing::TestWithParam<ForgetCase> {};

// A copy of a source drawn on after it was made equals one made afresh from the changed source.
TEST_P(ReducedCopiesForget, AChangedSourceGivesTheCopyAFreshOneWouldBe) {
  const ForgetCase& c = GetParam();
  auto source = gdi::Bitmap::Create(517, 389, false);
  const PixelRows<uint8_t> rows = MutableRowsOf(*source);
  std::mt19937 generator(11);
  for (int32_t y = 0; y < 389; ++y)
    for (int32_t x = 0; x < 3 * 517; ++x) rows.first[y * rows.step + x] = static_cast<uint8_t>(generator());
  ReducedCopies used(*source);
  const gdi::Rect all{0, 0, 517, 389};
  used.Copy(c.k, all);
  source->FillRect(c.changed, gdi::RGB(255, 0, 255));
  used.Forget(c.changed);
  ReducedCopies fresh(*source);
  const gdi::Bitmap& expected = fresh.Copy(c.k, all);
  const gdi::Bitmap& got = used.Copy(c.k, all);
  ASSERT_EQ(got.Width(), (517 + (1 << c.k) - 1) >> c.k);
  EXPECT_EQ(MostApart(got, expected), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReducedCopiesForget,
                         testing::Values(ForgetCase{"OneRowHalved", 1, {10, 101, 500, 102}},
                                         ForgetCase{"OneColumnByEight", 3, {333, 0, 334, 389}},
                                         ForgetCase{"BlockOnTheFarEdges", 2, {500, 380, 517, 389}},
                                         ForgetCase{"ReachingOutside", 4, {-20, -20, 40, 30}},
                                         ForgetCase{"AcrossTiles", 1, {120, 120, 140, 140}}),
                         [](const testing::TestParamInfo<ForgetCase>& param) { return param.param.name; });

// A part asked for makes only what it touches; the rest follows when asked, the same.
TEST(ReducedCopiesPlaces, ACopyMadeInPartsEqualsOneMadeWhole) {
  const auto picture = Noise(700, 300, 5);
  ReducedCopies parts(*picture->Handle());
  parts.Copy(1, {0, 0, 10, 10});
  parts.Copy(1, {100, 50, 350, 150});
  ReducedCopies whole(*picture->Handle());
  EXPECT_EQ(MostApart(parts.Copy(1, {0, 0, 350, 150}), whole.Copy(1, {0, 0, 350, 150})), 0);
}

}  // namespace
