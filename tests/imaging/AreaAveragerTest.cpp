#include "imaging/AreaAverager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "imaging/PackedPixels.h"

namespace {

using Pixels = PackedPixels;

Pixels Random(int32_t w, int32_t h, std::mt19937& generator) {
  Pixels p(w, h);
  for (uint8_t& b : p.bytes) b = static_cast<uint8_t>(generator());
  return p;
}

// The plain definition: overlap of every source pixel with the destination
// pixel's area, worked out in doubles.
double Overlap(int32_t i, double low, double high) {
  return std::max(0.0, std::min<double>(i + 1, high) - std::max<double>(i, low));
}

double Mean(const Pixels& s, int32_t dw, int32_t dh, int32_t x, int32_t y, int c) {
  const double sx = double(s.width) / dw, sy = double(s.height) / dh;
  double sum = 0;
  for (int32_t j = 0; j < s.height; ++j) {
    const double wy = Overlap(j, y * sy, (y + 1) * sy);
    if (wy == 0) continue;
    for (int32_t i = 0; i < s.width; ++i) sum += wy * Overlap(i, x * sx, (x + 1) * sx) * s.At(i, j, c);
  }
  return sum / (sx * sy);
}

Pixels Average(const Pixels& source, int32_t dw, int32_t dh, int threads = 1) {
  Pixels dest(dw, dh);
  AreaAverager(threads).Fill(source.Rows(), dest.MutableRows());
  return dest;
}

struct Sizes {
  int32_t sw, sh, dw, dh;
};

class AreaAgainstReference : public ::testing::TestWithParam<Sizes> {};

TEST_P(AreaAgainstReference, EveryChannelWithinOneOfTheExactMean) {
  const Sizes s = GetParam();
  std::mt19937 generator(static_cast<uint32_t>(s.sw * 7919 + s.sh * 31 + s.dw));
  const Pixels source = Random(s.sw, s.sh, generator);
  const Pixels dest = Average(source, s.dw, s.dh);
  for (int32_t y = 0; y < s.dh; ++y) {
    for (int32_t x = 0; x < s.dw; ++x) {
      for (int c = 0; c < 3; ++c) {
        ASSERT_LE(std::abs(dest.At(x, y, c) - Mean(source, s.dw, s.dh, x, y, c)), 1.0)
            << "pixel " << x << "," << y << " channel " << c;
      }
    }
  }
}

std::vector<Sizes> RandomSizes() {
  std::mt19937 generator(17);
  std::vector<Sizes> sizes;
  for (int i = 0; i < 24; ++i) {
    const int32_t dw = 1 + static_cast<int32_t>(generator() % 40);
    const int32_t dh = 1 + static_cast<int32_t>(generator() % 40);
    const double factor = 1.0 + (generator() % 1500) / 100.0;  // 1 to 16
    sizes.push_back({static_cast<int32_t>(dw * factor) + static_cast<int32_t>(generator() % 3),
                     static_cast<int32_t>(dh * factor), dw, dh});
  }
  return sizes;
}

INSTANTIATE_TEST_SUITE_P(Fixed, AreaAgainstReference,
                         ::testing::Values(Sizes{16, 16, 1, 1}, Sizes{7, 5, 3, 2}, Sizes{300, 17, 16, 5},
                                           Sizes{64, 64, 64, 64}, Sizes{3, 2, 5, 4}, Sizes{1001, 3, 7, 1}));
INSTANTIATE_TEST_SUITE_P(Random, AreaAgainstReference, ::testing::ValuesIn(RandomSizes()));

TEST(AreaExamples, ThinLineKeepsItsShareOfTheArea) {
  // A one-pixel white line in black, 16x reduced: one sixteenth of white.
  Pixels source(32, 32);
  for (int32_t y = 0; y < 32; ++y) std::fill_n(source.bytes.begin() + 3 * (y * 32 + 5), 3, 255);
  const Pixels dest = Average(source, 2, 2);
  EXPECT_EQ(dest.At(0, 0, 1), 16);  // 255 / 16 = 15.9
  EXPECT_EQ(dest.At(1, 1, 1), 0);
}

// Means of exactly one half round up: a 51 x 30 region of mean 211.5 gave
// 211 through a reciprocal a hair short of 1 / 1530.
TEST(AreaExamples, ExactHalvesRoundUp) {
  struct Half {
    int32_t width, height;
    uint8_t low;
  };
  for (const Half& h :
       {Half{51, 30, 211}, Half{3, 2, 0}, Half{10, 1, 254}, Half{49, 2, 100}, Half{6, 5, 17}}) {
    SCOPED_TRACE(std::to_string(h.width) + " x " + std::to_string(h.height));
    Pixels source(h.width, h.height);
    // Half the pixels at low, half at low + 1.
    for (int32_t i = 0; i < h.width * h.height; ++i)
      std::fill_n(source.bytes.begin() + 3 * i, 3, h.low + i % 2);
    const Pixels dest = Average(source, 1, 1);
    EXPECT_EQ(dest.At(0, 0, 0), h.low + 1);
    EXPECT_EQ(dest.At(0, 0, 2), h.low + 1);
  }
}

TEST(AreaExamples, CutPixelsCountWithTheirShare) {
  // Three pixels into two: the middle one is split half and half.
  Pixels source(3, 1);
  const uint8_t blues[] = {0, 90, 30};
  for (int i = 0; i < 3; ++i) source.bytes[3 * i] = blues[i];
  const Pixels dest = Average(source, 2, 1);
  EXPECT_EQ(dest.At(0, 0, 0), 30);  // (0 + 45) / 1.5
  EXPECT_EQ(dest.At(1, 0, 0), 50);  // (45 + 30) / 1.5
}

// The shares are the same from either end, so a bitmap kept bottom-up gives
// the same picture as one kept top-down.
TEST(AreaExamples, RowsWalkedUpsideDownGiveTheSameBytes) {
  std::mt19937 generator(3);
  const Pixels source = Random(45, 33, generator);
  const Pixels upright = Average(source, 6, 5);
  Pixels flipped(6, 5);
  const ptrdiff_t sourceStep = 3 * 45, destStep = 3 * 6;
  AreaAverager(1).Fill({source.bytes.data() + 32 * sourceStep, -sourceStep, 45, 33},
                       {flipped.bytes.data() + 4 * destStep, -destStep, 6, 5});
  EXPECT_EQ(flipped.bytes, upright.bytes);
}

TEST(AreaExamples, ThreadsChangeNoByte) {
  std::mt19937 generator(5);
  const Pixels source = Random(1200, 700, generator);
  EXPECT_EQ(Average(source, 100, 60, 1).bytes, Average(source, 100, 60, 4).bytes);
}

}  // namespace
