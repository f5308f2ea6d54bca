// Tests of editing the project while OPC UA clients watch it: a monitored item whose item was
// renamed or deleted reports Bad_NodeIdUnknown and lets the item go; browsing shows the edited
// tree at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "../project/edit_test_helpers.h"
#include "project/delete_commands.h"
#include "project/group_commands.h"
#include "toolkit/opcua/ua_address_space.h"
#include "toolkit/opcua/ua_monitored_item.h"

namespace {

class NameSpaceEditsTest : public EditTest {
 protected:
  NameSpaceEditsTest() : space(callback, options) {}

  std::unique_ptr<UaMonitoredItem> Monitor(const std::string& itemId) {
    const UaNodeId node = UaNodeId::String(kItemNamespace, itemId);
    return std::make_unique<UaMonitoredItem>(1, node, ua_attr::Value, space.AcquireTag(node));
  }
  // Samples under the tag lock, as the subscriptions do; the statuses of what was queued.
  std::vector<UaStatusCode> Sample(UaMonitoredItem& item) {
    std::lock_guard tagLock(callback.GetTagLock());
    item.Sample(space);
    std::vector<UaStatusCode> statuses;
    while (item.HasNotifications()) statuses.push_back(item.TakeNotification().status);
    return statuses;
  }
  std::vector<std::string> FolderNames() {
    std::vector<UaReference> refs;
    EXPECT_TRUE(space.References(UaNodeId::Numeric(kItemNamespace, kProjectFolderId), refs));
    std::vector<std::string> names;
    for (const UaReference& r : refs)
      if (r.isForward && r.target.kind == UaNodeId::Kind::String) names.push_back(r.target.text);
    return names;
  }

  UaServerOptions options;
  UaAddressSpace space;
};

bool Has(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

TEST_F(NameSpaceEditsTest, RenamedItemsReportNodeIdUnknownAndCanThenBeDeleted) {
  CDORAzivazDoc& d = DemoDoc();
  GroupItem& ceiling = Item("1/1/1");
  ceiling.m_value = Variant::Bool(true);
  ceiling.m_quality = OPC_QUALITY_GOOD;
  auto watched = Monitor("Ground floor.Lights.1/1/1");
  ASSERT_TRUE(watched->HasTag());
  EXPECT_EQ(Sample(*watched).size(), 1u);
  EXPECT_EQ(ceiling.ClientRefCount(), 1);

  // Held by the subscription: the group cannot go.
  EXPECT_EQ(DeleteGroup(d, Group("Ground floor")), nullptr);
  EXPECT_EQ(Messages().back(), kStrGroupHeld);

  DocumentEditPtr rename = RenameGroup(d, Group("Ground floor"), "Erdgeschoss");
  ASSERT_NE(rename, nullptr);
  EXPECT_EQ(Sample(*watched), std::vector<UaStatusCode>{ua_status::BadNodeIdUnknown});
  EXPECT_EQ(ceiling.ClientRefCount(), 0);
  EXPECT_TRUE(Sample(*watched).empty());  // said once
  EXPECT_TRUE(Has(FolderNames(), "Erdgeschoss"));
  EXPECT_FALSE(Has(FolderNames(), "Ground floor"));

  // Under its new name the item is watched again; deleting its group ends that too.
  auto again = Monitor("Erdgeschoss.Lights.1/1/1");
  ASSERT_TRUE(again->HasTag());
  Sample(*again);
  again.reset();
  DocumentEditPtr deleted = DeleteGroup(d, Group("Erdgeschoss"));
  ASSERT_NE(deleted, nullptr);
  EXPECT_FALSE(Has(FolderNames(), "Erdgeschoss"));
  EXPECT_TRUE(Sample(*watched).empty());

  // Both undone: the old node names the item again and its value comes back.
  ASSERT_TRUE(deleted->Undo());
  ASSERT_TRUE(rename->Undo());
  EXPECT_TRUE(Has(FolderNames(), "Ground floor"));
  const std::vector<UaStatusCode> back = Sample(*watched);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0], ua_status::Good);
}

}  // namespace
