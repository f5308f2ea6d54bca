// The address space over a fake name space: references, reads, writes and sampling.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>

#include <algorithm>

#include "fake_item_tree.h"
#include "platform/clock.h"
#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_monitored_item.h"

namespace {
class UaAddressSpaceTest : public ::testing::Test {
 protected:
  UaAddressSpaceTest() : space(tree, options) {
    tree.Add("", "Failed Devices", VT_ARRAY | VT_BSTR,
             Variant::Array(VT_BSTR, {Variant::Bstr(u"x")}));
    m_bool = &tree.Add("Main.Middle", "1/0/1", VT_BOOL, Variant::Bool(true), "Hall");
    m_real = &tree.Add("Main.Middle", "1/0/2", VT_R4, Variant::R4(1.5f));
    m_bytes = &tree.Add("Main", "1/3", VT_ARRAY | VT_UI1, Variant::Bytes({1, 2}));
    m_readOnly = &tree.Add("Main", "1/4", VT_I2, Variant::I2(3));
    m_readOnly->m_accessRights = OPC_READABLE;
  }
  static UaNodeId Item(const std::string& id) { return UaNodeId::String(kItemNamespace, id); }

  FakeItemTree tree;
  UaServerOptions options;
  UaAddressSpace space;
  FakeItem* m_bool;
  FakeItem* m_real;
  FakeItem* m_bytes;
  FakeItem* m_readOnly;
};
}  // namespace

TEST_F(UaAddressSpaceTest, FoldersItemsAndPropertiesAreLinked) {
  std::vector<UaReference> refs;
  ASSERT_TRUE(space.References(UaNodeId::Numeric(kItemNamespace, kProjectFolderId), refs));
  std::vector<UaNodeId> organized;
  for (const auto& r : refs) {
    if (r.isForward && r.referenceType == ua_id::Organizes) organized.push_back(r.target);
  }
  EXPECT_EQ(organized, (std::vector<UaNodeId>{Item("Main"), Item("Failed Devices")}));
  refs.clear();
  ASSERT_TRUE(space.References(Item("Main.Middle.1/0/1"), refs));
  int properties = 0;
  for (const auto& r : refs) {
    if (r.referenceType == ua_id::HasProperty) ++properties;
    if (!r.isForward) {
      EXPECT_EQ(r.target, Item("Main.Middle"));
    }
  }
  EXPECT_EQ(properties, 6);
  auto info = space.Describe(Item("Main.Middle.1/0/1#101"));
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->browseName.name, "Item Description");
  EXPECT_TRUE(space.Read(Item("Main.Middle.1/0/1#101"), ua_attr::Value, 0).value ==
              UaVariant::String("Hall"));
  EXPECT_FALSE(space.Describe(Item("Main.Nothing")).has_value());
  EXPECT_FALSE(space.Describe(Item("Main.Middle.1/0/1#7")).has_value());
  auto folder = space.Describe(Item("Main.Middle"));
  ASSERT_TRUE(folder.has_value());
  EXPECT_EQ(folder->nodeClass, UaNodeClass::Object);
}

