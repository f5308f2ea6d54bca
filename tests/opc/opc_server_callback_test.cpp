// Tests of OPC item access: lookups, properties, writes, device reads and fixed answers.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "opc/opc_namespace_browser.h"
#include "opc/opc_server_callback.h"
#include "project_fixture.h"

namespace {

class OpcServerCallbackTest : public ::testing::Test {
 protected:
  OpcServerCallbackTest() : project(server), document(server) { server.SetDocument(&document); }

  OpcServerCallback server;
  TestProject project;
  FakeDocument document;
};

TEST(OpcServerCallbackFresh, StartsWithAnEmptyRootNamedRoot) {
  OpcServerCallback server;
  EXPECT_EQ(server.Root().m_name, "Root");
  EXPECT_TRUE(server.Root().m_children.empty());
  EXPECT_EQ(server.DevicesNode(), nullptr);
  // Without a document a write cannot happen and must not look as if it did.
  TestProject project(server);
  EXPECT_EQ(server.WriteTag(project.switching, Variant::Bool(true)), E_FAIL);
  EXPECT_EQ(server.ReadTagFromDevice(project.switching), S_OK);
}

TEST_F(OpcServerCallbackTest, FindsItemsWithoutRegardToCaseAndRefusesUnknownIds) {
  std::uint32_t count = 0;
  CTag* tag = nullptr;
  EXPECT_EQ(server.QueryPropertyCount("ground FLOOR.lights.1/2/3", &count, &tag), S_OK);
  EXPECT_EQ(count, 6u);
  EXPECT_EQ(tag, project.switching);
  EXPECT_EQ(server.FindTag("CENTRAL.2/515", nullptr, 0), project.counter);
  EXPECT_EQ(server.FindTag("failed devices", nullptr, 0), project.failedDevices);

  // A leaf of that name exists only one level down: the first part names no child.
  for (const char* id : {"Ground floor.1/2/3", "Lights.1/2/3", "Ground floor.Lights", "", "x"}) {
    count = 99;
    tag = project.value;
    EXPECT_EQ(server.QueryPropertyCount(id, &count, &tag), OPC_E_UNKNOWNITEMID) << id;
    EXPECT_EQ(count, 99u);
    EXPECT_EQ(tag, project.value);
    EXPECT_EQ(server.FindTag(id, nullptr, 0), nullptr);
    EXPECT_EQ(server.ValidateTag(nullptr, id, nullptr, 0), OPC_E_UNKNOWNITEMID);
    std::uint32_t ids[] = {1};
    Variant values[1];
    HRESULT errors[1] = {77};
    EXPECT_EQ(server.GetItemProperties(id, 1, ids, values, errors), OPC_E_UNKNOWNITEMID);
    EXPECT_EQ(errors[0], 77);
  }
  EXPECT_EQ(server.FindTag(nullptr, nullptr, 0), nullptr);
  std::uint32_t ids[1];
  EXPECT_EQ(server.QueryAvailableProperties("Check Device", 6, nullptr, ids, nullptr, nullptr),
            OPC_E_UNKNOWNITEMID);
}

TEST_F(OpcServerCallbackTest, ValidateTagCopiesTypeAndAccessRights) {
  CTag record;
  record.m_nativeDataType = VT_EMPTY;
  record.m_accessRights = 0;
  EXPECT_EQ(server.ValidateTag(&record, "check device", nullptr, 0), S_OK);
  EXPECT_EQ(record.m_nativeDataType, VT_BSTR);
  EXPECT_EQ(record.m_accessRights, OPC_WRITEABLE);
  EXPECT_EQ(server.ValidateTag(&record, "Failed Devices", nullptr, 0), S_OK);
  EXPECT_EQ(record.m_nativeDataType, VT_ARRAY | VT_BSTR);
  EXPECT_EQ(record.m_accessRights, OPC_READABLE);
  EXPECT_EQ(server.ValidateTag(&record, "Ground floor.Lights.1/2/5", nullptr, 0), S_OK);
  EXPECT_EQ(record.m_nativeDataType, VT_ARRAY | VT_UI1);
  EXPECT_EQ(server.GetTagItemID(project.character), "Ground floor.Heating.1/3/1");
}

TEST_F(OpcServerCallbackTest, AvailablePropertiesFillAsManyRowsAsAskedUpToSix) {
  std::uint32_t ids[8];
  std::u16string descriptions[8];
  VARTYPE types[8];
  auto reset = [&] {
    for (int i = 0; i < 8; ++i) {
      ids[i] = 999;
      descriptions[i] = u"untouched";
      types[i] = 999;
    }
  };
  reset();
  ASSERT_EQ(server.QueryAvailableProperties("ignored", 6, project.value, ids, descriptions, types),
            S_OK);
  const std::uint32_t wantIds[] = {1, 2, 3, 4, 5, 101};
  const char16_t* wantTexts[] = {
      u"Item Canonical DataType", u"Item Value",         u"Item Quality",
      u"Item Timestamp",          u"Item Access Rights", u"Item Description"};
  const VARTYPE wantTypes[] = {VT_I2, VT_R4, VT_I2, VT_DATE, VT_I4, VT_BSTR};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(ids[i], wantIds[i]);
    EXPECT_EQ(descriptions[i], wantTexts[i]);
    EXPECT_EQ(types[i], wantTypes[i]);
  }
  EXPECT_EQ(ids[6], 999u);

