// Tests of creating items and of changing their type with the untyped marks.
#include <gtest/gtest.h>

#include <vector>

#include "project/change_item_type.h"
#include "project/group_table_view.h"
#include "test_tree.h"

namespace {

class FakeView : public GroupTableView {
 public:
  void RefreshItemType(GroupItem& item) override { items.push_back(&item); }
  void RefreshNodeMark(GroupNode& node) override { nodes.push_back(&node); }
  std::vector<GroupItem*> items;
  std::vector<GroupNode*> nodes;
};

}  // namespace

TEST(UntypedMarks, CreatingAnItemFillsItsFieldsAndMarksUntypedOnes) {
  GroupNode root;
  GroupNode& main = AddNode(root, "Main", 1);
  GroupNode& middle = AddNode(main, "Middle", 2);
  GroupItem& typed = AddItem(middle, "1/2/3", "EIS 5 'Value' (2 Byte)");
  EXPECT_EQ(typed.m_quality, OPC_QUALITY_UNCERTAIN);
  EXPECT_TRUE(typed.m_value.IsEmpty());
  EXPECT_EQ(typed.m_listRow, -1);
  EXPECT_EQ(typed.m_priority, kPriorityLow);
  EXPECT_NE(typed.m_timestamp.ticks, 0u);
  EXPECT_FALSE(typed.m_untypedMark);
  EXPECT_FALSE(middle.m_untypedMark || main.m_untypedMark || root.m_untypedMark);

  GroupItem& untyped = AddItem(middle, "1/2/4", "something else");
  EXPECT_EQ(untyped.m_typeName, "Unknown");
  EXPECT_TRUE(untyped.m_untypedMark);
  EXPECT_TRUE(middle.m_untypedMark && main.m_untypedMark && root.m_untypedMark);

  // Clearing the tree takes the root's mark with the items.
  root.Clear();
  EXPECT_FALSE(root.m_untypedMark);
}

TEST(UntypedMarks, TypingStopsAtTheFirstNodeThatStillHoldsAnUntypedItem) {
  GroupNode root;
  GroupNode& main = AddNode(root, "Main", 1);
  GroupNode& middleA = AddNode(main, "A", 1);
  GroupNode& middleB = AddNode(main, "B", 2);
  GroupItem& a1 = AddItem(middleA, "1/1/1", "Uncertain (1 Byte)");
  GroupItem& a2 = AddItem(middleA, "1/1/2", "2 Byte");
  GroupItem& b1 = AddItem(middleB, "1/2/1", "Unknown");

  FakeView view;
  ChangeItemType(a1, 1, 0, &view);  // a2 remains untyped in A
  EXPECT_EQ(a1.m_typeName, "EIS 1 'Switching' (1 Bit)");
  EXPECT_EQ(a1.m_eis, 1);
  EXPECT_FALSE(a1.m_untypedMark);
  EXPECT_TRUE(middleA.m_untypedMark);
  EXPECT_TRUE(view.nodes.empty());
  EXPECT_EQ(view.items, std::vector<GroupItem*>{&a1});

  ChangeItemType(a2, 5, 0, &view);  // A is clean; main still holds b1
  EXPECT_FALSE(middleA.m_untypedMark);
  EXPECT_TRUE(main.m_untypedMark && root.m_untypedMark);
  EXPECT_EQ(view.nodes, std::vector<GroupNode*>{&middleA});

  view.nodes.clear();
  ChangeItemType(b1, 6, 1, &view);  // the last untyped item: B, main and root are cleared
  EXPECT_EQ(b1.m_typeName, "EIS 6 'Scaling - percent' (8 Bit)");
  EXPECT_FALSE(middleB.m_untypedMark || main.m_untypedMark || root.m_untypedMark);
  EXPECT_EQ(view.nodes, (std::vector<GroupNode*>{&middleB, &main, &root}));

  // Back to untyped marks the row and every node up to the root.
  view.nodes.clear();
  ChangeItemType(a1, 0, 0, &view);
  EXPECT_EQ(a1.m_typeName, "Unknown");
  EXPECT_EQ(a1.m_size, 112);
  EXPECT_TRUE(a1.m_untypedMark);
  EXPECT_TRUE(middleA.m_untypedMark && main.m_untypedMark && root.m_untypedMark);
  EXPECT_FALSE(middleB.m_untypedMark);
  EXPECT_EQ(view.nodes, (std::vector<GroupNode*>{&middleA, &main, &root}));
}
