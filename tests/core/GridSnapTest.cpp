#include "core/GridSnap.h"

#include <gtest/gtest.h>

namespace {

struct SnapCase {
  int32_t cell;
  int64_t start;
  int32_t size, extent;
  int32_t snapped;
};

class GridSnapStart : public testing::TestWithParam<SnapCase> {};

TEST_P(GridSnapStart, TakesTheNearestLineThatKeepsTheFrameInside) {
  const SnapCase c = GetParam();
  EXPECT_EQ(GridSnap(c.cell).Start(c.start, c.size, c.extent), c.snapped);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, GridSnapStart,
    testing::Values(SnapCase{16, 0, 256, 1000, 0}, SnapCase{16, 7, 256, 1000, 0},
                    SnapCase{16, 8, 256, 1000, 0}, SnapCase{16, 9, 256, 1000, 16},
                    SnapCase{16, 100, 256, 1000, 96}, SnapCase{16, 104, 256, 1000, 96},
                    SnapCase{16, 105, 256, 1000, 112}, SnapCase{5, 7, 10, 100, 5},
                    SnapCase{5, 8, 10, 100, 10}, SnapCase{64, 31, 1, 1000, 0}, SnapCase{64, 33, 1, 1000, 64},
                    // Before the picture and past its end: the frame stays inside, on a line.
                    SnapCase{16, -50, 256, 1000, 0}, SnapCase{16, 900, 256, 1000, 736},
                    SnapCase{16, 744, 256, 1000, 736}, SnapCase{32, 2000, 256, 1000, 736},
                    SnapCase{16, 3, 256, 270, 0}, SnapCase{16, 14, 256, 270, 0},
                    SnapCase{16, 100, 256, 256, 0}, SnapCase{8, int64_t{1} << 40, 8, 32767, 32752},
                    // Wider than the picture: the window's clamp, where no line could hold it.
                    SnapCase{16, 0, 128, 100, -28}, SnapCase{16, 40, 128, 100, -28}));

TEST(GridSnap, EveryStartOfAFittingFrameIsOnTheGridAndInside) {
  for (int32_t cell : {2, 3, 8, 16, 32, 64, 100}) {
    for (int32_t extent : {64, 97, 300}) {
      for (int32_t size : {1, 16, 33, 64}) {
        if (size > extent) continue;
        for (int64_t start = -70; start < extent + 70; ++start) {
          const int32_t snapped = GridSnap(cell).Start(start, size, extent);
          ASSERT_EQ(snapped % cell, 0) << cell << " " << extent << " " << size << " " << start;
          ASSERT_GE(snapped, 0);
          ASSERT_LE(snapped + size, extent);
        }
      }
    }
  }
}

struct StepCase {
  int32_t cell, start, cells, size, extent;
  int32_t moved;
};

class GridSnapStep : public testing::TestWithParam<StepCase> {};

TEST_P(GridSnapStep, MovesWholeCellsAndStopsAtTheEdges) {
  const StepCase c = GetParam();
  EXPECT_EQ(GridSnap(c.cell).Step(c.start, c.cells, c.size, c.extent), c.moved);
}

INSTANTIATE_TEST_SUITE_P(Cells, GridSnapStep,
                         testing::Values(StepCase{16, 32, 1, 64, 400, 48}, StepCase{16, 32, -1, 64, 400, 16},
                                         StepCase{16, 0, -1, 64, 400, 0}, StepCase{32, 320, 1, 64, 400, 320},
                                         StepCase{32, 288, 1, 64, 400, 320},
                                         StepCase{64, 0, 3, 16, 400, 192}));

struct ParseCase {
  const char* text;
  int32_t cell;
};

class GridSnapParse : public testing::TestWithParam<ParseCase> {};

TEST_P(GridSnapParse, TakesWholeSizesFromTwoTo4096) {
  EXPECT_EQ(GridSnap::Parse(GetParam().text), GetParam().cell);
}

INSTANTIATE_TEST_SUITE_P(Texts, GridSnapParse,
                         testing::Values(ParseCase{"16", 16}, ParseCase{"24", 24}, ParseCase{"2", 2},
                                         ParseCase{"4096", 4096}, ParseCase{"1", 0}, ParseCase{"4097", 0},
                                         ParseCase{"", 0}, ParseCase{"16px", 0}, ParseCase{" 16", 0},
                                         ParseCase{"-16", 0}));

}  // namespace
