#include <gtest/gtest.h>

#include "core/SelectionGeometry.h"
#include "platform/base/AppError.h"

TEST(SelectionGeometry, PointerAtTheOriginStartsTheBlockThere) {
  EXPECT_EQ(SelectionGeometry::Start(0, 128, 300.0f), 0);
}

TEST(SelectionGeometry, PointerOnTheLastPixelEndsTheBlockThere) {
  // A 300 x 200 picture, 128 x 128 block, pointer on column 299 and row 199.
  EXPECT_EQ(SelectionGeometry::Start(299, 128, 300.0f), 172);
  EXPECT_EQ(SelectionGeometry::Start(199, 128, 200.0f), 72);
}

TEST(SelectionGeometry, OddSizesCentreOnThePointerAndEvenOnesReachOneRowHigher) {
  EXPECT_EQ(SelectionGeometry::Start(100, 127, 500.0f), 37);  // rows 37..163
  EXPECT_EQ(SelectionGeometry::Start(100, 128, 500.0f), 36);  // rows 36..163
}

TEST(SelectionGeometry, ABlockLargerThanThePictureStartsBeforeIt) {
  EXPECT_EQ(SelectionGeometry::Start(50, 128, 100.0f), -28);
  EXPECT_EQ(SelectionGeometry::Start(0, 128, 100.0f), -28);
}

TEST(SelectionGeometry, FrameLiesOutsideTheBlockWithAGapOnTheFarSides) {
  gdi::Rect frame = SelectionGeometry::Frame(10, 20, 128, 64);
  EXPECT_EQ(frame, (gdi::Rect{9, 19, 140, 86}));
}

TEST(SelectionGeometry, ArithmeticBeyondThirtyTwoBitsIsAnOverflowError) {
  try {
    SelectionGeometry::Frame(INT32_MAX - 1, 0, 128, 128);
    FAIL() << "no error";
  } catch (const platform::AppError& e) {
    EXPECT_EQ(e.Number(), platform::ErrorNumber::Overflow);
  }
  EXPECT_THROW(SelectionGeometry::Start(INT32_MIN, 128, 10.0f), platform::AppError);
}