TEST_F(UaAddressSpaceTest, ReadsMapTypesQualityAndDeviceReads) {
  UaDataValue v = space.Read(Item("Main.1/3"), ua_attr::Value, 1000);
  EXPECT_TRUE(v.value == UaVariant::ByteString(std::string("\x01\x02", 2)));
  EXPECT_TRUE(v.hasSourceTimestamp);
  EXPECT_EQ(v.sourceTimestamp, static_cast<UaDateTime>(m_bytes->m_timestamp.ticks));
  EXPECT_TRUE(space.Read(Item("Main.1/3"), ua_attr::DataType, 0).value ==
              UaVariant::NodeId(UaNodeId::Numeric(0, 15)));
  EXPECT_TRUE(space.Read(Item("Failed Devices"), ua_attr::ValueRank, 0).value ==
              UaVariant::Int32(1));
  EXPECT_TRUE(space.Read(Item("Main.1/4"), ua_attr::AccessLevel, 0).value == UaVariant::Byte(1));
  EXPECT_EQ(tree.deviceReads, 0);
  // A value in the cache is served from it, whatever maxAge says.
  space.Read(Item("Main.1/4"), ua_attr::Value, 0);
  EXPECT_EQ(tree.deviceReads, 0);
  m_real->m_quality = OPC_QUALITY_UNCERTAIN;
  EXPECT_EQ(space.Read(Item("Main.Middle.1/0/2"), ua_attr::Value, 1).status, ua_status::Uncertain);
  // The value kept while the bus link is down.
  m_real->m_quality = OPC_QUALITY_LAST_USABLE;
  EXPECT_EQ(space.Read(Item("Main.Middle.1/0/2"), ua_attr::Value, 1).status,
            ua_status::UncertainLastUsableValue);
  m_real->m_quality = OPC_QUALITY_BAD;
  EXPECT_EQ(space.Read(Item("Main.Middle.1/0/2"), ua_attr::Value, 1).status, ua_status::Bad);
  EXPECT_EQ(space.Read(Item("Nope"), ua_attr::Value, 1).status, ua_status::BadNodeIdUnknown);
  EXPECT_EQ(space.Read(Item("Main"), ua_attr::Value, 1).status, ua_status::BadAttributeIdInvalid);
}

TEST_F(UaAddressSpaceTest, OnlyAnItemWithoutValueAsksTheDeviceOnce) {
  FakeItem& fresh = tree.Add("Main", "1/5", VT_I2, Variant());
  fresh.m_quality = OPC_QUALITY_UNCERTAIN;
  space.Read(Item("Main.1/5"), ua_attr::Value, 0);
  space.Read(Item("Main.1/5"), ua_attr::Value, 1000);
  EXPECT_EQ(tree.deviceReads, 1);
  // Unanswered: the item went bad; it is not asked again.
  fresh.m_quality = OPC_QUALITY_BAD;
  space.Read(Item("Main.1/5"), ua_attr::Value, 0);
  EXPECT_EQ(tree.deviceReads, 1);
  // Emptied again (simulation switched off): asked once more.
  fresh.m_quality = OPC_QUALITY_UNCERTAIN;
  space.Read(Item("Main.1/5"), ua_attr::Value, 0);
  space.Read(Item("Main.1/5"), ua_attr::Value, 0);
  EXPECT_EQ(tree.deviceReads, 2);
}

TEST(UaAddressSpaceDeviceReads, MaxAgeZeroAsksTheDeviceWhenConfigured) {
  FakeItemTree tree;
  UaServerOptions options;
  options.deviceReads = true;
  UaAddressSpace space(tree, options);
  tree.Add("Main", "1/1", VT_I2, Variant::I2(1));
  UaNodeId id = UaNodeId::String(kItemNamespace, "Main.1/1");
  space.Read(id, ua_attr::Value, 0);
  space.Read(id, ua_attr::Value, 0);
  space.Read(id, ua_attr::Value, 500);
  EXPECT_EQ(tree.deviceReads, 2);
}

TEST_F(UaAddressSpaceTest, WritesConvertOrReportTheFault) {
  EXPECT_EQ(space.Write(Item("Main.Middle.1/0/2"), ua_attr::Value, UaVariant::Int32(4)),
            ua_status::Good);
  ASSERT_EQ(tree.writes.size(), 1u);
  EXPECT_TRUE(tree.writes[0].second == Variant::R4(4.0f));
  EXPECT_EQ(space.Write(Item("Main.Middle.1/0/2"), ua_attr::Value, UaVariant::String("abc")),
            ua_status::BadTypeMismatch);
  EXPECT_EQ(space.Write(Item("Main.Middle.1/0/2"), ua_attr::Value, UaVariant::Double(1e300)),
            ua_status::BadOutOfRange);
  // A full bus request queue refuses the write; the client may try again later.
  tree.writeResult = E_OUTOFMEMORY;
  EXPECT_EQ(space.Write(Item("Main.Middle.1/0/2"), ua_attr::Value, UaVariant::Int32(5)),
            ua_status::BadResourceUnavailable);
  tree.writeResult = S_OK;
  EXPECT_EQ(space.Write(Item("Main.1/4"), ua_attr::Value, UaVariant::Int16(1)),
            ua_status::BadNotWritable);
  EXPECT_EQ(space.Write(Item("Main.9"), ua_attr::Value, UaVariant::Int16(1)),
            ua_status::BadNodeIdUnknown);
  EXPECT_EQ(space.Write(Item("Main.Middle.1/0/2"), ua_attr::DisplayName, UaVariant::String("x")),
            ua_status::BadNotWritable);
  EXPECT_EQ(tree.writes.size(), 1u);
}

