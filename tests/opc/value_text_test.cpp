// Tests of the text forms of values, qualities and time stamps.
#include <gtest/gtest.h>

#include "opc/opc_server_callback.h"
#include "opc/value_text.h"
#include "project_fixture.h"

namespace {

TEST(ValueText, ScalarsByType) {
  EXPECT_EQ(ValueText(Variant::I2(-32768)), "-32768");
  EXPECT_EQ(ValueText(Variant::I4(70000)), "70000");
  EXPECT_EQ(ValueText(Variant::I4(-2147483647 - 1)), "-2147483648");
  EXPECT_EQ(ValueText(Variant::R4(21.5f)), "21.5000");
  EXPECT_EQ(ValueText(Variant::R4(-670760.96f)), "-670760.9375");
  EXPECT_EQ(ValueText(Variant::R8(1.23456)), "1.2346");
  EXPECT_EQ(ValueText(Variant::R8(1e300)).size(), 301u + 5u);
  EXPECT_EQ(ValueText(Variant::Bool(true)), "TRUE");
  EXPECT_EQ(ValueText(Variant::Bool(false)), "FALSE");
  EXPECT_EQ(ValueText(Variant::UI1(255)), "255");
  EXPECT_EQ(ValueText(Variant::UI1(65)), "65");
  // Types without a text form.
  EXPECT_EQ(ValueText(Variant()), "");
  EXPECT_EQ(ValueText(Variant::Null()), "");
  EXPECT_EQ(ValueText(Variant::Date(43000.5)), "");
  EXPECT_EQ(ValueText(Variant::UI4(7)), "");
  EXPECT_EQ(ValueText(Variant::Array(VT_BSTR, {Variant::Bstr(u"01.01.005")})), "");
}

TEST(ValueText, TextsAndByteArrays) {
  EXPECT_EQ(ValueText(Variant::Bstr(u"Mo 12:30:00")), "Mo 12:30:00");
  EXPECT_EQ(ValueText(Variant::Bstr(u"\u20ac \u00e4\U0001F600")), "\x80 \xe4?");
  const std::u16string longText(100, u'x');
  EXPECT_EQ(ValueText(Variant::Bstr(longText)), std::string(90, 'x'));
  EXPECT_EQ(ValueText(Variant::Bstr(std::u16string(u"ab\0cd", 5))), "ab");
  EXPECT_EQ(ValueText(Variant::Bytes({0x0c, 0x33, 0xff}, 1)), "0c 33 ff ");
  EXPECT_EQ(ValueText(Variant::Bytes({})), "");
}

TEST(ValueText, EisCharactersAreNamed) {
  struct Case {
    std::uint8_t c;
    const char* text;
  };
  for (const Case& k :
       {Case{0, "0 ( NUL )"}, Case{7, "7 ( BEL )"}, Case{10, "10 ( LF )"}, Case{13, "13 ( CR )"},
        Case{27, "27 ( ESC )"}, Case{31, "31 ( US )"}, Case{32, "32 ( SPACE )"},
        Case{33, "33 ( ! )"}, Case{65, "65 ( A )"}, Case{126, "126 ( ~ )"},
        Case{127, "127 ( DEL )"}, Case{128, "128 ( NUL )"}, Case{255, "255 ( NUL )"}})
    EXPECT_EQ(ValueText(Variant::UI1(k.c), true), k.text);

  // Only EIS 13 items show the names.
  OpcServerCallback server;
  TestProject project(server);
  project.character->m_value = Variant::UI1(72);
  project.counter->m_value = Variant::UI1(72);
  EXPECT_EQ(ItemValueText(*project.character), "72 ( H )");
  EXPECT_EQ(ItemValueText(*project.counter), "72");
}

TEST(ValueText, QualitiesAndTimes) {
  EXPECT_EQ(QualityText(0xC0), "GOOD ");
  EXPECT_EQ(QualityText(0xD8), "GOOD ");  // limit bits do not matter
  EXPECT_EQ(QualityText(0x40), "UNCERTAIN ");
  EXPECT_EQ(QualityText(0x00), "BAD ");
  EXPECT_EQ(QualityText(0x1C), "BAD ");
  EXPECT_EQ(QualityText(0x80), "UNKNOWN??");
  EXPECT_EQ(QualityText(0xFF00), "BAD ");  // only the low byte counts

  EXPECT_EQ(TimeText(SystemTimeToFileTime(SystemTime{.year = 2026,
                                                     .month = 12,
                                                     .day = 7,
                                                     .hour = 9,
                                                     .minute = 5,
                                                     .second = 3,
                                                     .milliseconds = 42})),
            "09:05:03.042");
  EXPECT_EQ(TimeText(SystemTimeToFileTime(SystemTime{.year = 1999,
                                                     .month = 1,
                                                     .day = 1,
                                                     .hour = 23,
                                                     .minute = 59,
                                                     .second = 59,
                                                     .milliseconds = 999})),
            "23:59:59.999");
}

}  // namespace
