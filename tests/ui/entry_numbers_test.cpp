// Tests of the number readers of the value dialogs: the whole-number checks of OK and the real
// number read while typing.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ui/entry_numbers.h"

namespace {

TEST(EntryNumbers, WholeNumbersTakeBlanksAndASignButNothingElse) {
  EXPECT_EQ(WholeNumber(" -12 "), -12);
  EXPECT_EQ(WholeNumber("+5"), 5);
  EXPECT_EQ(WholeNumber("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
  EXPECT_FALSE(WholeNumber("9223372036854775808"));
  for (const char* refused : {"", " ", "-", "1.5", "1e3", "12a", "0x10", "1 2"})
    EXPECT_FALSE(WholeNumber(refused)) << refused;

  EXPECT_EQ(UnsignedNumber(" 4294967295"), 4294967295u);
  EXPECT_FALSE(UnsignedNumber("4294967296"));
  EXPECT_FALSE(UnsignedNumber("-1"));
  EXPECT_FALSE(UnsignedNumber(" -0"));
}

TEST(EntryNumbers, LeadingRealReadsDecimalNotationOnly) {
  EXPECT_DOUBLE_EQ(LeadingReal(" 670760.96x"), 670760.96);
  EXPECT_DOUBLE_EQ(LeadingReal("-1e7"), -1e7);
  EXPECT_DOUBLE_EQ(LeadingReal("12,5"), 12.0);
  EXPECT_TRUE(std::isinf(LeadingReal("1e999")));
  EXPECT_DOUBLE_EQ(LeadingReal("1e-999"), 0.0);
  for (const char* none : {"", "-", "inf", "nan", "x1"})
    EXPECT_DOUBLE_EQ(LeadingReal(none), 0.0) << none;
  EXPECT_DOUBLE_EQ(LeadingReal("0x10"), 0.0);
}

}  // namespace
