// Tests of ChangeType: ranges, rounding, booleans, text in the C locale, dates and arrays.
#include "platform/change_type.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

namespace {

// Converts and returns the HRESULT; `out` gets the result.
HRESULT Convert(const Variant& in, VARTYPE vt, Variant& out) {
  return ChangeType(in, vt, out);
}

Variant Text(const char16_t* s) {
  return Variant::Bstr(s);
}

std::u16string AsText(const Variant& in) {
  Variant out;
  EXPECT_EQ(Convert(in, VT_BSTR, out), S_OK);
  return out.bstrVal();
}

TEST(ChangeType, IntegerBoundaries) {
  Variant out;
  struct Case {
    Variant in;
    VARTYPE vt;
    HRESULT hr;
  };
  const Case cases[] = {
      {Variant::I4(32767), VT_I2, S_OK},
      {Variant::I4(32768), VT_I2, DISP_E_OVERFLOW},
      {Variant::I4(-32768), VT_I2, S_OK},
      {Variant::I4(-32769), VT_I2, DISP_E_OVERFLOW},
      {Variant::UI4(32768), VT_I2, DISP_E_OVERFLOW},
      {Variant::I2(255), VT_UI1, S_OK},
      {Variant::I2(256), VT_UI1, DISP_E_OVERFLOW},
      {Variant::I2(-1), VT_UI1, DISP_E_OVERFLOW},
      {Variant::I4(-1), VT_UI4, DISP_E_OVERFLOW},
      {Variant::UI4(2147483647u), VT_I4, S_OK},
      {Variant::UI4(2147483648u), VT_I4, DISP_E_OVERFLOW},
      {Variant::R8(2147483647.0), VT_I4, S_OK},
      {Variant::R8(-2147483648.0), VT_I4, S_OK},
      {Variant::R8(-2147483649.0), VT_I4, DISP_E_OVERFLOW},
      {Variant::R8(4294967295.0), VT_UI4, S_OK},
      {Variant::R8(4294967296.0), VT_UI4, DISP_E_OVERFLOW},
      // Rounding decides: 32767.5 rounds to the even 32768, -32768.5 to -32768.
      {Variant::R8(32767.5), VT_I2, DISP_E_OVERFLOW},
      {Variant::R8(-32768.5), VT_I2, S_OK},
      {Variant::R8(255.5), VT_UI1, DISP_E_OVERFLOW},
      {Variant::R8(-0.5), VT_UI1, S_OK},
      {Variant::R8(-0.51), VT_UI1, DISP_E_OVERFLOW},
      {Variant::R8(1e300), VT_R4, DISP_E_OVERFLOW},
      {Variant::R8(-1e300), VT_R4, DISP_E_OVERFLOW},
      {Variant::R8(3.0e38), VT_R4, S_OK},
      {Variant::R8(std::nan("")), VT_I4, DISP_E_OVERFLOW},
      {Text(u"40000"), VT_I2, DISP_E_OVERFLOW},
      {Text(u"1e400"), VT_R8, DISP_E_OVERFLOW},
      {Text(u"-256"), VT_UI1, DISP_E_OVERFLOW},
      {Text(u"4294967295"), VT_UI4, S_OK},
  };
  for (const Case& c : cases) {
    Variant in = c.in;
    EXPECT_EQ(Convert(in, c.vt, out), c.hr) << "vt " << in.vt() << " -> " << c.vt;
  }
  // A failed conversion leaves the output as it was.
  out = Variant::I2(7);
  ASSERT_EQ(Convert(Variant::I4(70000), VT_I2, out), DISP_E_OVERFLOW);
  EXPECT_EQ(out, Variant::I2(7));
  ASSERT_EQ(Convert(Text(u"4294967295"), VT_UI4, out), S_OK);
  EXPECT_EQ(out.ulVal(), 4294967295u);
}

TEST(ChangeType, RealsRoundHalfToEven) {
  const std::pair<double, int> cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0},
                                          {1.5, 2}, {2.4, 2}, {2.6, 3},   {-2.6, -3}, {-0.4, 0}};
  Variant out;
  for (auto [in, expected] : cases) {
    ASSERT_EQ(Convert(Variant::R8(in), VT_I4, out), S_OK);
    EXPECT_EQ(out.lVal(), expected) << in;
    ASSERT_EQ(Convert(Variant::R4(static_cast<float>(in)), VT_I2, out), S_OK);
    EXPECT_EQ(out.iVal(), expected) << in;
  }
  ASSERT_EQ(Convert(Text(u" 2.5 "), VT_I2, out), S_OK);
  EXPECT_EQ(out.iVal(), 2);
  ASSERT_EQ(Convert(Variant::Date(45000.5), VT_I4, out), S_OK);
  EXPECT_EQ(out.lVal(), 45000);
}