  reset();
  server.QueryAvailableProperties("", 3, project.twoBytes, ids, descriptions, types);
  EXPECT_EQ(types[1], VT_ARRAY | VT_UI1);
  EXPECT_EQ(ids[2], 3u);
  EXPECT_EQ(ids[3], 999u);

  // More than six asked: six rows. None asked: no row written past the caller's arrays.
  reset();
  server.QueryAvailableProperties("", 8, project.value, ids, descriptions, types);
  EXPECT_EQ(ids[5], 101u);
  EXPECT_EQ(ids[6], 999u);
  reset();
  server.QueryAvailableProperties("", 0, project.value, ids, descriptions, types);
  EXPECT_EQ(ids[0], 999u);
}

TEST_F(OpcServerCallbackTest, ItemPropertiesReportTheTagState) {
  GroupItem& item = *project.value;
  item.m_value = Variant::R4(21.5f);
  item.m_quality = OPC_QUALITY_GOOD;
  item.m_accessRights = 0x8001;  // sign-extended into the VT_I4
  item.m_name =
      "K\xfc"
      "che \x80";  // Windows-1252 text
  // 10:11:13.567 has odd seconds; the property keeps two-second steps.
  item.m_timestamp = SystemTimeToFileTime(SystemTime{.year = 2020,
                                                     .month = 5,
                                                     .day = 17,
                                                     .hour = 10,
                                                     .minute = 11,
                                                     .second = 13,
                                                     .milliseconds = 567});
  const std::uint32_t ids[] = {1, 2, 3, 4, 5, 101, 7};
  Variant values[7];
  values[6] = Variant::I4(42);
  HRESULT errors[7];
  std::fill(std::begin(errors), std::end(errors), E_FAIL);
  ASSERT_EQ(server.GetItemProperties("ground floor.lights.1/2/4", 7, ids, values, errors), S_OK);
  for (HRESULT e : errors) EXPECT_EQ(e, S_OK);
  EXPECT_EQ(values[0], Variant::I2(VT_R4));
  EXPECT_EQ(values[1], Variant::R4(21.5f));
  EXPECT_EQ(values[2], Variant::I2(OPC_QUALITY_GOOD));
  ASSERT_EQ(values[3].vt(), VT_DATE);
  const double seconds = std::round((values[3].date() - std::floor(values[3].date())) * 86400.0);
  EXPECT_EQ(static_cast<long>(seconds), 10 * 3600 + 11 * 60 + 12);
  EXPECT_EQ(values[4], Variant::I4(-32767));
  EXPECT_EQ(values[5], Variant::Bstr(u"K\u00fcche \u20ac"));
  EXPECT_EQ(values[6], Variant::I4(42));  // no such property: untouched

  // A time stamp without a DOS date form is refused instead of shown as a wrong date.
  item.m_timestamp = FileTime{};
  const std::uint32_t timeId[] = {4};
  ASSERT_EQ(server.GetItemProperties("Ground floor.Lights.1/2/4", 1, timeId, values, errors), S_OK);
  EXPECT_EQ(errors[0], DISP_E_OVERFLOW);
  EXPECT_TRUE(values[0].IsEmpty());
}

TEST_F(OpcServerCallbackTest, WritesConvertToTheCanonicalTypeUnderTheLock) {
  EXPECT_EQ(server.WriteTag(project.twoBytes, Variant::Bstr(u"ABC")), S_OK);
  EXPECT_EQ(server.WriteTag(project.unknown, Variant::Bstr(u"ABC")), S_OK);
  EXPECT_EQ(server.WriteTag(project.value, Variant::Bstr(u"21.5")), S_OK);
  EXPECT_EQ(server.WriteTag(project.switching, Variant::I2(1)), S_OK);
  EXPECT_EQ(server.WriteTag(project.checkDevice, Variant::Bstr(u"1.1.5")), S_OK);
  // A byte array of the same type passes unchanged when the item's telegram can carry it.
  EXPECT_EQ(server.WriteTag(project.twoBytes, Variant::Bytes({1, 2}, 1)), S_OK);
  ASSERT_EQ(document.writes.size(), 6u);
  EXPECT_EQ(document.writes[0].item, project.twoBytes);
  EXPECT_EQ(document.writes[0].value, Variant::Bytes({0x41, 0x42}));
  std::vector<std::uint8_t> fourteen(14, 0);
  fourteen[0] = 0x41;
  fourteen[1] = 0x42;
  fourteen[2] = 0x43;
  EXPECT_EQ(document.writes[1].value, Variant::Bytes(fourteen));
  EXPECT_EQ(document.writes[2].value, Variant::R4(21.5f));
  EXPECT_EQ(document.writes[3].value, Variant::Bool(true));
  EXPECT_EQ(document.writes[4].item, project.checkDevice);
  EXPECT_EQ(document.writes[4].value, Variant::Bstr(u"1.1.5"));
  EXPECT_EQ(document.writes[5].value, Variant::Bytes({1, 2}, 1));
  for (bool held : document.lockHeld) EXPECT_TRUE(held);
}

