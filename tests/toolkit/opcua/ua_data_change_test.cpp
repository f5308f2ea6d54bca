// The data-change facet of monitored items: filters with deadbands, the overflow bit and
// triggered reporting.
#include <gtest/gtest.h>

#include "fake_item_tree.h"
#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_monitored_item.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_subscription.h"

namespace {
// A tree whose "Main.percent" item has the range 0-100.
class LimitedTree : public FakeItemTree {
 public:
  HRESULT GetTagLimits(CTag* tag, double* low, double* high) override {
    if (GetTagItemID(tag) != "Main.percent") return S_FALSE;
    *low = 0;
    *high = 100;
    return S_OK;
  }
};

UaExtensionObject Filter(std::uint32_t trigger, std::uint32_t deadbandType, double value) {
  return BinaryExtensionObject(ua_id::DataChangeFilter, [&](UaBinaryWriter& w) {
    w.UInt32(trigger);
    w.UInt32(deadbandType);
    w.Double(value);
  });
}

class UaDataChangeTest : public ::testing::Test {
 protected:
  UaDataChangeTest() : space(tree, options) {
    percent = &tree.Add("Main", "percent", VT_UI1, Variant::UI1(50));
    real = &tree.Add("Main", "real", VT_R4, Variant::R4(20.0f));
    text = &tree.Add("Main", "text", VT_BSTR, Variant::Bstr(u"a"));
  }
  UaStatusCode Parse(CTag* tag, const UaExtensionObject& f, UaDataChangeFilter& out) {
    return ParseDataChangeFilter(f, ua_attr::Value, tag, tree, out);
  }
  std::unique_ptr<UaMonitoredItem> Monitor(const std::string& id, std::uint32_t itemId = 1) {
    UaNodeId node = UaNodeId::String(kItemNamespace, id);
    return std::make_unique<UaMonitoredItem>(itemId, node, ua_attr::Value, space.AcquireTag(node));
  }

  LimitedTree tree;
  UaServerOptions options;
  UaAddressSpace space;
  FakeItem* percent;
  FakeItem* real;
  FakeItem* text;
};
}  // namespace

TEST_F(UaDataChangeTest, FiltersAreCheckedAgainstTheItem) {
  UaDataChangeFilter f;
  EXPECT_EQ(Parse(real, UaExtensionObject{}, f), ua_status::Good);
  EXPECT_EQ(f.trigger, UaDataChangeTrigger::StatusValue);  // the default without a filter
  EXPECT_LT(f.deadband, 0);
  EXPECT_EQ(Parse(real, Filter(2, 1, 0.5), f), ua_status::Good);
  EXPECT_EQ(f.trigger, UaDataChangeTrigger::StatusValueTimestamp);
  EXPECT_EQ(f.deadband, 0.5);
  // Percent of the item's range; refused where the item has no range.
  EXPECT_EQ(Parse(percent, Filter(1, 2, 10), f), ua_status::Good);
  EXPECT_DOUBLE_EQ(f.deadband, 10);
  EXPECT_EQ(Parse(real, Filter(1, 2, 10), f), ua_status::BadMonitoredItemFilterUnsupported);
  EXPECT_EQ(Parse(text, Filter(1, 1, 1), f), ua_status::BadFilterNotAllowed);
  EXPECT_EQ(Parse(real, Filter(1, 1, -1), f), ua_status::BadDeadbandFilterInvalid);
  EXPECT_EQ(Parse(percent, Filter(1, 2, 101), f), ua_status::BadDeadbandFilterInvalid);
  EXPECT_EQ(Parse(real, Filter(1, 3, 1), f), ua_status::BadMonitoredItemFilterUnsupported);
  EXPECT_EQ(ParseDataChangeFilter(Filter(1, 0, 0), ua_attr::DisplayName, nullptr, tree, f),
            ua_status::BadFilterNotAllowed);
}