TEST(ChangeType, Booleans) {
  Variant out;
  // From numbers: any non-zero value is VARIANT_TRUE.
  for (const Variant& in : {Variant::I2(1), Variant::I4(-7), Variant::R8(0.001), Variant::UI1(2),
                            Variant::UI4(0x80000000u), Variant::R4(-0.5f)}) {
    ASSERT_EQ(Convert(in, VT_BOOL, out), S_OK);
    EXPECT_EQ(out.boolVal(), VARIANT_TRUE);
  }
  ASSERT_EQ(Convert(Variant::R8(0.0), VT_BOOL, out), S_OK);
  EXPECT_EQ(out.boolVal(), VARIANT_FALSE);
  // To numbers: -1, seen as 255 and 0xFFFFFFFF by the unsigned types.
  ASSERT_EQ(Convert(Variant::Bool(true), VT_I2, out), S_OK);
  EXPECT_EQ(out.iVal(), -1);
  ASSERT_EQ(Convert(Variant::Bool(true), VT_I4, out), S_OK);
  EXPECT_EQ(out.lVal(), -1);
  ASSERT_EQ(Convert(Variant::Bool(true), VT_R4, out), S_OK);
  EXPECT_EQ(out.fltVal(), -1.0f);
  ASSERT_EQ(Convert(Variant::Bool(true), VT_UI1, out), S_OK);
  EXPECT_EQ(out.bVal(), 255);
  ASSERT_EQ(Convert(Variant::Bool(true), VT_UI4, out), S_OK);
  EXPECT_EQ(out.ulVal(), 0xFFFFFFFFu);
  ASSERT_EQ(Convert(Variant::Bool(false), VT_UI1, out), S_OK);
  EXPECT_EQ(out.bVal(), 0);
  // Without VARIANT_ALPHABOOL a boolean becomes "-1"/"0".
  EXPECT_EQ(AsText(Variant::Bool(true)), u"-1");
  EXPECT_EQ(AsText(Variant::Bool(false)), u"0");
  // From text: the words in any case, the VB literals, numbers.
  const std::pair<const char16_t*, bool> texts[] = {
      {u"True", true}, {u"FALSE", false}, {u" true ", true}, {u"#TRUE#", true}, {u"#FALSE#", false},
      {u"0", false},   {u"-1", true},     {u"0.0", false},   {u"2.5", true}};
  for (auto [text, expected] : texts) {
    ASSERT_EQ(Convert(Text(text), VT_BOOL, out), S_OK);
    EXPECT_EQ(out.boolVal(), expected ? VARIANT_TRUE : VARIANT_FALSE);
  }
  for (const char16_t* bad : {u"", u"yes", u"Tru", u"truely", u"#true#"})
    EXPECT_EQ(Convert(Text(bad), VT_BOOL, out), DISP_E_TYPEMISMATCH);
}