TEST_F(OpcServerCallbackTest, FailedConversionIsReturnedAndWritesNothing) {
  project.value->m_value = Variant::R4(3.0f);
  EXPECT_EQ(server.WriteTag(project.value, Variant::Bstr(u"warm")), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(server.WriteTag(project.counter, Variant::I4(300)), DISP_E_OVERFLOW);
  // More bytes than an untyped item's telegram carries are out of its range, not cut.
  EXPECT_EQ(server.WriteTag(project.twoBytes, Variant::Bytes({1, 2, 3})), DISP_E_OVERFLOW);
  EXPECT_EQ(server.WriteTag(project.unknown, Variant::Bytes(std::vector<std::uint8_t>(15, 1))),
            DISP_E_OVERFLOW);
  // Text to a typed byte-valued item is no byte-array write.
  EXPECT_EQ(server.WriteTag(project.counter, Variant::Bstr(u"AB")), DISP_E_TYPEMISMATCH);
  EXPECT_TRUE(document.writes.empty());
  EXPECT_EQ(project.value->m_value, Variant::R4(3.0f));
  CTag foreign;
  EXPECT_EQ(server.WriteTag(&foreign, Variant::I2(1)), E_INVALIDARG);
  EXPECT_EQ(server.WriteTag(nullptr, Variant::I2(1)), E_INVALIDARG);
}

TEST_F(OpcServerCallbackTest, DeviceReadsGoToTheDocument) {
  EXPECT_EQ(server.ReadTagFromDevice(project.value), S_OK);
  EXPECT_EQ(server.ReadTagFromDevice(project.failedDevices), S_OK);
  ASSERT_EQ(document.reads.size(), 2u);
  EXPECT_EQ(document.reads[0], project.value);
  EXPECT_EQ(document.reads[1], project.failedDevices);
  EXPECT_TRUE(document.lockHeld[0]);
}

TEST_F(OpcServerCallbackTest, PercentAndAngleItemsHaveTheirRange) {
  GroupItem& percent =
      TestProject::Add(*project.central, "2/517", "EIS 6 'Scaling - percent' (8 Bit)");
  GroupItem& angle =
      TestProject::Add(*project.central, "2/518", "EIS 6 'Scaling - degree' (8 Bit)");
  GroupItem& dimming =
      TestProject::Add(*project.central, "2/519", "EIS 2 'Dimming - value' (8 Bit)");
  double low = -1, high = -1;
  EXPECT_EQ(server.GetTagLimits(&percent, &low, &high), S_OK);
  EXPECT_EQ(std::make_pair(low, high), std::make_pair(0.0, 100.0));
  EXPECT_EQ(server.GetTagLimits(&angle, &low, &high), S_OK);
  EXPECT_EQ(std::make_pair(low, high), std::make_pair(0.0, 360.0));
  EXPECT_EQ(server.GetTagLimits(&dimming, &low, &high), S_OK);
  EXPECT_EQ(high, 100.0);
  EXPECT_EQ(server.GetTagLimits(project.value, &low, &high), S_FALSE);
  EXPECT_EQ(server.GetTagLimits(project.counter, &low, &high), S_FALSE);
}

TEST_F(OpcServerCallbackTest, FixedAnswers) {
  EXPECT_EQ(server.ReviseUpdateRate(0), 10u);
  EXPECT_EQ(server.ReviseUpdateRate(9), 10u);
  EXPECT_EQ(server.ReviseUpdateRate(10), 10u);
  EXPECT_EQ(server.ReviseUpdateRate(250), 250u);
  for (HRESULT code : {S_OK, E_FAIL, OPC_E_UNKNOWNITEMID, HRESULT{12345}})
    EXPECT_STREQ(server.GetErrorString(code, 0x409), "Zelvox specific Error");
  EXPECT_STREQ(server.GetVendorInfo(), "Quendra s.c.");
  EXPECT_EQ(server.NoOpCallbackA(nullptr, nullptr), S_OK);
  EXPECT_EQ(server.NoOpCallbackB(nullptr, nullptr, nullptr), S_OK);
  std::unique_ptr<COPCBrowser> browser(server.CreateBrowser());
  ASSERT_NE(dynamic_cast<OpcNameSpaceBrowser*>(browser.get()), nullptr);
  EXPECT_EQ(browser->QueryOrganization(), OPC_NS_HIERARCHIAL);
}

}  // namespace
