// Tests of Variant: deep copies, equality and byte array packing.
#include "platform/variant.h"

#include <gtest/gtest.h>

namespace {

TEST(Variant, CopiesAreDeepAndEqualityComparesPayloadAndBounds) {
  Variant texts = Variant::Array(VT_BSTR, {Variant::Bstr(u"a"), Variant::Bstr(u"b")}, 0);
  Variant copy = texts;
  EXPECT_EQ(copy, texts);
  copy.parray()->elements[1] = Variant::Bstr(u"c");
  EXPECT_EQ(texts.parray()->elements[1].bstrVal(), u"b");
  EXPECT_NE(copy, texts);

  EXPECT_NE(Variant::Bytes({1, 2}, 0), Variant::Bytes({1, 2}, 1));
  EXPECT_NE(Variant::Bytes({1, 2}), Variant::Bytes({1, 2, 0}));
  EXPECT_NE(Variant::I2(1), Variant::Bool(true));  // same payload width, different type
  EXPECT_NE(Variant::R8(1.0), Variant::Date(1.0));
  EXPECT_EQ(Variant::Bool(true).boolVal(), VARIANT_TRUE);

  Variant assigned = Variant::I4(1);
  assigned = texts;
  const Variant& alias = assigned;
  assigned = alias;  // self-assignment keeps the value
  EXPECT_EQ(assigned, texts);
  assigned.Clear();
  EXPECT_TRUE(assigned.IsEmpty());
  EXPECT_EQ(assigned.parray(), nullptr);
  EXPECT_EQ(assigned, Variant());
}

TEST(Variant, ByteArraysAreAlwaysPacked) {
  const Variant fromElements = Variant::Array(VT_UI1, {Variant::UI1(0x12), Variant::UI1(0xFF)}, 2);
  EXPECT_EQ(fromElements.vt(), VT_ARRAY | VT_UI1);
  EXPECT_EQ(fromElements, Variant::Bytes({0x12, 0xFF}, 2));
  EXPECT_TRUE(fromElements.parray()->elements.empty());
  EXPECT_EQ(fromElements.parray()->Count(), 2u);
  EXPECT_EQ(Variant::Array(VT_BSTR, {Variant::Bstr(u"x")}).parray()->Count(), 1u);
}

}  // namespace