TEST(ChangeType, TextThatIsNoNumber) {
  Variant out = Variant::I4(5);
  for (const char16_t* bad : {u"", u"   ", u"abc", u"12abc", u"1,5", u"1.2.3", u"--1", u"+", u".",
                              u"1e", u"1e+", u"0x10", u"inf", u"nan", u"1 2", u"\u00b2"}) {
    for (VARTYPE vt : {VT_I2, VT_I4, VT_R4, VT_R8, VT_UI1, VT_UI4})
      EXPECT_EQ(Convert(Text(bad), vt, out), DISP_E_TYPEMISMATCH);
  }
  EXPECT_EQ(out, Variant::I4(5));
  ASSERT_EQ(Convert(Text(u"\t+1.5e2\n"), VT_R8, out), S_OK);
  EXPECT_EQ(out.dblVal(), 150.0);
  ASSERT_EQ(Convert(Text(u".5"), VT_R4, out), S_OK);
  EXPECT_EQ(out.fltVal(), 0.5f);
  ASSERT_EQ(Convert(Text(u"7."), VT_UI1, out), S_OK);
  EXPECT_EQ(out.bVal(), 7);
  ASSERT_EQ(Convert(Text(u"1e-400"), VT_R8, out), S_OK);  // underflow is zero, not an error
  EXPECT_EQ(out.dblVal(), 0.0);
}

