// UA Binary encoding round trips and the decoder's refusal of lengths it cannot hold.
#include <gtest/gtest.h>

#include "toolkit/opcua/ua_binary_reader.h"
#include "toolkit/opcua/ua_binary_writer.h"

namespace {
std::vector<std::uint8_t> Encode(const UaVariant& v) {
  std::vector<std::uint8_t> out;
  UaBinaryWriter(out).Variant(v);
  return out;
}

UaVariant Decode(const std::vector<std::uint8_t>& bytes) {
  UaBinaryReader r(bytes.data(), bytes.size());
  UaVariant v = r.Variant();
  EXPECT_EQ(r.Remaining(), 0u);
  return v;
}
}  // namespace

TEST(UaBinary, VariantsAndNodeIdsRoundTrip) {
  std::vector<UaVariant> values = {
      UaVariant::Boolean(true),
      UaVariant::Byte(200),
      UaVariant::Int16(-1234),
      UaVariant::Int32(-123456789),
      UaVariant::UInt32(4000000000u),
      UaVariant::Float(21.5f),
      UaVariant::Double(-0.125),
      UaVariant::String("Grüße"),
      UaVariant::ByteString(std::string("\0\x41", 2)),
      UaVariant::DateTime(133000000000000000LL),
      UaVariant::NodeId(UaNodeId::String(1, "Lights.1/0/1")),
      UaVariant::NodeId(UaNodeId::Numeric(0, 85)),
      UaVariant::NodeId(UaNodeId::Numeric(3, 70000)),
      UaVariant::QualifiedName({1, "Name"}),
      UaVariant::LocalizedText({"en", "Text"}),
      UaVariant::Array(UaType::String, {UaVariant::String("a"), UaVariant::String("")}),
      UaVariant{},
  };
  for (const UaVariant& v : values) EXPECT_TRUE(Decode(Encode(v)) == v);
  // Numeric ids take the smallest form: two bytes for ns 0 below 256.
  std::vector<std::uint8_t> out;
  UaBinaryWriter(out).NodeId(UaNodeId::Numeric(0, 85));
  EXPECT_EQ(out, (std::vector<std::uint8_t>{0x00, 85}));
}

TEST(UaBinary, DataValueKeepsOnlyItsPresentFields) {
  UaDataValue dv = UaDataValue::Of(UaVariant::Int16(5));
  dv.hasStatus = true;
  dv.status = ua_status::Uncertain;
  dv.hasSourceTimestamp = true;
  dv.sourceTimestamp = 42;
  std::vector<std::uint8_t> out;
  UaBinaryWriter(out).DataValue(dv);
  EXPECT_EQ(out[0], 0x07);
  UaBinaryReader r(out.data(), out.size());
  UaDataValue back = r.DataValue();
  EXPECT_TRUE(back.value == dv.value);
  EXPECT_EQ(back.status, ua_status::Uncertain);
  EXPECT_EQ(back.sourceTimestamp, 42);
  EXPECT_FALSE(back.hasServerTimestamp);
}

TEST(UaBinary, DataValuesOfEveryFixedSizeScalarMatchTheirFieldByFieldEncoding) {
  // Item values are encoded in one piece; the bytes must be those of the fields one by one.
  UaVariant sbyte;
  sbyte.type = UaType::SByte;
  sbyte.i = -3;
  UaVariant int64;
  int64.type = UaType::Int64;
  int64.i = -5000000000LL;
  UaVariant uint64;
  uint64.type = UaType::UInt64;
  uint64.u = 0x0102030405060708ull;
  const std::vector<UaVariant> values = {UaVariant::Boolean(true),
                                         UaVariant::Boolean(false),
                                         sbyte,
                                         UaVariant::Byte(200),
                                         UaVariant::Int16(-1234),
                                         UaVariant::UInt16(65000),
                                         UaVariant::Int32(-123456789),
                                         UaVariant::UInt32(4000000000u),
                                         int64,
                                         uint64,
                                         UaVariant::Float(-21.5f),
                                         UaVariant::Double(1e300),
                                         UaVariant::DateTime(133000000000000000LL),
                                         UaVariant::StatusCode(ua_status::BadNodeIdUnknown),
                                         UaVariant{}};
  for (const UaVariant& v : values) {
    for (int fields = 0; fields < 16; ++fields) {
      UaDataValue dv;
      dv.hasValue = (fields & 1) != 0;
      dv.value = v;
      dv.hasStatus = (fields & 2) != 0;
      dv.status = ua_status::Uncertain;
      dv.hasSourceTimestamp = (fields & 4) != 0;
      dv.sourceTimestamp = 0x1122334455667788LL;
      dv.hasServerTimestamp = (fields & 8) != 0;
      dv.serverTimestamp = -2;
      std::vector<std::uint8_t> whole, expected;
      UaBinaryWriter(whole).DataValue(dv);
      UaBinaryWriter e(expected);
      e.Byte(static_cast<std::uint8_t>(fields));
      if (dv.hasValue) e.Variant(v);
      if (dv.hasStatus) e.UInt32(dv.status);
      if (dv.hasSourceTimestamp) e.DateTime(dv.sourceTimestamp);
      if (dv.hasServerTimestamp) e.DateTime(dv.serverTimestamp);
      ASSERT_EQ(whole, expected) << "type " << static_cast<int>(v.type) << " fields " << fields;
    }
  }
}

