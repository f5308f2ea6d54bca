// Tests of the list's type, priority and initial read commands and of the type menu's choice.
#include <gtest/gtest.h>

#include <vector>

#include "document_fixture.h"
#include "project/group_node.h"
#include "project/item_commands.h"
#include "project/item_type_menu.h"
#include "test_tree.h"

namespace {

TEST(ItemTypeMenu, OffersTheTypesOfTheSizeAndChecksTheSharedType) {
  GroupNode root;
  GroupNode& group = AddNode(root, "Group", 1);
  GroupItem& value = AddItem(group, "1/1", "EIS 5 'Value' (2 Byte)");
  GroupItem& counter = AddItem(group, "1/2", "EIS 10 '16Bit Counter' (2 Byte)");
  GroupItem& percent = AddItem(group, "1/3", "EIS 6 'Scaling - percent' (8 Bit)");
  GroupItem& degree = AddItem(group, "1/4", "EIS 6 'Scaling - degree' (8 Bit)");
  GroupItem& text = AddItem(group, "1/5", "EIS 15 'Character String' (14 Byte)");
  GroupItem& control = AddItem(group, "1/6", "EIS 8 'Priority - control' (2 Bit)");

  std::vector<GroupItem*> one{&value};
  ItemTypeMenu menu = ChooseItemTypeMenu(value, one);
  EXPECT_EQ(menu.offered, (std::vector<std::uint32_t>{32785, 32792, 32856}));
  EXPECT_EQ(menu.checked, 32785u);
  EXPECT_FALSE(menu.mixed);

  // Same size, different EIS numbers: the entries stay, nothing is checked.
  std::vector<GroupItem*> sixteen{&value, &counter};
  EXPECT_EQ(ChooseItemTypeMenu(counter, sixteen).checked, 0u);

  // EIS 6 needs the subtype too.
  std::vector<GroupItem*> sixes{&percent, &degree};
  EXPECT_EQ(ChooseItemTypeMenu(percent, sixes).checked, 0u);
  std::vector<GroupItem*> justDegree{&degree};
  EXPECT_EQ(ChooseItemTypeMenu(degree, justDegree).checked, 32787u);

  std::vector<GroupItem*> mixed{&value, &percent};
  menu = ChooseItemTypeMenu(value, mixed);
  EXPECT_TRUE(menu.mixed);
  EXPECT_EQ(menu.offered.size(), 19u);
  EXPECT_EQ(menu.checked, 0u);

  std::vector<GroupItem*> strings{&text};
  menu = ChooseItemTypeMenu(text, strings);
  EXPECT_EQ(menu.offered, (std::vector<std::uint32_t>{32797, 32856}));
  EXPECT_EQ(menu.checked, 32797u);

  std::vector<GroupItem*> twoBits{&control};
  EXPECT_EQ(ChooseItemTypeMenu(control, twoBits).checked, 32790u);
}

class ItemCommandsTest : public DocumentTest {};

TEST_F(ItemCommandsTest, TypeCommandRetypesOnlyDifferingItems) {
  CDORAzivazDoc& d = MakeDoc();
  GroupNode& group = AddNode(d.Root(), "Group", 1);
  GroupItem& a = AddItem(group, "1/1", "EIS 5 'Value' (2 Byte)");
  GroupItem& b = AddItem(group, "1/2", "EIS 10 '16Bit Counter' (2 Byte)");
  a.m_value = Variant::R4(1.5f);
  a.m_quality = OPC_QUALITY_GOOD;
  b.m_value = Variant::I4(7);
  b.m_quality = OPC_QUALITY_GOOD;
  d.SetModifiedFlag(false);

  std::vector<GroupItem*> both{&a, &b};
  EXPECT_EQ(ApplyEisTypeCommand(d, both, 32792, nullptr), 1);  // b is EIS 10 already
  EXPECT_EQ(a.m_eis, 10);
  EXPECT_TRUE(a.m_value.IsEmpty());
  EXPECT_EQ(a.m_quality, OPC_QUALITY_UNCERTAIN);
  EXPECT_EQ(b.m_quality, OPC_QUALITY_GOOD);  // untouched
  EXPECT_FALSE(b.m_value.IsEmpty());
  EXPECT_TRUE(d.IsModified());

  d.SetModifiedFlag(false);
  EXPECT_EQ(ApplyEisTypeCommand(d, both, 32792, nullptr), 0);
  EXPECT_FALSE(d.IsModified());
  EXPECT_EQ(ApplyEisTypeCommand(d, both, 12345, nullptr), 0);

  // Untyped also acts on an item that is untyped already, unless it has 112 bits (as every
  // item made untyped by the command has).
  EXPECT_EQ(ApplyEisTypeCommand(d, both, kCmdTypeUntyped, nullptr), 2);
  EXPECT_TRUE(group.m_untypedMark);
  EXPECT_EQ(b.m_size, 112);
  b.m_value = Variant::I4(3);
  EXPECT_EQ(ApplyEisTypeCommand(d, both, kCmdTypeUntyped, nullptr), 0);
  EXPECT_FALSE(b.m_value.IsEmpty());
  // An export's untyped item keeps its size on the bus: the command retypes it.
  b.m_size = 24;
  EXPECT_EQ(ApplyEisTypeCommand(d, both, kCmdTypeUntyped, nullptr), 1);
  EXPECT_TRUE(b.m_value.IsEmpty());
  EXPECT_EQ(b.m_size, 112);
}

TEST_F(ItemCommandsTest, PriorityAndInitialReadCommands) {
  CDORAzivazDoc& d = MakeDoc();
  GroupNode& group = AddNode(d.Root(), "Group", 1);
  GroupItem& a = AddItem(group, "1/1");
  GroupItem& b = AddItem(group, "1/2");
  std::vector<GroupItem*> both{&a, &b};
  EXPECT_EQ(CheckedPriorityCommand(both), kCmdPriorityLow);
  EXPECT_EQ(ApplyPriorityCommand(d, std::vector<GroupItem*>{&a}, kCmdPriorityHigh), 1);
  EXPECT_EQ(a.m_priority, kPriorityHigh);
  EXPECT_EQ(CheckedPriorityCommand(both), 0u);
  EXPECT_EQ(ApplyPriorityCommand(d, both, kCmdPriorityHigh), 1);
  EXPECT_EQ(ApplyPriorityCommand(d, both, 32813), 0);  // not a list priority command
  EXPECT_EQ(PriorityOfCommand(kCmdPriorityAlarm), kPriorityAlarm);
  EXPECT_EQ(PriorityOfCommand(kCmdPrioritySystem), kPrioritySystem);

  a.m_initialRead = 1;
  EXPECT_FALSE(AllReadAtStart(both));
  EXPECT_TRUE(ToggleInitialRead(d, both));
  EXPECT_EQ(b.m_initialRead, 1);
  EXPECT_FALSE(ToggleInitialRead(d, both));
  EXPECT_EQ(a.m_initialRead, 0);
  EXPECT_EQ(b.m_initialRead, 0);
}

}  // namespace
