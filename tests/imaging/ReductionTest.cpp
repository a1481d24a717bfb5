#include "imaging/Reduction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "imaging/AreaAverager.h"
#include "imaging/LinearLight.h"
#include "imaging/MajorityPicker.h"
#include "imaging/PackedPixels.h"

namespace {

using Pixels = PackedPixels;

// Blocks of a few pixels, each of a colour drawn from a small palette, with
// stray single pixels: what a tile map looks like.
Pixels PaletteMap(int32_t w, int32_t h, int colours, std::mt19937& generator) {
  std::vector<uint32_t> palette(colours);
  for (uint32_t& c : palette) c = generator() & 0xFFFFFF;
  Pixels p(w, h);
  const int32_t block = 1 + static_cast<int32_t>(generator() % 5);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t pick = (generator() % 7 == 0) ? generator() : (x / block * 131 + y / block * 71);
      p.Set(x, y, palette[pick % colours]);
    }
  }
  return p;
}

Pixels Majority(const Pixels& source, int32_t dw, int32_t dh, int threads = 1) {
  Pixels dest(dw, dh);
  MajorityPicker(threads).Fill(source.Rows(), dest.MutableRows());
  return dest;
}

// The plain definition: in units of 1/(dw*dh) of a source pixel, source
// column i spans [i*dw, (i+1)*dw) and destination column x [x*sw, (x+1)*sw).
int64_t Overlap(int64_t i, int64_t x, int64_t sourceSize, int64_t destSize) {
  return std::max<int64_t>(
      0, std::min((i + 1) * destSize, (x + 1) * sourceSize) - std::max(i * destSize, x * sourceSize));
}

uint32_t MajorityReference(const Pixels& s, int32_t dw, int32_t dh, int32_t x, int32_t y) {
  std::map<uint32_t, int64_t> area;
  for (int32_t j = 0; j < s.height; ++j) {
    const int64_t down = Overlap(j, y, s.height, dh);
    if (down == 0) continue;
    for (int32_t i = 0; i < s.width; ++i) area[s.Colour(i, j)] += down * Overlap(i, x, s.width, dw);
  }
  uint32_t best = 0;
  int64_t most = -1;
  for (auto [colour, covered] : area) {  // ascending colours: the first of equal areas stays
    if (covered > most) {
      best = colour;
      most = covered;
    }
  }
  return best;
}

struct Sizes {
  int32_t sw, sh, dw, dh;
  int colours;
};

class MajorityOnPaletteMaps : public testing::TestWithParam<Sizes> {};

TEST_P(MajorityOnPaletteMaps, EveryPixelIsTheColourCoveringMostAndInThePalette) {
  const Sizes s = GetParam();
  std::mt19937 generator(static_cast<uint32_t>(s.sw * 31 + s.dh * 7 + s.colours));
  const Pixels source = PaletteMap(s.sw, s.sh, s.colours, generator);
  std::set<uint32_t> palette;
  for (int32_t y = 0; y < s.sh; ++y)
    for (int32_t x = 0; x < s.sw; ++x) palette.insert(source.Colour(x, y));
  const Pixels dest = Majority(source, s.dw, s.dh);
  for (int32_t y = 0; y < s.dh; ++y) {
    for (int32_t x = 0; x < s.dw; ++x) {
      ASSERT_TRUE(palette.count(dest.Colour(x, y))) << x << "," << y;
      ASSERT_EQ(dest.Colour(x, y), MajorityReference(source, s.dw, s.dh, x, y)) << x << "," << y;
    }
  }
}

std::vector<Sizes> RandomSizes() {
  std::mt19937 generator(23);
  std::vector<Sizes> sizes;
  for (int i = 0; i < 20; ++i) {
    const int32_t dw = 1 + static_cast<int32_t>(generator() % 24);
    const int32_t dh = 1 + static_cast<int32_t>(generator() % 24);
    const double factor = 0.5 + (generator() % 1200) / 100.0;  // enlarging by 2 to reducing by 12
    sizes.push_back({std::max(1, static_cast<int32_t>(dw * factor) + static_cast<int32_t>(generator() % 3)),
                     std::max(1, static_cast<int32_t>(dh * factor)), dw, dh,
                     2 + static_cast<int>(generator() % 30)});
  }
  return sizes;
}