TEST_F(UaDataChangeTest, DeadbandReportsOnlyLargerChangesFromTheLastReported) {
  auto item = Monitor("Main.real");
  item->queueSize = 10;
  item->deadband = 1.0;
  std::lock_guard guard(tree.GetTagLock());
  EXPECT_TRUE(item->Sample(space).changed);
  // Three small steps of 0.6: each within 1 of its predecessor, but the second is 1.2 away
  // from the last reported value.
  std::vector<bool> reported;
  for (float v : {20.6f, 21.2f, 21.8f}) {
    tree.Update(*real, Variant::R4(v));
    reported.push_back(item->Sample(space).changed);
  }
  EXPECT_EQ(reported, (std::vector<bool>{false, true, false}));
  // A status change passes whatever the value.
  real->m_quality = OPC_QUALITY_BAD;
  EXPECT_TRUE(item->Sample(space).changed);
  EXPECT_EQ(item->QueuedCount(), 3u);
}

TEST_F(UaDataChangeTest, DiscardedValuesSetTheOverflowBit) {
  constexpr UaStatusCode kOverflow = 0x0480;
  std::lock_guard guard(tree.GetTagLock());
  for (bool discardOldest : {true, false}) {
    auto item = Monitor("Main.real");
    item->queueSize = 2;
    item->discardOldest = discardOldest;
    for (float v : {1.0f, 2.0f, 3.0f}) {
      tree.Update(*real, Variant::R4(v));
      item->Sample(space);
    }
    ASSERT_EQ(item->QueuedCount(), 2u);
    UaDataValue first = item->TakeNotification();
    UaDataValue second = item->TakeNotification();
    if (discardOldest) {  // 1 went: 2 carries the bit
      EXPECT_TRUE(first.value == UaVariant::Float(2.0f));
      EXPECT_EQ(first.status & 0xFFFF, kOverflow);
      EXPECT_EQ(second.status, ua_status::Good);
    } else {  // 2 was replaced by 3, which carries the bit
      EXPECT_TRUE(second.value == UaVariant::Float(3.0f));
      EXPECT_EQ(first.status, ua_status::Good);
      EXPECT_EQ(second.status & 0xFFFF, kOverflow);
    }
  }
  // A queue of one just keeps the newest value.
  auto single = Monitor("Main.real");
  single->Sample(space);
  tree.Update(*real, Variant::R4(9.0f));
  single->Sample(space);
  EXPECT_EQ(single->TakeNotification().status, ua_status::Good);
}

TEST_F(UaDataChangeTest, ATriggeringItemSendsTheSamplingItemsItLinks) {
  UaSubscription sub(1, 0);
  sub.items.emplace(1, Monitor("Main.real", 1));
  sub.items.emplace(2, Monitor("Main.percent", 2));
  UaMonitoredItem& trigger = *sub.items[1];
  UaMonitoredItem& sampled = *sub.items[2];
  sampled.mode = UaMonitoringMode::Sampling;
  trigger.triggers.insert(2);
  std::lock_guard guard(tree.GetTagLock());
  sub.SampleDue(space, 0, 100);  // first values of both; the trigger reported, so both go out
  std::vector<std::uint8_t> message;
  UaBinaryWriter w(message);
  bool more = false;
  sub.WriteNotificationMessage(w, false, more);
  EXPECT_FALSE(sub.HasNotifications());
  // The sampled item changes alone: nothing to send until the trigger reports.
  tree.Update(*percent, Variant::UI1(60));
  sub.SampleDue(space, 1000, 100);
  EXPECT_FALSE(sub.HasNotifications());
  tree.Update(*real, Variant::R4(30.0f));
  sub.SampleDue(space, 2000, 100);
  EXPECT_TRUE(sampled.Reports());
  sub.WriteNotificationMessage(w, false, more);
  EXPECT_FALSE(sub.HasNotifications());
  EXPECT_FALSE(sampled.Reports());
}
