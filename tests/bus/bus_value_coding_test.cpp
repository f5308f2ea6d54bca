// Encoding and decoding of group values for every EIS type, including refused data.
#include "bus/bus_value_coding.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/code_page.h"

namespace {

const DayNames kDays = {"",         "Monday", "Tuesday",  "Wednesday",
                        "Thursday", "Friday", "Saturday", "Sunday"};

EisCoding T(int eis, int subtype, int size, VARTYPE vt) {
  return {eis, subtype, size, vt};
}
const EisCoding kSwitch = T(1, 0, 1, VT_BOOL);
const EisCoding kDimControl = T(2, 2, 4, VT_UI1);
const EisCoding kDimValue = T(2, 3, 8, VT_UI1);
const EisCoding kTime = T(3, 0, 24, VT_BSTR);
const EisCoding kDate = T(4, 0, 24, VT_BSTR);
const EisCoding kValue = T(5, 0, 16, VT_R4);
const EisCoding kPercent = T(6, 1, 8, VT_UI1);
const EisCoding kDegree = T(6, 2, 8, VT_I2);
const EisCoding kPrioControl = T(8, 2, 2, VT_UI1);
const EisCoding kScalingControl = T(8, 0, 2, VT_UI1);
const EisCoding kFloat = T(9, 0, 32, VT_R4);
const EisCoding kCounter16 = T(10, 0, 16, VT_I2);
const EisCoding kCounter32 = T(11, 0, 32, VT_I4);
const EisCoding kAccess = T(12, 0, 32, VT_BSTR);
const EisCoding kString = T(15, 0, 112, VT_BSTR);
const EisCoding kUncertain2 = T(0, 0, 16, VT_ARRAY | VT_UI1);
const EisCoding kUnknown = T(0, 0, 112, VT_ARRAY | VT_UI1);

Variant Text(const char* ansi) {
  return Variant::Bstr(AnsiToUtf16(ansi));
}
Variant Data(std::vector<std::uint8_t> bytes) {
  return Variant::Bytes(std::move(bytes));
}

std::vector<std::uint8_t> Encoded(const EisCoding& t, const Variant& v) {
  const Variant out = EncodeBusValue(t, v, kDays);
  EXPECT_EQ(out.vt(), VT_ARRAY | VT_UI1);
  return out.parray() ? out.parray()->bytes : std::vector<std::uint8_t>{};
}

Variant Decoded(const EisCoding& t, std::vector<std::uint8_t> bytes) {
  Variant out = Variant::I4(12345);
  const bool ok = DecodeBusValue(t, Data(std::move(bytes)), kDays, out);
  EXPECT_EQ(ok, !out.IsEmpty());
  return out;
}

}  // namespace

TEST(BusValueCoding, ScalarTypesEncodeToScalars) {
  EXPECT_EQ(EncodeBusValue(kSwitch, Variant::Bool(true), kDays), Variant::UI1(1));
  EXPECT_EQ(EncodeBusValue(kSwitch, Variant::Bool(false), kDays), Variant::UI1(0));
  EXPECT_EQ(EncodeBusValue(kDimControl, Variant::UI1(0x1B), kDays), Variant::UI1(0x0B));
  EXPECT_EQ(EncodeBusValue(kPrioControl, Variant::UI1(0xFE), kDays), Variant::UI1(0x02));
  EXPECT_EQ(EncodeBusValue(kScalingControl, Variant::UI1(0x07), kDays), Variant::UI1(0x03));
  EXPECT_EQ(EncodeBusValue(kCounter16, Variant::I2(-1), kDays), Variant::I2(-1));
  EXPECT_EQ(EncodeBusValue(kCounter32, Variant::I4(70000), kDays), Variant::I4(70000));
  EXPECT_EQ(EncodeBusValue(T(13, 0, 8, VT_UI1), Variant::UI1(65), kDays), Variant::UI1(65));
  EXPECT_EQ(EncodeBusValue(T(16, 0, 8, VT_UI1), Variant::UI1(1), kDays), Variant());
}

