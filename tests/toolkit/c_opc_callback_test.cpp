// Tests of the toolkit's own callback operations over a small fake of the served system.
#include "toolkit/c_opc_callback.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Knows the items "a" (VT_I2, read-only) and "b"; refuses writes of texts.
class FakeCallback : public COPCCallback {
 public:
  HRESULT ValidateTag(CTag* record, const char* itemId, const char*, int) override {
    const std::string id = itemId;
    if (id != "a" && id != "b") return OPC_E_UNKNOWNITEMID;
    record->m_nativeDataType = id == "a" ? VT_I2 : VT_R4;
    record->m_accessRights = id == "a" ? OPC_READABLE : OPC_READABLE | OPC_WRITEABLE;
    return S_OK;
  }

  HRESULT WriteTag(CTag* tag, const Variant& value) override {
    written.emplace_back(tag, value);
    return value.vt() == VT_BSTR ? DISP_E_TYPEMISMATCH : S_OK;
  }

  std::vector<std::pair<CTag*, Variant>> written;
};

}  // namespace

TEST(COPCCallback, ReadCopiesTheTagStateAndReportsEachTag) {
  FakeCallback callback;
  CTag first, second;
  first.m_value = Variant::I2(-7);
  first.m_quality = OPC_QUALITY_GOOD;
  first.m_timestamp = FileTime{123456789};
  second.m_value = Variant::Bstr(u"text");
  second.m_quality = OPC_QUALITY_BAD;
  second.m_timestamp = FileTime{42};

  CTag* tags[] = {&first, nullptr, &second};
  Variant values[3];
  std::uint16_t qualities[3] = {};
  FileTime times[3];
  HRESULT errors[3] = {};
  EXPECT_EQ(callback.Read(3, tags, values, qualities, times, errors), S_FALSE);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], E_INVALIDARG);
  EXPECT_EQ(errors[2], S_OK);
  EXPECT_EQ(values[0], Variant::I2(-7));
  EXPECT_EQ(qualities[0], OPC_QUALITY_GOOD);
  EXPECT_EQ(times[0], FileTime{123456789});
  EXPECT_EQ(values[2], Variant::Bstr(u"text"));
  EXPECT_EQ(qualities[2], OPC_QUALITY_BAD);
  EXPECT_EQ(times[2], FileTime{42});

  // The copies are the client's: changing the tag afterwards leaves them alone.
  first.m_value = Variant::I2(1);
  EXPECT_EQ(values[0], Variant::I2(-7));

  CTag* one[] = {&first};
  EXPECT_EQ(callback.Read(1, one, values, qualities, times, errors), S_OK);
  EXPECT_EQ(callback.Read(1, one, nullptr, qualities, times, errors), E_INVALIDARG);
}

TEST(COPCCallback, WriteHandsEachValueToWriteTag) {
  FakeCallback callback;
  CTag first, second;
  CTag* tags[] = {&first, &second, nullptr};
  const Variant values[] = {Variant::R4(21.5f), Variant::Bstr(u"x"), Variant::I2(1)};
  HRESULT errors[3] = {};
  EXPECT_EQ(callback.Write(3, tags, values, errors), S_FALSE);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], DISP_E_TYPEMISMATCH);
  EXPECT_EQ(errors[2], E_INVALIDARG);
  ASSERT_EQ(callback.written.size(), 2u);
  EXPECT_EQ(callback.written[0].first, &first);
  EXPECT_EQ(callback.written[0].second, Variant::R4(21.5f));
  EXPECT_EQ(callback.written[1].first, &second);

  CTag* one[] = {&first};
  EXPECT_EQ(callback.Write(1, one, values, errors), S_OK);
}

TEST(COPCCallback, LookupValidatesEveryItemId) {
  FakeCallback callback;
  const char* ids[] = {"a", "nope", "b", nullptr};
  HRESULT errors[4] = {};
  EXPECT_EQ(callback.LookupItemIDs(4, ids, errors), S_FALSE);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], OPC_E_UNKNOWNITEMID);
  EXPECT_EQ(errors[2], S_OK);
  EXPECT_EQ(errors[3], E_INVALIDARG);
  EXPECT_EQ(callback.LookupItemIDs(2, ids + 2, errors), S_FALSE);
  EXPECT_EQ(callback.LookupItemIDs(1, ids, errors), S_OK);

  // Without a served system nothing is known.
  COPCCallback empty;
  EXPECT_EQ(empty.LookupItemIDs(1, ids, errors), S_FALSE);
  EXPECT_EQ(errors[0], OPC_E_UNKNOWNITEMID);
}

TEST(COPCCallback, TextsForClients) {
  EXPECT_EQ(COPCCallback::AllocString("Gr\xFC\xDF \x80"), u"Grüß €");

  COPCCallback callback;
  EXPECT_STREQ(callback.GetErrorString(OPC_E_UNKNOWNITEMID, 0),
               "The item ID is not defined in the server address space.");
  // Texts of other codes name the code and stay valid while further codes are asked for.
  const char* first = callback.GetErrorString(static_cast<HRESULT>(0x80041234u), 0);
  EXPECT_STREQ(first, "Error 0x80041234");
  for (int i = 0; i < 100; ++i) callback.GetErrorString(static_cast<HRESULT>(0x80040000u + i), 0);
  EXPECT_STREQ(first, "Error 0x80041234");
  EXPECT_EQ(callback.GetErrorString(static_cast<HRESULT>(0x80041234u), 0), first);
}