TEST_F(UaAddressSpaceTest, SamplingReportsOnlyChanges) {
  UaMonitoredItem item(1, Item("Main.Middle.1/0/1"), ua_attr::Value,
                       space.AcquireTag(Item("Main.Middle.1/0/1")));
  EXPECT_EQ(m_bool->ClientRefCount(), 1);
  item.queueSize = 5;
  item.trigger = UaDataChangeTrigger::StatusValueTimestamp;
  item.Sample(space);
  item.Sample(space);
  EXPECT_EQ(item.QueuedCount(), 1u);
  tree.Update(*m_bool, Variant::Bool(false));
  item.Sample(space);
  EXPECT_EQ(item.QueuedCount(), 2u);
  // The same value with a new time stamp is a change too when the filter asks for it.
  m_bool->m_timestamp.ticks += 10;
  item.Sample(space);
  EXPECT_EQ(item.QueuedCount(), 3u);
  item.trigger = UaDataChangeTrigger::StatusValue;
  m_bool->m_timestamp.ticks += 10;
  item.Sample(space);
  EXPECT_EQ(item.QueuedCount(), 3u);
  // Uncertain to uncertain, last usable value is a change of status.
  m_bool->m_quality = OPC_QUALITY_UNCERTAIN;
  item.Sample(space);
  m_bool->m_quality = OPC_QUALITY_LAST_USABLE;
  item.Sample(space);
  EXPECT_EQ(item.QueuedCount(), 5u);
  EXPECT_TRUE(item.TakeNotification().value == UaVariant::Boolean(true));
}

TEST_F(UaAddressSpaceTest, LocalTimeStampsAreServedAsUtc) {
  // Restores the time zone and the time base whatever the test's outcome.
  struct LocalTimeBerlin {
    LocalTimeBerlin() {
      if (const char* tz = getenv("TZ")) old = tz;
      setenv("TZ", "Europe/Berlin", 1);
      tzset();
      SetTimeStampsUtc(false);
    }
    ~LocalTimeBerlin() {
      SetTimeStampsUtc(true);
      if (old)
        setenv("TZ", old->c_str(), 1);
      else
        unsetenv("TZ");
      tzset();
    }
    std::optional<std::string> old;
  } berlin;
  const auto at = [](int month, int day, int hour) {
    SystemTime st;
    st.year = 2026;
    st.month = month;
    st.day = day;
    st.hour = hour;
    st.minute = 30;
    st.milliseconds = 250;
    return SystemTimeToFileTime(st);
  };
  // Winter (UTC+1) and summer time (UTC+2), by Read and by a monitored item's sample.
  const std::pair<FileTime, FileTime> localToUtc[] = {{at(1, 15, 10), at(1, 15, 9)},
                                                      {at(7, 1, 14), at(7, 1, 12)}};
  for (const auto& [local, utc] : localToUtc) {
    m_bool->m_timestamp = local;
    const UaDataValue v = space.Read(Item("Main.Middle.1/0/1"), ua_attr::Value, 1000);
    ASSERT_TRUE(v.hasSourceTimestamp);
    EXPECT_EQ(v.sourceTimestamp, static_cast<UaDateTime>(utc.ticks));

    UaMonitoredItem item(1, Item("Main.Middle.1/0/1"), ua_attr::Value,
                         space.AcquireTag(Item("Main.Middle.1/0/1")));
    item.Sample(space);
    EXPECT_EQ(item.TakeNotification().sourceTimestamp, static_cast<UaDateTime>(utc.ticks));
  }
}

