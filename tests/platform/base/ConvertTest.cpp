#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "support/pure/ErrorOf.h"
#include "support/pure/TempDir.h"

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

// The window's toolkit switches the C library to the user's locale; numbers
// typed into the boxes still use a decimal point.
TEST(TextToInt32, IgnoresTheDecimalCommaOfTheUsersLocale) {
  TempDir dir;
  std::string command = "localedef -i de_DE -f UTF-8 " + (dir / "de_DE.UTF-8").string() + " 2>/dev/null";
  setenv("LOCPATH", dir.Path().c_str(), 1);
  bool haveLocale = std::system(command.c_str()) == 0 && std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  if (!haveLocale) {
    unsetenv("LOCPATH");
    GTEST_SKIP() << "no German locale could be made here";
  }
  int32_t half = convert::TextToInt32("75.5");
  int32_t small = convert::TextToInt32("0.6");
  int32_t exponent = convert::TextToInt32("1.5e3");
  bool numeric = convert::IsNumeric("12.5");
  std::setlocale(LC_NUMERIC, "C");
  unsetenv("LOCPATH");
  EXPECT_EQ(half, 76);
  EXPECT_EQ(small, 1);
  EXPECT_EQ(exponent, 1500);
  EXPECT_TRUE(numeric);
}

TEST(TextToInt32, HugeNumbersAreAnOverflowNotAFailureToRead) {
  EXPECT_EQ(ErrorOf([] { convert::TextToInt32("1e999"); }), Overflow);
  EXPECT_EQ(ErrorOf([] { convert::TextToInt32("-1e999"); }), Overflow);
  EXPECT_EQ(convert::TextToInt32("+7"), 7);
  EXPECT_EQ(convert::TextToInt32("1e-999"), 0);
}
