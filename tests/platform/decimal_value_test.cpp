// DecimalValue: atoi's reading, saturation, and the wrapping digits-only reading.
#include "platform/decimal_value.h"

#include <gtest/gtest.h>

#include <limits>

TEST(DecimalValue, ReadsLikeAtoiAndSaturatesOrWrapsAsAsked) {
  EXPECT_EQ(DecimalValue(" \t-42x"), -42);
  EXPECT_EQ(DecimalValue("+7"), 7);
  EXPECT_EQ(DecimalValue("x1"), 0);
  EXPECT_EQ(DecimalValue(""), 0);
  EXPECT_EQ(DecimalValue("99999999999"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(DecimalValue("-99999999999"), std::numeric_limits<std::int32_t>::min());
  // Wrapping keeps the low bits: 2^32 + 5 reads as 5.
  EXPECT_EQ(DecimalValue("4294967301", {.wrap = true}), 5);
  EXPECT_EQ(DecimalValue("-3", {.wrap = true}), -3);
  // Digits only: a blank or a sign ends the number at once.
  EXPECT_EQ(DecimalValue(" 12", {.blanksAndSign = false}), 0);
  EXPECT_EQ(DecimalValue("-12", {.blanksAndSign = false}), 0);
  EXPECT_EQ(DecimalValue("12/3", {.blanksAndSign = false}), 12);
}
