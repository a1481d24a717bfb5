#include "core/PictureResizer.h"

#include <gtest/gtest.h>

#include "platform/base/AppError.h"

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

TEST(PictureResizer, APictureOnePixelAcrossCantBeBlendedToAnotherSize) {
  EXPECT_NO_THROW(PictureResizer::CheckBlendable(1, 5, 1, 5));
  EXPECT_NO_THROW(PictureResizer::CheckBlendable(2, 2, 9, 9));
  try {
    PictureResizer::CheckBlendable(5, 1, 4, 4);
    FAIL() << "no error";
  } catch (const platform::AppError& e) {
    EXPECT_EQ(e.Number(), platform::ErrorNumber::SubscriptOutOfRange);
    EXPECT_EQ(e.Description(),
              "A picture only 1 pixel high can't be resized: there is no second row to blend with");
  }
}
