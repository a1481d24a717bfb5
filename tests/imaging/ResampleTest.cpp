#include <gtest/gtest.h>

#include "support/pure/ErrorOf.h"

#include <random>

#include "imaging/ReferenceResampler.h"
#include "imaging/Resampler.h"
#include "imaging/SectionFixtures.h"
#include "imaging/cDIBSection.h"
#include "platform/base/AppError.h"

namespace {

using platform::ErrorNumber::SubscriptOutOfRange;

// A section whose blue bytes are given row by row (memory order), green and red 0.
std::unique_ptr<cDIBSection> BlueSection(const std::vector<std::vector<uint8_t>>& rows) {
  auto dib = MakeSection(static_cast<int32_t>(rows[0].size()), static_cast<int32_t>(rows.size()));
  for (size_t y = 0; y < rows.size(); ++y) {
    for (size_t x = 0; x < rows[y].size(); ++x)
      ByteAt(*dib, static_cast<int32_t>(3 * x), static_cast<int32_t>(y)) = rows[y][x];
  }
  return dib;
}

uint8_t BlueAt(const cDIBSection& dib, int32_t x, int32_t y) { return ByteAt(dib, 3 * x, y); }

TEST(ResampleExamples, LastColumnStopsShortOfTheSourcesLast) {
  auto source = BlueSection({{0, 100}, {0, 100}});
  auto result = source->Resample(2, 4);
  ASSERT_TRUE(result);
  for (int32_t y = 0; y < 2; ++y) {
    EXPECT_EQ(BlueAt(*result, 0, y), 0);
    EXPECT_EQ(BlueAt(*result, 1, y), 25);
    EXPECT_EQ(BlueAt(*result, 2, y), 50);
    EXPECT_EQ(BlueAt(*result, 3, y), 75);
  }
}

TEST(ResampleExamples, ReducingDropsTheColumnsBetweenSamples) {
  auto source = BlueSection({{10, 20, 250}, {30, 40, 250}});
  auto result = source->Resample(2, 2);
  ASSERT_TRUE(result);
  // kx = 1: destination columns are source columns 0 and 1; column 2 plays no part.
  EXPECT_EQ(BlueAt(*result, 0, 0), 10);
  EXPECT_EQ(BlueAt(*result, 1, 0), 20);
  EXPECT_EQ(BlueAt(*result, 0, 1), 20);
  EXPECT_EQ(BlueAt(*result, 1, 1), 30);
}

TEST(ResampleExamples, HalfwayBlendsRoundTiesToEven) {
  auto source = BlueSection({{2, 1}, {3, 2}});
  auto result = source->Resample(4, 2);
  ASSERT_TRUE(result);
  // Row 2 samples halfway between the source rows: 2.5 -> 2 and 1.5 -> 2.
  EXPECT_EQ(BlueAt(*result, 0, 2), 2);
  EXPECT_EQ(BlueAt(*result, 1, 2), 2);
  EXPECT_EQ(BlueAt(*result, 0, 1), 2);  // 2.25
  EXPECT_EQ(BlueAt(*result, 0, 3), 3);  // 2.75
}

TEST(ResampleExamples, HeightComesFirst) {
  auto source = MakeSection(4, 4);
  auto result = source->Resample(10, 20);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->Width(), 20);
  EXPECT_EQ(result->Height(), 10);
}

TEST(ResampleExamples, UnchangedSizeIsAnExactCopyAndTheSourceStaysAsItWas) {
  std::mt19937 generator(7);
  auto source = MakeSection(13, 9);
  FillRandom(*source, generator);
  const std::vector<uint8_t> before = PixelBytes(*source);
  auto copy = source->Resample(9, 13);
  ASSERT_TRUE(copy);
  EXPECT_EQ(PixelBytes(*copy), before);
  auto scaled = source->Resample(20, 30);
  ASSERT_TRUE(scaled);
  EXPECT_EQ(PixelBytes(*source), before);
}

TEST(ResampleFailures, OnePixelWideOrHighSourceRaisesOutOfRange) {
  for (auto size : {std::pair{1, 5}, std::pair{5, 1}, std::pair{1, 1}}) {
    const int width = size.first, height = size.second;
    auto source = MakeSection(width, height);
    EXPECT_EQ(ErrorOf([&] { source->Resample(height + 1, width + 1); }), SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { source->Resample(height, width + 3); }), SubscriptOutOfRange);
    auto same = source->Resample(height, width);
    ASSERT_TRUE(same) << width << " x " << height;
    EXPECT_EQ(same->Width(), width);
  }
}

TEST(ResampleFailures, ImpossibleTargetGivesNoBitmapAndNoError) {
  auto source = MakeSection(4, 4);
  EXPECT_EQ(source->Resample(0, 5), nullptr);
  EXPECT_EQ(source->Resample(5, -1), nullptr);
}