TEST(ChangeType, TextInTheCLocaleWhateverTheUserLocale) {
  // A user locale with a decimal comma must not change how numbers are read or written.
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  // Where no such locale is installed the checks run in the current one.
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  EXPECT_EQ(AsText(Variant::R4(21.5f)), u"21.5");
  EXPECT_EQ(AsText(Variant::R4(0.1f)), u"0.1");
  EXPECT_EQ(AsText(Variant::R4(1234567.0f)), u"1234567");
  EXPECT_EQ(AsText(Variant::R4(12345678.0f)), u"1.234568E+07");
  EXPECT_EQ(AsText(Variant::R8(0.1)), u"0.1");
  EXPECT_EQ(AsText(Variant::R8(1.0 / 3.0)), u"0.333333333333333");
  EXPECT_EQ(AsText(Variant::R8(123456789012345678.0)), u"1.23456789012346E+17");
  EXPECT_EQ(AsText(Variant::R8(1e-5)), u"1E-05");
  EXPECT_EQ(AsText(Variant::R8(-0.0)), u"0");
  EXPECT_EQ(AsText(Variant::I2(-32768)), u"-32768");
  EXPECT_EQ(AsText(Variant::I4(-2147483647 - 1)), u"-2147483648");
  EXPECT_EQ(AsText(Variant::UI1(255)), u"255");
  EXPECT_EQ(AsText(Variant::UI4(4294967295u)), u"4294967295");
  EXPECT_EQ(AsText(Variant()), u"");
  Variant out;
  ASSERT_EQ(Convert(Text(u"21.5"), VT_R8, out), S_OK);
  EXPECT_EQ(out.dblVal(), 21.5);
  // Round trips: R8 with 15 digits, R4 with 7.
  for (double d : {21.5, -0.000123456789012345, 98765.4321, 1e100}) {
    ASSERT_EQ(Convert(Text(AsText(Variant::R8(d)).c_str()), VT_R8, out), S_OK);
    EXPECT_DOUBLE_EQ(out.dblVal(), d);
  }
  for (float f : {21.5f, 0.3f, -1234.567f, 3.0e38f}) {
    ASSERT_EQ(Convert(Text(AsText(Variant::R4(f)).c_str()), VT_R4, out), S_OK);
    EXPECT_FLOAT_EQ(out.fltVal(), f);
  }
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(ChangeType, EmptyNullAndIdentity) {
  Variant out;
  ASSERT_EQ(Convert(Variant(), VT_I2, out), S_OK);
  EXPECT_EQ(out, Variant::I2(0));
  ASSERT_EQ(Convert(Variant(), VT_BOOL, out), S_OK);
  EXPECT_EQ(out, Variant::Bool(false));
  ASSERT_EQ(Convert(Variant(), VT_BSTR, out), S_OK);
  EXPECT_EQ(out, Variant::Bstr(u""));
  ASSERT_EQ(Convert(Variant::I4(3), VT_EMPTY, out), S_OK);
  EXPECT_TRUE(out.IsEmpty());
  EXPECT_EQ(Convert(Variant::Null(), VT_I4, out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Convert(Variant::Null(), VT_EMPTY, out), DISP_E_TYPEMISMATCH);
  ASSERT_EQ(Convert(Variant::Bstr(u"x"), VT_BSTR, out), S_OK);
  EXPECT_EQ(out.bstrVal(), u"x");
  EXPECT_EQ(Convert(Variant::I4(1), 99, out), DISP_E_BADVARTYPE);
  EXPECT_EQ(Convert(Variant::I4(1), VT_ARRAY | VT_EMPTY, out), DISP_E_BADVARTYPE);
  // Converting a variant into itself works.
  Variant self = Variant::Bstr(u"42");
  ASSERT_EQ(Convert(self, VT_I2, self), S_OK);
  EXPECT_EQ(self, Variant::I2(42));
}

TEST(ChangeType, Arrays) {
  const Variant bytes = Variant::Bytes({1, 2, 3}, 1);
  const Variant texts = Variant::Array(VT_BSTR, {Variant::Bstr(u"a"), Variant::Bstr(u"b")});
  Variant out;
  ASSERT_EQ(Convert(bytes, VT_ARRAY | VT_UI1, out), S_OK);
  EXPECT_EQ(out, bytes);
  EXPECT_NE(out.parray(), bytes.parray());  // a deep copy
  ASSERT_EQ(Convert(texts, VT_ARRAY | VT_BSTR, out), S_OK);
  EXPECT_EQ(out, texts);
  EXPECT_EQ(Convert(bytes, VT_ARRAY | VT_BSTR, out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Convert(bytes, VT_BSTR, out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Convert(bytes, VT_I4, out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Convert(Variant::Bstr(u"abc"), VT_ARRAY | VT_UI1, out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Convert(Variant::UI1(1), VT_ARRAY | VT_UI1, out), DISP_E_TYPEMISMATCH);
}

TEST(ChangeType, Dates) {
  Variant out;
  EXPECT_EQ(AsText(Variant::Date(36526.5)), u"2000-01-01 12:00:00");
  EXPECT_EQ(AsText(Variant::Date(36526.0)), u"2000-01-01");
  EXPECT_EQ(AsText(Variant::Date(0.75)), u"18:00:00");
  EXPECT_EQ(AsText(Variant::Date(-1.25)), u"1899-12-29 06:00:00");
  ASSERT_EQ(Convert(Text(u" 2000-01-01 12:00:00 "), VT_DATE, out), S_OK);
  EXPECT_EQ(out, Variant::Date(36526.5));
  ASSERT_EQ(Convert(Text(u"1899-12-29T06:00"), VT_DATE, out), S_OK);
  EXPECT_EQ(out.date(), -1.25);
  ASSERT_EQ(Convert(Text(u"18:00"), VT_DATE, out), S_OK);
  EXPECT_EQ(out.date(), 0.75);
  for (const char16_t* bad : {u"2000-02-30", u"2000-13-01", u"25:00", u"12:60", u"2000-01-01 x",
                              u"99-01-01", u"36526", u"12"})
    EXPECT_EQ(Convert(Text(bad), VT_DATE, out), DISP_E_TYPEMISMATCH) << std::string(bad, bad + 5);
  // Numbers are days; the range is 0100-01-01 to 9999-12-31.
  ASSERT_EQ(Convert(Variant::I4(2958465), VT_DATE, out), S_OK);
  EXPECT_EQ(AsText(out), u"9999-12-31");
  EXPECT_EQ(Convert(Variant::I4(2958466), VT_DATE, out), DISP_E_OVERFLOW);
  ASSERT_EQ(Convert(Variant::R8(-657434.0), VT_DATE, out), S_OK);
  EXPECT_EQ(AsText(out), u"0100-01-01");
  EXPECT_EQ(Convert(Variant::R8(-657435.0), VT_DATE, out), DISP_E_OVERFLOW);
  ASSERT_EQ(Convert(Variant::Bool(true), VT_DATE, out), S_OK);
  EXPECT_EQ(out.date(), -1.0);
}

}  // namespace
