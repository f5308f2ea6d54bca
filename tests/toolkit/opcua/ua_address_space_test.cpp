// The address space over a fake name space: references, reads, writes and sampling.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>

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
    bool_ = &tree.Add("Main.Middle", "1/0/1", VT_BOOL, Variant::Bool(true), "Hall");
    real_ = &tree.Add("Main.Middle", "1/0/2", VT_R4, Variant::R4(1.5f));
    bytes_ = &tree.Add("Main", "1/3", VT_ARRAY | VT_UI1, Variant::Bytes({1, 2}));
    readOnly_ = &tree.Add("Main", "1/4", VT_I2, Variant::I2(3));
    readOnly_->m_accessRights = OPC_READABLE;
  }
  static UaNodeId Item(const std::string& id) { return UaNodeId::String(kItemNamespace, id); }

  FakeItemTree tree;
  UaServerOptions options;
  UaAddressSpace space;
  FakeItem* bool_;
  FakeItem* real_;
  FakeItem* bytes_;
  FakeItem* readOnly_;
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
  EXPECT_EQ(v.sourceTimestamp, static_cast<UaDateTime>(bytes_->m_timestamp.ticks));
  EXPECT_TRUE(space.Read(Item("Main.1/3"), ua_attr::DataType, 0).value ==
              UaVariant::NodeId(UaNodeId::Numeric(0, 15)));
  EXPECT_TRUE(space.Read(Item("Failed Devices"), ua_attr::ValueRank, 0).value ==
              UaVariant::Int32(1));
  EXPECT_TRUE(space.Read(Item("Main.1/4"), ua_attr::AccessLevel, 0).value == UaVariant::Byte(1));
  EXPECT_EQ(tree.deviceReads, 0);
  space.Read(Item("Main.1/4"), ua_attr::Value, 0);
  EXPECT_EQ(tree.deviceReads, 1);
  real_->m_quality = OPC_QUALITY_UNCERTAIN;
  EXPECT_EQ(space.Read(Item("Main.Middle.1/0/2"), ua_attr::Value, 1).status, ua_status::Uncertain);
  // The value kept while the bus link is down.
  real_->m_quality = OPC_QUALITY_LAST_USABLE;
  EXPECT_EQ(space.Read(Item("Main.Middle.1/0/2"), ua_attr::Value, 1).status,
            ua_status::UncertainLastUsableValue);
  real_->m_quality = OPC_QUALITY_BAD;
  EXPECT_EQ(space.Read(Item("Main.Middle.1/0/2"), ua_attr::Value, 1).status, ua_status::Bad);
  EXPECT_EQ(space.Read(Item("Nope"), ua_attr::Value, 1).status, ua_status::BadNodeIdUnknown);
  EXPECT_EQ(space.Read(Item("Main"), ua_attr::Value, 1).status, ua_status::BadAttributeIdInvalid);
}

TEST_F(UaAddressSpaceTest, WritesConvertOrReportTheFault) {
  EXPECT_EQ(space.Write(Item("Main.Middle.1/0/2"), ua_attr::Value, UaVariant::Int32(4)),
            ua_status::Good);
  ASSERT_EQ(tree.writes.size(), 1u);
  EXPECT_TRUE(tree.writes[0].second == Variant::R4(4.0f));
  EXPECT_EQ(space.Write(Item("Main.Middle.1/0/2"), ua_attr::Value, UaVariant::String("abc")),
            ua_status::BadTypeMismatch);
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
  EXPECT_EQ(bool_->ClientRefCount(), 1);
  item.queueSize = 5;
  item.Sample(space);
  item.Sample(space);
  EXPECT_EQ(item.QueuedCount(), 1u);
  tree.Update(*bool_, Variant::Bool(false));
  item.Sample(space);
  EXPECT_EQ(item.QueuedCount(), 2u);
  // The same value with a new time stamp is a change too, unless the filter says otherwise.
  bool_->m_timestamp.ticks += 10;
  item.Sample(space);
  EXPECT_EQ(item.QueuedCount(), 3u);
  item.trigger = UaDataChangeTrigger::StatusValue;
  bool_->m_timestamp.ticks += 10;
  item.Sample(space);
  EXPECT_EQ(item.QueuedCount(), 3u);
  // Uncertain to uncertain, last usable value is a change of status.
  bool_->m_quality = OPC_QUALITY_UNCERTAIN;
  item.Sample(space);
  bool_->m_quality = OPC_QUALITY_LAST_USABLE;
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
    bool_->m_timestamp = local;
    const UaDataValue v = space.Read(Item("Main.Middle.1/0/1"), ua_attr::Value, 1000);
    ASSERT_TRUE(v.hasSourceTimestamp);
    EXPECT_EQ(v.sourceTimestamp, static_cast<UaDateTime>(utc.ticks));

    UaMonitoredItem item(1, Item("Main.Middle.1/0/1"), ua_attr::Value,
                         space.AcquireTag(Item("Main.Middle.1/0/1")));
    item.Sample(space);
    EXPECT_EQ(item.TakeNotification().sourceTimestamp, static_cast<UaDateTime>(utc.ticks));
  }
}