TEST_F(UaAddressSpaceTest, TypesAreBrowsableAndItemsNameTheirAddress) {
  // From Types down to an item's data type, along Organizes and HasSubtype only.
  auto forward = [&](std::uint32_t from, std::uint32_t type) {
    std::vector<UaReference> refs;
    EXPECT_TRUE(space.References(UaNodeId::Numeric(0, from), refs)) << from;
    std::vector<std::uint32_t> targets;
    for (const auto& r : refs) {
      if (r.isForward && r.referenceType == type) targets.push_back(r.target.numeric);
    }
    return targets;
  };
  auto has = [](const std::vector<std::uint32_t>& v, std::uint32_t id) {
    return std::find(v.begin(), v.end(), id) != v.end();
  };
  EXPECT_TRUE(has(forward(ua_id::TypesFolder, ua_id::Organizes), ua_id::DataTypesFolder));
  EXPECT_TRUE(has(forward(ua_id::DataTypesFolder, ua_id::Organizes), ua_id::BaseDataType));
  EXPECT_TRUE(has(forward(ua_id::BaseDataType, ua_id::HasSubtype), 26));  // Number
  EXPECT_TRUE(has(forward(26, ua_id::HasSubtype), 10));                   // Float
  EXPECT_TRUE(has(forward(ua_id::HierarchicalReferences, ua_id::HasSubtype), ua_id::Organizes));
  EXPECT_TRUE(has(forward(ua_id::BaseVariableType, ua_id::HasSubtype), ua_id::PropertyType));
  EXPECT_TRUE(has(forward(ua_id::Server, ua_id::HasComponent), ua_id::ServerRedundancy));
  for (std::uint32_t id : {1u, 12u, 35u, 61u, 63u, 68u, 88u, 89u, 90u, 91u, 2004u}) {
    EXPECT_TRUE(space.Describe(UaNodeId::Numeric(0, id)).has_value()) << id;
  }
  EXPECT_TRUE(space.Read(UaNodeId::Numeric(0, 26), ua_attr::IsAbstract, 0).value ==
              UaVariant::Boolean(true));
  EXPECT_TRUE(space.Read(UaNodeId::Numeric(0, ua_id::Organizes), ua_attr::InverseName, 0).value ==
              UaVariant::LocalizedText({{}, "OrganizedBy"}));
  EXPECT_TRUE(
      space.Read(UaNodeId::Numeric(0, ua_id::ServerDiagnosticsEnabledFlag), ua_attr::Value, 0)
          .value == UaVariant::Boolean(false));

  // Attributes of an item: scalar without dimensions, the real minimum sampling interval, the
  // address and name as display name (the browse name stays the address).
  EXPECT_FALSE(space.Read(Item("Main.Middle.1/0/2"), ua_attr::ArrayDimensions, 0).hasValue);
  EXPECT_TRUE(space.Read(Item("Failed Devices"), ua_attr::ArrayDimensions, 0).value ==
              UaVariant::Array(UaType::UInt32, {UaVariant::UInt32(0)}));
  EXPECT_TRUE(space.Read(Item("Main.1/3"), ua_attr::MinimumSamplingInterval, 0).value ==
              UaVariant::Double(10));
  auto hall = space.Describe(Item("Main.Middle.1/0/1"));
  ASSERT_TRUE(hall.has_value());
  EXPECT_EQ(hall->displayName.text, "1/0/1 Hall");
  EXPECT_EQ(hall->browseName.name, "1/0/1");
  EXPECT_EQ(space.Describe(Item("Main.1/3"))->displayName.text, "1/3");  // no name of its own
  EXPECT_EQ(space.Describe(Item("Main.Middle"))->displayName.text, "Middle");
}

TEST_F(UaAddressSpaceTest, AWriteOnlyItemPublishesNoValue) {
  m_readOnly->m_accessRights = OPC_WRITEABLE;
  UaMonitoredItem item(1, Item("Main.1/4"), ua_attr::Value, space.AcquireTag(Item("Main.1/4")));
  item.Sample(space);
  tree.Update(*m_readOnly, Variant::I2(9));
  item.Sample(space);
  ASSERT_EQ(item.QueuedCount(), 1u);
  UaDataValue dv = item.TakeNotification();
  EXPECT_FALSE(dv.hasValue);
  EXPECT_EQ(dv.status, ua_status::BadNotReadable);
}
