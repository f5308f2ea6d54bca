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

// Reads remember what an item ID found; every edit must make them look again at once, and a
// deleted item must never be read through what was remembered (the sanitizer build would
// catch the read of a destroyed item).
TEST_F(NameSpaceEditsTest, ReadsFollowRenamesDeletionsAndUndoAtOnce) {
  CDORAzivazDoc& d = DemoDoc();
  Item("1/1/1").m_value = Variant::Bool(true);
  Item("1/1/1").m_quality = OPC_QUALITY_GOOD;
  auto read = [&](const std::string& itemId) {
    return space.Read(UaNodeId::String(kItemNamespace, itemId), ua_attr::Value, 1000);
  };
  const std::string oldId = "Ground floor.Lights.1/1/1";
  const std::string newId = "Erdgeschoss.Lights.1/1/1";
  ASSERT_EQ(read(oldId).status, ua_status::Good);
  EXPECT_EQ(read("GROUND FLOOR.lights.1/1/1").status, ua_status::Good);
  EXPECT_EQ(read(newId).status, ua_status::BadNodeIdUnknown);

  DocumentEditPtr rename = RenameGroup(d, Group("Ground floor"), "Erdgeschoss");
  ASSERT_NE(rename, nullptr);
  EXPECT_EQ(read(oldId).status, ua_status::BadNodeIdUnknown);
  EXPECT_EQ(read("GROUND FLOOR.lights.1/1/1").status, ua_status::BadNodeIdUnknown);
  ASSERT_EQ(read(newId).status, ua_status::Good);
  EXPECT_TRUE(read(newId).value == UaVariant::Boolean(true));

  // Deleted and undone: the same item is found again under the name it had.
  DocumentEditPtr deleted = DeleteGroup(d, Group("Erdgeschoss"));
  ASSERT_NE(deleted, nullptr);
  EXPECT_EQ(read(newId).status, ua_status::BadNodeIdUnknown);
  ASSERT_TRUE(deleted->Undo());
  EXPECT_EQ(read(newId).status, ua_status::Good);
  ASSERT_TRUE(rename->Undo());
  EXPECT_EQ(read(oldId).status, ua_status::Good);
  EXPECT_EQ(read(newId).status, ua_status::BadNodeIdUnknown);

  // Deleted for good: the group and its items are destroyed with the edit.
  rename.reset();
  deleted = DeleteGroup(d, Group("Ground floor"));
  ASSERT_NE(deleted, nullptr);
  deleted.reset();
  EXPECT_EQ(read(oldId).status, ua_status::BadNodeIdUnknown);
  EXPECT_EQ(read("GROUND FLOOR.lights.1/1/1").status, ua_status::BadNodeIdUnknown);

  // A project cleared and imported again, no edit in between: the new items are read.
  Item("2/1/1").m_value = Variant::Bool(true);
  Item("2/1/1").m_quality = OPC_QUALITY_GOOD;
  EXPECT_EQ(read("First floor.Lights.2/1/1").status, ua_status::Good);
  ASSERT_TRUE(d.DeleteContents());
  EXPECT_EQ(read("First floor.Lights.2/1/1").status, ua_status::BadNodeIdUnknown);
  ASSERT_EQ(ImportEsfFile(d, DemoEsfPath(), nullptr), EsfImportResult::kImported);
  Item("1/1/1").m_value = Variant::Bool(false);
  Item("1/1/1").m_quality = OPC_QUALITY_GOOD;
  const UaDataValue again = read(oldId);
  ASSERT_EQ(again.status, ua_status::Good);
  EXPECT_TRUE(again.value == UaVariant::Boolean(false));
}

}  // namespace