TEST(ResampleFailures, SourceWithoutPixelMemoryRaisesOutOfRange) {
  auto source = MakeSection(4, 4);
  source->ClearUp();
  EXPECT_EQ(ErrorOf([&] { source->Resample(8, 8); }), SubscriptOutOfRange);
}

struct Variant {
  const char* name;
  Resampler resampler;
};

using resample::KernelLevel;

// Levels the processor lacks fall back to the next one down, so every entry runs.
const Variant kVariants[] = {
    {"plain loops, one thread", Resampler(1, KernelLevel::Plain)},
    {"plain loops, two threads", Resampler(2, KernelLevel::Plain)},
    {"AVX2, one thread", Resampler(1, KernelLevel::Avx2)},
    {"AVX2, three threads", Resampler(3, KernelLevel::Avx2)},
    {"AVX-512, one thread", Resampler(1, KernelLevel::Avx512)},
    {"AVX-512, two threads", Resampler(2, KernelLevel::Avx512)},
};

// Fills a fresh destination with the reference and with every variant; all must agree to the bit.
void ExpectSameAsReference(const cDIBSection& source, int32_t width, int32_t height) {
  auto expected = MakeSection(width, height);
  ReferenceFill(source, *expected);
  for (const Variant& variant : kVariants) {
    auto actual = MakeSection(width, height);
    variant.resampler.Fill(source, *actual);
    ASSERT_EQ(PixelBytes(*actual), PixelBytes(*expected))
        << variant.name << ": " << source.Width() << " x " << source.Height() << " -> " << width << " x "
        << height;
    ASSERT_EQ(PaddingBytes(*actual), PaddingBytes(*expected)) << variant.name;
  }
}

std::unique_ptr<cDIBSection> RandomSource(std::mt19937& generator, int32_t width, int32_t height) {
  auto source = MakeSection(width, height);
  FillRandom(*source, generator);
  return source;
}

TEST(ResampleAgainstReference, RandomSizesEnlargingAndReducing) {
  std::mt19937 generator(20240611);
  std::uniform_int_distribution<int32_t> sourceSide(2, 120);
  std::uniform_int_distribution<int32_t> destSide(1, 260);
  for (int trial = 0; trial < 150; ++trial) {
    auto source = RandomSource(generator, sourceSide(generator), sourceSide(generator));
    ExpectSameAsReference(*source, destSide(generator), destSide(generator));
    if (HasFatalFailure()) return;
  }
}

TEST(ResampleAgainstReference, ScalesWithExactHalvesAndQuarters) {
  std::mt19937 generator(5);
  for (auto [sw, dw] : {std::pair{3, 4}, {5, 8}, {9, 16}, {3, 8}, {17, 4}, {2, 2}, {2, 1}, {9, 2}}) {
    auto source = RandomSource(generator, sw, sw + 1);
    ExpectSameAsReference(*source, dw, dw * 2);
    ExpectSameAsReference(*source, dw * 3, dw);
  }
}

TEST(ResampleAgainstReference, FarReductionSamplesFewColumns) {
  std::mt19937 generator(11);
  auto source = RandomSource(generator, 1203, 61);
  ExpectSameAsReference(*source, 37, 20);
  ExpectSameAsReference(*source, 1, 1);
  ExpectSameAsReference(*source, 500, 3);
}

TEST(ResampleAgainstReference, ReductionJustShortOfGathering) {
  // About four source columns per destination column: the blended run is still
  // contiguous but spreads too far for one permute window.
  std::mt19937 generator(17);
  auto source = RandomSource(generator, 400, 9);
  ExpectSameAsReference(*source, 101, 4);
  ExpectSameAsReference(*source, 133, 5);
}

TEST(ResampleAgainstReference, FarEnlargementWithWeightsFinerThanFixedPoint) {
  std::mt19937 generator(23);
  auto tiny = RandomSource(generator, 3, 2);
  ExpectSameAsReference(*tiny, 7, 3000);
  ExpectSameAsReference(*tiny, 3000, 3);
}

TEST(ResampleAgainstReference, LargePicturesSplitOverThreads) {
  std::mt19937 generator(3);
  auto wide = RandomSource(generator, 701, 503);
  ExpectSameAsReference(*wide, 523, 411);
  auto small = RandomSource(generator, 97, 61);
  ExpectSameAsReference(*small, 1001, 333);
  ExpectSameAsReference(*small, 333, 1001);
}

TEST(ResampleAgainstReference, OnePixelSourceFailsTheSameWay) {
  auto narrow = MakeSection(1, 6);
  auto flat = MakeSection(6, 1);
  for (const cDIBSection* source : {narrow.get(), flat.get()}) {
    auto dest = MakeSection(4, 4);
    EXPECT_EQ(ErrorOf([&] { ReferenceFill(*source, *dest); }), SubscriptOutOfRange);
    for (const Variant& variant : kVariants) {
      EXPECT_EQ(ErrorOf([&] { variant.resampler.Fill(*source, *dest); }), SubscriptOutOfRange)
          << variant.name;
    }
  }
}

}  // namespace
