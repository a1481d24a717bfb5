#include "formats/jpeg/JpegBudget.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "formats/jpeg/mIntelJPEGLibrary.h"
#include "imaging/cDIBSection.h"
#include "platform/base/AppError.h"
#include "support/pure/TempDir.h"

namespace {

// Smooth shades with some noise: sizes grow steadily with the quality.
std::unique_ptr<cDIBSection> Shades(int32_t width, int32_t height) {
  auto dib = std::make_unique<cDIBSection>();
  EXPECT_TRUE(dib->Create(width, height));
  std::mt19937 generator(11);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = dib->DIBSectionBitsPtr() + static_cast<size_t>(y) * dib->BytesPerScanLine();
    for (int32_t x = 0; x < 3 * width; ++x) {
      row[x] = static_cast<uint8_t>((x / 3 + 2 * y + x % 3 * 40) % 200 + generator() % 24);
    }
  }
  return dib;
}

class JpegBudgetFit : public testing::TestWithParam<int64_t> {};

// The file keeps within the budget, and one step more of quality would not.
TEST_P(JpegBudgetFit, BestQualityWithinTheBytes) {
  auto dib = Shades(256, 256);
  const int64_t budget = GetParam();
  const BudgetedJpeg jpeg = JpegBudget::Fit(*dib, budget);
  ASSERT_GE(jpeg.quality, 1);
  ASSERT_LE(jpeg.quality, 100);
  EXPECT_LE(static_cast<int64_t>(jpeg.bytes.size()), budget);
  EXPECT_EQ(jpeg.bytes, mIntelJPEGLibrary::EncodeJPEG(*dib, jpeg.quality));
  if (jpeg.quality < 100) {
    EXPECT_GT(static_cast<int64_t>(mIntelJPEGLibrary::EncodeJPEG(*dib, jpeg.quality + 1).size()), budget);
  }
}

INSTANTIATE_TEST_SUITE_P(Budgets, JpegBudgetFit, testing::Values(4000, 9000, 20 * 1024, 40000, 1 << 24));

struct Crop {
  int32_t width;
  int32_t height;
};

class JpegBudgetNotMonotonic : public testing::TestWithParam<Crop> {};

// Sizes of small crops go down now and then as the quality goes up (a 45 x 49
// crop allowed 759 bytes was given quality 22 though 24 takes 759): for a
// budget of each quality's size, the answer is the best quality of all that fit.
TEST_P(JpegBudgetNotMonotonic, FindsTheBestQualityOfAllThatFit) {
  auto dib = Shades(GetParam().width, GetParam().height);
  std::vector<size_t> sizes(101);
  for (int32_t q = 1; q <= 100; ++q) sizes[q] = mIntelJPEGLibrary::EncodeJPEG(*dib, q).size();
  int dips = 0;
  for (int32_t q = 2; q <= 100; ++q) dips += sizes[q] < sizes[q - 1];
  EXPECT_GT(dips, 0) << "no quality of this crop is smaller than the one below: the case is not tried";
  for (int32_t q = 1; q <= 100; ++q) {
    const auto budget = static_cast<int64_t>(sizes[q]);
    int32_t best = 0;
    for (int32_t other = 1; other <= 100; ++other) {
      if (static_cast<int64_t>(sizes[other]) <= budget) best = other;
    }
    EXPECT_EQ(JpegBudget::Fit(*dib, budget).quality, best) << budget << " bytes";
  }
}

INSTANTIATE_TEST_SUITE_P(Crops, JpegBudgetNotMonotonic,
                         testing::Values(Crop{45, 49}, Crop{32, 32}, Crop{64, 40}));

TEST(JpegBudget, TooSmallEvenAtQualityOneIsRefusedWithBothSizes) {
  auto dib = Shades(64, 64);
  const size_t smallest = mIntelJPEGLibrary::EncodeJPEG(*dib, 1).size();
  try {
    JpegBudget::Fit(*dib, 100);
    FAIL() << "accepted";
  } catch (const platform::AppError& e) {
    EXPECT_NE(e.Description().find(std::to_string(smallest) + " bytes, more than the 100 allowed"),
              std::string::npos)
        << e.Description();
  }
}

TEST(JpegBudget, SaveWritesExactlyTheChosenBytes) {
  auto dib = Shades(128, 96);
  TempDir dir;
  const std::string path = (dir / "b.jpg").string();
  const BudgetedJpeg jpeg = JpegBudget::Save(*dib, path, 6000);
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, jpeg.bytes);
}

}  // namespace
