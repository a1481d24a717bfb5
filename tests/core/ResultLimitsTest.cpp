#include "core/ResultLimits.h"

#include <gtest/gtest.h>

#include "formats/PictureLimits.h"

namespace {

struct SizeCase {
  int64_t width, height;
  bool fits;
};

class ResultLimitsSizes : public testing::TestWithParam<SizeCase> {};

}  // namespace

TEST_P(ResultLimitsSizes, EachSideUpToTheTargaLimitWithinThePictureLimit) {
  EXPECT_EQ(ResultLimits::Fits(GetParam().width, GetParam().height), GetParam().fits);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ResultLimitsSizes,
                         testing::Values(SizeCase{1, 1, true}, SizeCase{32767, 4577, true},
                                         SizeCase{32767, 4578, false}, SizeCase{32768, 1, false},
                                         SizeCase{1, 32768, false}, SizeCase{0, 128, false},
                                         SizeCase{128, -1, false}));
