// Tests of listener building and dropping, and of the order in which a table is destroyed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "project/item_lifecycle.h"
#include "project/listeners.h"
#include "test_tree.h"

using ::testing::ElementsAre;

TEST(Listeners, BuildKeepsDuplicatesAndDropRemovesOneEntryPerLink) {
  GroupNode root;
  GroupNode& main = AddNode(root, "Main", 1);
  GroupNode& middle = AddNode(main, "Middle", 0);
  GroupItem& a = AddItem(middle, "1/0/1");
  GroupItem& b = AddItem(middle, "1/0/2");
  GroupItem& c = AddItem(main, "1/300");
  a.m_linkedAddresses = {"1/0/2", "1/0/2", "9/9/9"};
  b.m_linkedAddresses = {"1/0/2"};
  c.m_linkedAddresses = {"1/0/2"};

  BuildListeners(root);  // children before the node's own items
  EXPECT_THAT(b.m_listeners, ElementsAre("1/0/1", "1/0/1", "1/0/2", "1/300"));
  EXPECT_TRUE(a.m_listeners.empty());

  DropListeners(a);
  EXPECT_THAT(b.m_listeners, ElementsAre("1/0/2", "1/300"));
  EXPECT_TRUE(a.m_linkedAddresses.empty());

  // Destroying an item drops its entries as well.
  main.m_items.clear();
  EXPECT_THAT(b.m_listeners, ElementsAre("1/0/2"));
}

namespace {

class Recorder : public ItemLifecycle {
 public:
  void OnItemDestroying(GroupItem& item) override { destroyed.push_back(item.m_addressText); }
  std::vector<std::string> destroyed;
};

}  // namespace

TEST(Listeners, ClearingDestroysChildrenFirstAndKeepsLookupsSafe) {
  Recorder recorder;
  GroupNode root;
  root.m_lifecycle = &recorder;
  GroupNode& main1 = AddNode(root, "One", 1);
  GroupNode& middle = AddNode(main1, "Middle", 0);
  AddItem(main1, "1/900");
  GroupItem& inner = AddItem(middle, "1/0/1");
  GroupNode& main2 = AddNode(root, "Two", 2);
  GroupItem& two = AddItem(main2, "2/5");
  AddItem(root, "Failed Devices", "Array of Strings");
  // Links across nodes in both directions: each destroyed item looks the other one up.
  inner.m_linkedAddresses = {"2/5"};
  two.m_linkedAddresses = {"1/0/1"};
  BuildListeners(root);
  ASSERT_EQ(two.m_listeners.size(), 1u);

  root.Clear();
  EXPECT_THAT(recorder.destroyed, ElementsAre("1/0/1", "1/900", "2/5", "Failed Devices"));
  EXPECT_TRUE(root.m_children.empty());
  EXPECT_TRUE(root.m_items.empty());
}
