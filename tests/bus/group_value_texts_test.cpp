// Time, date and access-control texts to bytes and back.
#include "bus/group_value_texts.h"

#include <gtest/gtest.h>

namespace {
const DayNames kDays = {"---",      "Monday", "Tuesday",  "Wednesday",
                        "Thursday", "Friday", "Saturday", "Sunday"};
}

TEST(GroupValueTexts, TimeWithAndWithoutDay) {
  const std::uint8_t wed[3] = {3 * 32 + 14, 5, 9};
  EXPECT_EQ(FormatTimeText(wed, kDays), "Wednesday 14:05:09");
  EXPECT_EQ(ParseTimeText("Wednesday 14:05:09", kDays), (std::array<std::uint8_t, 3>{110, 5, 9}));
  EXPECT_EQ(ParseTimeText("wEDNESDAY 14:05:09", kDays)[0], 110);
  // No day name: the whole text is the clock.
  EXPECT_EQ(ParseTimeText("12:34:56", kDays), (std::array<std::uint8_t, 3>{12, 34, 56}));
  const std::uint8_t noDay[3] = {12, 34, 56};
  EXPECT_EQ(ParseTimeText(FormatTimeText(noDay, kDays), kDays),
            (std::array<std::uint8_t, 3>{12, 34, 56}));
  // An unknown day word gives day 0; numbers are masked to their fields.
  EXPECT_EQ(ParseTimeText("Someday 45:70:99", kDays),
            (std::array<std::uint8_t, 3>{45 & 0x1F, 70 & 0x3F, 99 & 0x3F}));
  EXPECT_EQ(ParseTimeText("", kDays), (std::array<std::uint8_t, 3>{0, 0, 0}));
}

TEST(GroupValueTexts, DateCentury) {
  const std::uint8_t y89[3] = {1, 3, 89}, y90[3] = {31, 12, 90};
  EXPECT_EQ(FormatDateText(y89), "01.03.2089");
  EXPECT_EQ(FormatDateText(y90), "31.12.1990");
  EXPECT_EQ(ParseDateText("01.03.2011"), (std::array<std::uint8_t, 3>{1, 3, 11}));
  EXPECT_EQ(ParseDateText("31.12.1990"), (std::array<std::uint8_t, 3>{31, 12, 90}));
  EXPECT_EQ(ParseDateText("01.03.89"), (std::array<std::uint8_t, 3>{1, 3, (89 - 1900) & 0xFF}));
  // Without separators the missing month and year read as 0.
  EXPECT_EQ(ParseDateText("15"), (std::array<std::uint8_t, 3>{15, 0, (0 - 1900) & 0xFF}));
}

TEST(GroupValueTexts, AccessControl) {
  EXPECT_EQ(ParseAccessText("1234 E:1 P:0 D:1 C:0 I:15"),
            (std::array<std::uint8_t, 4>{0x00, 0x12, 0x34, 0xAF}));
  const std::uint8_t bytes[4] = {0x00, 0x12, 0x34, 0xAF};
  EXPECT_EQ(FormatAccessText(bytes), "001234 E:1 P:0 D:1 C:0 I:15");
  EXPECT_EQ(ParseAccessText(FormatAccessText(bytes)),
            (std::array<std::uint8_t, 4>{0x00, 0x12, 0x34, 0xAF}));
  // Missing tags read as 0; characters beyond the sixth code digit are ignored.
  EXPECT_EQ(ParseAccessText("98765432 P:1"), (std::array<std::uint8_t, 4>{0x98, 0x76, 0x54, 0x40}));
  EXPECT_EQ(ParseAccessText(""), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(ParseAccessText("E:"), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}
