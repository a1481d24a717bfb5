#include "app/ZoomSteps.h"

#include <gtest/gtest.h>

struct StepCase {
  double from;
  double lowest;
  double in;
  double out;
};

class ZoomStepsTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(ZoomStepsTest, StepsGoToTheNextLevelAndNeverBelowTheWholePicture) {
  const StepCase& c = GetParam();
  EXPECT_DOUBLE_EQ(ZoomSteps::In(c.from), c.in);
  EXPECT_DOUBLE_EQ(ZoomSteps::Out(c.from, c.lowest), c.out);
}

INSTANTIATE_TEST_SUITE_P(Levels, ZoomStepsTest,
                         ::testing::Values(StepCase{1.0, 0.1, 1.5, 2.0 / 3},
                                           StepCase{0.5, 0.1, 2.0 / 3, 1.0 / 3},
                                           StepCase{0.2, 0.18, 0.25, 0.18}, StepCase{0.18, 0.18, 0.25, 0.18},
                                           StepCase{0.0857, 0.0857, 0.125, 0.0857},
                                           StepCase{16.0, 0.1, 16.0, 12.0}));

TEST(ZoomSteps, TheLevelReadsInWholePercentsAndATenthBelowTen) {
  EXPECT_EQ(ZoomSteps::Format(1.0), "100 %");
  EXPECT_EQ(ZoomSteps::Format(2.0 / 3), "67 %");
  EXPECT_EQ(ZoomSteps::Format(0.0857), "8.6 %");
}