TEST(UaBinary, RefusesLengthsBeyondTheDataAndDeepNesting) {
  // A string claiming 1000 bytes with 2 present.
  std::vector<std::uint8_t> shortString = {0xE8, 0x03, 0x00, 0x00, 'a', 'b'};
  UaBinaryReader s(shortString.data(), shortString.size());
  EXPECT_THROW(s.String(), UaDecodeError);
  // An array of 2^30 Int32s in a few bytes is refused before anything is allocated.
  std::vector<std::uint8_t> hugeArray = {0x86, 0x00, 0x00, 0x00, 0x40, 1, 2, 3, 4};
  EXPECT_THROW(Decode(hugeArray), UaDecodeError);
  // Lengths below -1 are invalid.
  std::vector<std::uint8_t> negative = {0xFE, 0xFF, 0xFF, 0xFF};
  UaBinaryReader n(negative.data(), negative.size());
  EXPECT_THROW(n.String(), UaDecodeError);
  // Variants nested in arrays of Variants stop at the depth limit instead of the stack's end.
  std::vector<std::uint8_t> nested;
  for (int k = 0; k < 100; ++k) {
    nested.insert(nested.end(), {0x98, 0x01, 0x00, 0x00, 0x00});
  }
  nested.push_back(0);
  try {
    Decode(nested);
    FAIL() << "nesting accepted";
  } catch (const UaDecodeError& e) {
    EXPECT_EQ(e.status, ua_status::BadEncodingLimitsExceeded);
  }
  // Unknown built-in types and NodeId encodings are refused.
  std::vector<std::uint8_t> badType = {0x3F};
  EXPECT_THROW(Decode(badType), UaDecodeError);
  std::vector<std::uint8_t> badNodeId = {0x07, 0x00};
  UaBinaryReader b(badNodeId.data(), badNodeId.size());
  EXPECT_THROW(b.NodeId(), UaDecodeError);
}

TEST(UaBinary, ReceivedFixedSizeArraysStayAsSmallAsTheirEncoding) {
  std::vector<std::uint8_t> encoded;
  UaBinaryWriter w(encoded);
  w.Byte(0x81);  // Boolean array
  w.Int32(100000);
  for (int k = 0; k < 100000; ++k) w.Byte(k % 3 == 0 ? 1 : 0);
  UaVariant v = Decode(encoded);
  ASSERT_TRUE(v.isArray);
  EXPECT_TRUE(v.elements.empty());
  EXPECT_EQ(v.packed.size(), 100000u);
  ASSERT_EQ(v.ArraySize(), 100000u);
  EXPECT_TRUE(v.Element(3) == UaVariant::Boolean(true));
  EXPECT_TRUE(v.Element(4) == UaVariant::Boolean(false));
  // Encoded again, it is the same bytes; it equals the same array built element by element.
  std::vector<std::uint8_t> again;
  UaBinaryWriter(again).Variant(v);
  EXPECT_EQ(again, encoded);
  std::vector<UaVariant> elements;
  for (int k = 0; k < 100000; ++k) elements.push_back(UaVariant::Boolean(k % 3 == 0));
  EXPECT_TRUE(v == UaVariant::Array(UaType::Boolean, std::move(elements)));
}