INSTANTIATE_TEST_SUITE_P(Fixed, MajorityOnPaletteMaps,
                         testing::Values(Sizes{64, 64, 4, 4, 16}, Sizes{48, 32, 3, 2, 2},
                                         Sizes{7, 5, 3, 2, 4}, Sizes{3, 2, 7, 5, 3}, Sizes{100, 1, 7, 1, 16},
                                         // More colours in one pixel than the table starts with.
                                         Sizes{96, 96, 1, 1, 4000}));
INSTANTIATE_TEST_SUITE_P(Random, MajorityOnPaletteMaps, testing::ValuesIn(RandomSizes()));

struct TieCase {
  std::vector<uint32_t> row;  // one source row reduced to one pixel
  uint32_t winner;
};

class MajorityTies : public testing::TestWithParam<TieCase> {};

TEST_P(MajorityTies, TheLargestAreaThenTheSmallestValueWins) {
  const TieCase& c = GetParam();
  Pixels source(static_cast<int32_t>(c.row.size()), 1);
  for (size_t i = 0; i < c.row.size(); ++i) source.Set(static_cast<int32_t>(i), 0, c.row[i]);
  EXPECT_EQ(Majority(source, 1, 1).Colour(0, 0), c.winner);
}

INSTANTIATE_TEST_SUITE_P(Rows, MajorityTies,
                         testing::Values(TieCase{{0xFF0000, 0x00FF00}, 0x00FF00},
                                         TieCase{{0x00FF00, 0xFF0000}, 0x00FF00},
                                         TieCase{{0x000001, 0x000100, 0x010000}, 0x000001},
                                         TieCase{{0x010000, 0x000100, 0x000001}, 0x000001},
                                         TieCase{{0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000}, 0x000000},
                                         // Two of a larger value beat one each of smaller ones.
                                         TieCase{{0x000010, 0xFFFFFF, 0x000020, 0xFFFFFF}, 0xFFFFFF},
                                         TieCase{{0x123456, 0x123456, 0x123456}, 0x123456}));

// Three pixels into two: the middle one counts half for each side.
TEST(MajorityShares, APixelCutByTheEdgeCountsWithItsShare) {
  Pixels source(3, 1);
  source.Set(0, 0, 0xAAAAAA);
  source.Set(1, 0, 0x111111);
  source.Set(2, 0, 0x111111);
  const Pixels dest = Majority(source, 2, 1);
  EXPECT_EQ(dest.Colour(0, 0), 0xAAAAAAu);  // 1 against 1/2
  EXPECT_EQ(dest.Colour(1, 0), 0x111111u);
}

TEST(MajorityShares, ThreadsChangeNoByte) {
  std::mt19937 generator(8);
  const Pixels source = PaletteMap(1100, 900, 16, generator);
  EXPECT_EQ(Majority(source, 100, 70, 1).bytes, Majority(source, 100, 70, 3).bytes);
}

struct NearestCase {
  int32_t sw, sh, dw, dh;
};

class NearestAgainstReference : public testing::TestWithParam<NearestCase> {};