TEST(BusValueCoding, PercentAndDegreeScaleAndClamp) {
  EXPECT_EQ(EncodeBusValue(kPercent, Variant::UI1(100), kDays), Variant::UI1(255));
  EXPECT_EQ(EncodeBusValue(kPercent, Variant::UI1(50), kDays), Variant::UI1(128));
  EXPECT_EQ(EncodeBusValue(kDimValue, Variant::UI1(0), kDays), Variant::UI1(0));
  // 150 % must not wrap to a small value.
  EXPECT_EQ(EncodeBusValue(kPercent, Variant::UI1(150), kDays), Variant::UI1(255));
  EXPECT_EQ(EncodeBusValue(kDegree, Variant::I2(360), kDays), Variant::UI1(255));
  EXPECT_EQ(EncodeBusValue(kDegree, Variant::I2(180), kDays), Variant::UI1(128));
  EXPECT_EQ(EncodeBusValue(kDegree, Variant::I2(720), kDays), Variant::UI1(255));
  EXPECT_EQ(EncodeBusValue(kDegree, Variant::I2(-90), kDays), Variant::UI1(0));
  EXPECT_EQ(Decoded(kPercent, {255}), Variant::UI1(100));
  EXPECT_EQ(Decoded(kDimValue, {128}), Variant::UI1(50));
  EXPECT_EQ(Decoded(kDegree, {255}), Variant::I2(360));
  EXPECT_EQ(Decoded(kDegree, {64}), Variant::I2(90));
}

TEST(BusValueCoding, ArrayTypesEncodeToTheirBytes) {
  EXPECT_EQ(Encoded(kValue, Variant::R4(21.5f)), (std::vector<std::uint8_t>{0x0C, 0x33}));
  EXPECT_EQ(Encoded(kFloat, Variant::R4(1.0f)), (std::vector<std::uint8_t>{0x3F, 0x80, 0, 0}));
  EXPECT_EQ(Encoded(kTime, Text("Tuesday 12:34:56")), (std::vector<std::uint8_t>{76, 34, 56}));
  EXPECT_EQ(Encoded(kDate, Text("01.03.2011")), (std::vector<std::uint8_t>{1, 3, 11}));
  EXPECT_EQ(Encoded(kAccess, Text("1234 E:1 P:0 D:1 C:0 I:15")),
            (std::vector<std::uint8_t>{0x00, 0x12, 0x34, 0xAF}));
  std::vector<std::uint8_t> abc(14, 0);
  abc[0] = 'A', abc[1] = 'B', abc[2] = 0xE4;  // ä in Windows-1252
  EXPECT_EQ(Encoded(kString, Text("AB\xE4")), abc);
  EXPECT_EQ(Encoded(kString, Text("0123456789ABCDEFGH")).size(), 14u);
  // Untyped items: exactly size/8 bytes, cut or padded with zeros.
  EXPECT_EQ(Encoded(kUncertain2, Data({1, 2, 3})), (std::vector<std::uint8_t>{1, 2}));
  EXPECT_EQ(Encoded(kUncertain2, Data({9})), (std::vector<std::uint8_t>{9, 0}));
  EXPECT_EQ(Encoded(kUnknown, Data({})).size(), 14u);
}

TEST(BusValueCoding, WrongValueTypesAreConvertedOrRefused) {
  EXPECT_EQ(EncodeBusValue(kSwitch, Variant::I4(5), kDays), Variant::UI1(1));
  EXPECT_EQ(Encoded(kValue, Text("21.5")), (std::vector<std::uint8_t>{0x0C, 0x33}));
  EXPECT_EQ(EncodeBusValue(kValue, Text("warm"), kDays), Variant());
  EXPECT_EQ(EncodeBusValue(kCounter16, Variant::I4(70000), kDays), Variant());
}

