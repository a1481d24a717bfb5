#include <gtest/gtest.h>

#include "support/pure/ErrorOf.h"

#include "platform/base/AppError.h"
#include "platform/base/Checked.h"
#include "platform/base/Convert.h"

using platform::ErrorNumber::Overflow;
using platform::ErrorNumber::TypeMismatch;

TEST(IsNumeric, AcceptsSignDigitsOnePointAndExponentWithinOuterBlanks) {
  for (const char* text : {"128", " 240 ", "-5", "+5", "12.5", ".5", "5.", "1e3", "1E+3", "2.5e-1", "1d2"}) {
    EXPECT_TRUE(convert::IsNumeric(text)) << text;
  }
  for (const char* text : {"", " ", "abc", "1 2", "1.2.3", "e5", "1e", "1e+", "-", ".", "12a", "0x10"}) {
    EXPECT_FALSE(convert::IsNumeric(text)) << text;
  }
}

TEST(TextToInt32, RoundsHalfToEven) {
  EXPECT_EQ(convert::TextToInt32("12.5"), 12);
  EXPECT_EQ(convert::TextToInt32("74.5"), 74);
  EXPECT_EQ(convert::TextToInt32("75.5"), 76);
  EXPECT_EQ(convert::TextToInt32("-2.5"), -2);
  EXPECT_EQ(convert::TextToInt32("12.51"), 13);
  EXPECT_EQ(convert::TextToInt32(" 1e2 "), 100);
}

TEST(TextToInt32, FailsOnNonNumbersAndOutsideThirtyTwoBits) {
  EXPECT_EQ(ErrorOf([] { convert::TextToInt32("abc"); }), TypeMismatch);
  EXPECT_EQ(ErrorOf([] { convert::TextToInt32(""); }), TypeMismatch);
  EXPECT_EQ(convert::TextToInt32("2147483647"), INT32_MAX);
  EXPECT_EQ(convert::TextToInt32("-2147483648"), INT32_MIN);
  // Ties to even decide at the edges too.
  EXPECT_EQ(convert::TextToInt32("-2147483648.5"), INT32_MIN);
  EXPECT_EQ(ErrorOf([] { convert::TextToInt32("2147483647.5"); }), Overflow);
  EXPECT_EQ(ErrorOf([] { convert::TextToInt32("2147483648"); }), Overflow);
  EXPECT_EQ(ErrorOf([] { convert::TextToInt32("-2147483649"); }), Overflow);
  EXPECT_EQ(ErrorOf([] { convert::TextToInt32("1e400"); }), Overflow);
}

TEST(Checked, FailsWithOverflowInsteadOfWrapping) {
  EXPECT_EQ(checked::Add(INT32_MAX - 1, 1), INT32_MAX);
  EXPECT_EQ(ErrorOf([] { checked::Add(INT32_MAX, 1); }), Overflow);
  EXPECT_EQ(ErrorOf([] { checked::Sub(INT32_MIN, 1); }), Overflow);
  EXPECT_EQ(ErrorOf([] { checked::Mul(65536, 32768); }), Overflow);
  EXPECT_EQ(ErrorOf([] { checked::Div(INT32_MIN, -1); }), Overflow);
  EXPECT_EQ(checked::Div(-7, 2), -3);
  EXPECT_EQ(checked::ToInt16(32767), 32767);
  EXPECT_EQ(ErrorOf([] { checked::ToInt16(32768); }), Overflow);
}