TEST_P(NearestAgainstReference, TakesThePixelUnderEachMiddle) {
  const NearestCase s = GetParam();
  std::mt19937 generator(static_cast<uint32_t>(s.sw + 97 * s.dw));
  Pixels source(s.sw, s.sh);
  for (uint8_t& b : source.bytes) b = static_cast<uint8_t>(generator());
  Pixels dest(s.dw, s.dh);
  NearestSampler::Fill(source.Rows(), dest.MutableRows());
  for (int32_t y = 0; y < s.dh; ++y) {
    const auto j = static_cast<int32_t>(std::floor((y + 0.5) * s.sh / s.dh));
    for (int32_t x = 0; x < s.dw; ++x) {
      const auto i = static_cast<int32_t>(std::floor((x + 0.5) * s.sw / s.dw));
      ASSERT_EQ(dest.Colour(x, y), source.Colour(i, j)) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, NearestAgainstReference,
                         testing::Values(NearestCase{64, 64, 4, 4}, NearestCase{64, 48, 16, 12},
                                         NearestCase{7, 5, 3, 2}, NearestCase{3, 2, 7, 5},
                                         NearestCase{1000, 3, 17, 2}, NearestCase{5, 5, 5, 5},
                                         NearestCase{1, 1, 4, 3}, NearestCase{301, 257, 256, 256}));

Pixels Checkerboard(int32_t w, int32_t h) {
  Pixels p(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) p.Set(x, y, (x + y) % 2 ? 0xFFFFFF : 0);
  return p;
}

struct LightCase {
  int32_t sw, sh, dw, dh;
  bool linear;
  int low, high;  // every byte of the result lies within
};

class CheckerboardLight : public testing::TestWithParam<LightCase> {};

TEST_P(CheckerboardLight, KeepsItsBrightnessOnlyInLinearLight) {
  const LightCase c = GetParam();
  const Pixels source = Checkerboard(c.sw, c.sh);
  Pixels dest(c.dw, c.dh);
  Reduction{ReduceMethod::Area, c.linear}.Fill(source.Rows(), dest.MutableRows());
  for (uint8_t b : dest.bytes) {
    ASSERT_GE(b, c.low);
    ASSERT_LE(b, c.high);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Reductions, CheckerboardLight,
    testing::Values(LightCase{256, 256, 16, 16, true, 187, 188}, LightCase{256, 256, 16, 16, false, 127, 128},
                    LightCase{64, 32, 4, 2, true, 187, 188}, LightCase{1024, 1024, 64, 64, true, 187, 188},
                    // Taller than 32-bit sums of 16-bit light can hold.
                    LightCase{2, 140000, 1, 1, true, 187, 188}, LightCase{2, 140000, 1, 1, false, 127, 128}));

TEST(LinearLight, EveryByteComesBackUnchangedAndLightRisesWithIt) {
  for (int v = 0; v < 256; ++v) {
    EXPECT_EQ(LinearLight::Encode()[LinearLight::Decode()[v]], v);
    if (v > 0) {
      EXPECT_GT(LinearLight::Decode()[v], LinearLight::Decode()[v - 1]);
    }
  }
  EXPECT_EQ(LinearLight::Decode()[255], LinearLight::kWhite);
}

TEST(LinearLight, AveragesMatchTheFormulasWithinOne) {
  std::mt19937 generator(4);
  Pixels source(90, 60);
  for (uint8_t& b : source.bytes) b = static_cast<uint8_t>(generator());
  Pixels dest(9, 6);
  AreaAverager(1, true).Fill(source.Rows(), dest.MutableRows());
  auto toLinear = [](double s) { return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4); };
  auto toByte = [](double l) {
    return 255 * (l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1 / 2.4) - 0.055);
  };
  for (int32_t y = 0; y < 6; ++y) {
    for (int32_t x = 0; x < 9; ++x) {
      for (int c = 0; c < 3; ++c) {
        double sum = 0;
        for (int32_t j = 0; j < 10; ++j)
          for (int32_t i = 0; i < 10; ++i)
            sum += toLinear(source.bytes[3 * ((10 * y + j) * 90 + 10 * x + i) + c] / 255.0);
        ASSERT_LE(std::abs(dest.bytes[3 * (y * 9 + x) + c] - toByte(sum / 100)), 1.0) << x << "," << y;
      }
    }
  }
}

TEST(Reduction, NamesGoBothWays) {
  for (ReduceMethod method : {ReduceMethod::Area, ReduceMethod::Majority, ReduceMethod::Nearest})
    EXPECT_EQ(Reduction::Named(Reduction::Name(method)), method);
  EXPECT_EQ(Reduction::Named("Area"), std::nullopt);
  EXPECT_EQ(Reduction::Named(""), std::nullopt);
}

}  // namespace
