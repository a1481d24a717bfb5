#include "imaging/StreamedResampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "imaging/ByteView.h"
#include "imaging/SectionFixtures.h"
#include "platform/base/AppError.h"

namespace {

struct StreamCase {
  int32_t sourceWidth, sourceHeight, width, height;
  // How many rows each band the decoder hands over holds.
  int32_t band;
  resample::KernelLevel kernels;
};

class StreamedBlendAgainstWhole : public testing::TestWithParam<StreamCase> {};

// The source's rows from the top, as a decoder gives them: memory row
// Height() - 1 - y is picture row y.
PixelRows<const uint8_t> TopDown(const cDIBSection& source, Range columns, int32_t top, int32_t count) {
  const ptrdiff_t stride = source.BytesPerScanLine();
  return {source.DIBSectionBits() + (source.Height() - 1 - top) * stride + 3 * ptrdiff_t{columns.first},
          -stride, columns.end - columns.first, count};
}

}  // namespace

// Fed band by band, top row first, the result is the whole-picture fill's
// byte for byte, whether a band ends between the two rows a result row
// blends or not.
TEST_P(StreamedBlendAgainstWhole, SameBytes) {
  const StreamCase c = GetParam();
  std::mt19937 generator(c.sourceWidth * 31 + c.sourceHeight);
  const auto source = MakeSection(c.sourceWidth, c.sourceHeight);
  FillRandom(*source, generator);
  const auto whole = source->Resample(c.height, c.width);
  ASSERT_TRUE(whole);

  const auto streamed = MakeSection(c.width, c.height);
  StreamedResampler resampler(c.sourceWidth, c.sourceHeight, *streamed, c.kernels);
  const Range rows = resampler.Rows(), columns = resampler.Columns();
  ASSERT_GE(rows.first, 0);
  ASSERT_LE(rows.end, c.sourceHeight);
  ASSERT_LE(columns.end, c.sourceWidth);
  for (int32_t y = rows.first; y < rows.end; y += c.band) {
    EXPECT_FALSE(resampler.Done());
    resampler.Add(TopDown(*source, columns, y, std::min(c.band, rows.end - y)));
  }
  EXPECT_TRUE(resampler.Done());
  EXPECT_EQ(PixelBytes(*streamed), PixelBytes(*whole));
}

using resample::KernelLevel;

INSTANTIATE_TEST_SUITE_P(
    SizesFactorsBands, StreamedBlendAgainstWhole,
    testing::Values(StreamCase{640, 480, 64, 48, 1, KernelLevel::Avx512},       // factor 10, row by row
                    StreamCase{1000, 999, 100, 100, 2, KernelLevel::Avx512},    // every pair split by a band
                    StreamCase{1001, 701, 333, 97, 7, KernelLevel::Avx2},       // uneven factors
                    StreamCase{4096, 300, 256, 300, 64, KernelLevel::Plain},    // across only: rows overlap
                    StreamCase{300, 4096, 300, 256, 5, KernelLevel::Avx512},    // down only, unchanged across
                    StreamCase{5000, 40, 50, 13, 40, KernelLevel::Avx512},      // one band; gathered columns
                    StreamCase{77, 3000, 7, 3000 / 7, 3, KernelLevel::Plain},   // tall and thin
                    StreamCase{2, 2, 1, 1, 1, KernelLevel::Avx512},             // the smallest reduction
                    StreamCase{513, 129, 256, 64, 1000, KernelLevel::Avx512}),  // just over 2 x
    [](const auto& test) {
      const StreamCase& c = test.param;
      return std::to_string(c.sourceWidth) + "x" + std::to_string(c.sourceHeight) + "to" +
             std::to_string(c.width) + "x" + std::to_string(c.height) + "by" + std::to_string(c.band);
    });

// Rows offered once the result is done change nothing.
TEST(StreamedResampler, RowsPastTheLastAreIgnored) {
  std::mt19937 generator(3);
  const auto source = MakeSection(60, 60);
  FillRandom(*source, generator);
  const auto once = MakeSection(6, 6), twice = MakeSection(6, 6);
  StreamedResampler a(60, 60, *once), b(60, 60, *twice);
  const Range columns = a.Columns();
  a.Add(TopDown(*source, columns, a.Rows().first, a.Rows().end - a.Rows().first));
  b.Add(TopDown(*source, columns, b.Rows().first, b.Rows().end - b.Rows().first));
  b.Add(TopDown(*source, columns, 0, 10));
  EXPECT_EQ(PixelBytes(*once), PixelBytes(*twice));
}

// A source one pixel across has no second column or row to blend with.
TEST(StreamedResampler, OnePixelSourceRaisesOutOfRange) {
  const auto dest = MakeSection(1, 5);
  for (auto [width, height] : {std::pair{1, 50}, std::pair{50, 1}}) {
    try {
      StreamedResampler resampler(width, height, *dest);
      FAIL() << width << " x " << height;
    } catch (const platform::AppError& e) {
      EXPECT_EQ(e.Number(), static_cast<int32_t>(platform::ErrorNumber::SubscriptOutOfRange));
    }
  }
}
