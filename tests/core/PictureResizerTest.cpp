#include "core/PictureResizer.h"

#include <gtest/gtest.h>

namespace {

struct ProportionCase {
  int32_t side, typed, otherSide;
  std::optional<int32_t> result;
};

class PictureResizerProportion : public testing::TestWithParam<ProportionCase> {};

}  // namespace

// A 400 x 300 picture: the other side follows the typed one, truncated toward zero.
TEST_P(PictureResizerProportion, KeepsTheProportionsInChecked32BitArithmetic) {
  const ProportionCase c = GetParam();
  EXPECT_EQ(PictureResizer::Proportional(c.side, c.typed, c.otherSide), c.result);
}

INSTANTIATE_TEST_SUITE_P(Sides, PictureResizerProportion,
                         testing::Values(ProportionCase{400, 150, 300, 200},
                                         ProportionCase{300, 100, 400, 75},
                                         ProportionCase{400, 100, 300, 133},
                                         ProportionCase{400, 200, 300, 266},
                                         ProportionCase{300, 150, 400, 112}, ProportionCase{400, -3, 300, -4},
                                         ProportionCase{400, 10000000, 300, std::nullopt},
                                         ProportionCase{400, 100, 0, std::nullopt}));