TEST(BusValueCoding, DecodesEveryType) {
  EXPECT_EQ(Decoded(kSwitch, {0x40}), Variant::Bool(true));
  EXPECT_EQ(Decoded(kSwitch, {0}), Variant::Bool(false));
  EXPECT_EQ(Decoded(kDimControl, {0xFB}), Variant::UI1(0x0B));
  EXPECT_EQ(Decoded(kPrioControl, {0xFF}), Variant::UI1(3));
  EXPECT_EQ(Decoded(kScalingControl, {0x06}), Variant::UI1(2));
  EXPECT_EQ(Decoded(kTime, {76, 34, 56}), Text("Tuesday 12:34:56"));
  EXPECT_EQ(Decoded(kDate, {1, 3, 89}), Text("01.03.2089"));
  EXPECT_EQ(Decoded(kDate, {1, 3, 90}), Text("01.03.1990"));
  EXPECT_EQ(Decoded(kValue, {0x8C, 0x00}), Variant::R4(-20.48f));
  EXPECT_EQ(Decoded(kFloat, {0xC1, 0x20, 0, 0}), Variant::R4(-10.0f));
  EXPECT_EQ(Decoded(kCounter16, {0xFF, 0xFE}), Variant::I2(-2));
  EXPECT_EQ(Decoded(kCounter32, {0x80, 0, 0, 1}), Variant::I4(INT32_MIN + 1));
  EXPECT_EQ(Decoded(kAccess, {0x00, 0x12, 0x34, 0xAF}), Text("001234 E:1 P:0 D:1 C:0 I:15"));
  EXPECT_EQ(Decoded(T(14, 0, 8, VT_UI1), {200}), Variant::UI1(200));
  EXPECT_EQ(Decoded(kString, {'H', 'i', 0, 'x', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), Text("Hi"));
  EXPECT_EQ(Decoded(kString, std::vector<std::uint8_t>(14, 'z')), Text("zzzzzzzzzzzzzz"));
  // An untyped item keeps the whole array, also when longer than its size.
  EXPECT_EQ(Decoded(kUncertain2, {1, 2, 3}), Data({1, 2, 3}));
  EXPECT_EQ(Decoded(kUnknown, {}), Data({}));
}

TEST(BusValueCoding, RefusesDataOfTheWrongTypeOrLength) {
  EXPECT_TRUE(Decoded(kUnknown, std::vector<std::uint8_t>(15, 1)).IsEmpty());
  EXPECT_TRUE(Decoded(kValue, {0x0C}).IsEmpty());
  EXPECT_TRUE(Decoded(kSwitch, {}).IsEmpty());
  EXPECT_TRUE(Decoded(kSwitch, {1, 0}).IsEmpty());
  EXPECT_TRUE(Decoded(kString, {'a', 'b'}).IsEmpty());
  EXPECT_TRUE(Decoded(kCounter32, {1, 2, 3}).IsEmpty());
  Variant out = Variant::I2(1);
  EXPECT_FALSE(DecodeBusValue(kSwitch, Variant::UI1(1), kDays, out));
  EXPECT_TRUE(out.IsEmpty());
}

TEST(BusValueCoding, ShortFormTypes) {
  EXPECT_TRUE(UsesShortForm(kSwitch));
  EXPECT_TRUE(UsesShortForm(kDimControl));
  EXPECT_TRUE(UsesShortForm(T(2, 1, 1, VT_BOOL)));
  EXPECT_TRUE(UsesShortForm(T(7, 0, 1, VT_BOOL)));
  EXPECT_TRUE(UsesShortForm(kPrioControl));
  EXPECT_TRUE(UsesShortForm(kScalingControl));
  EXPECT_FALSE(UsesShortForm(kDimValue));
  EXPECT_FALSE(UsesShortForm(kPercent));
  EXPECT_FALSE(UsesShortForm(kValue));
  EXPECT_FALSE(UsesShortForm(kUncertain2));
}
