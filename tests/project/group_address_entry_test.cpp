// Tests of the group address dialog's rules: opening, the checks of OK, and saving.
#include <gtest/gtest.h>

#include <string>

#include "edit_test_helpers.h"
#include "project/group_address_entry.h"
#include "test_tree.h"

namespace {

TEST(GroupAddressEntry, OpensTwoAndThreeLevelAddressesWithTheirEditableNumbers) {
  GroupNode root;
  GroupNode& five = AddNode(root, "Five", 5);
  GroupItem& twoLevel = AddItem(five, "5/1000");
  twoLevel.m_priority = kPriorityHigh;
  twoLevel.m_initialRead = 1;
  GroupAddressEntry entry = OpenGroupAddressEntry(twoLevel, false);
  EXPECT_TRUE(entry.twoLevel);
  EXPECT_EQ(entry.main, "5");
  EXPECT_EQ(entry.middle, "");
  EXPECT_EQ(entry.sub, "1000");
  EXPECT_FALSE(entry.mainEditable);
  EXPECT_EQ(entry.priorityText, "High");
  EXPECT_TRUE(entry.initialRead);

  GroupNode& byHand = AddNode(root, "Mine", -1);
  GroupNode& middle = AddNode(byHand, "Sub", -1);
  GroupItem& fresh = AddItem(middle, "0/0/");
  entry = OpenGroupAddressEntry(fresh, true);
  EXPECT_FALSE(entry.twoLevel);
  EXPECT_EQ(entry.middle, "0");
  EXPECT_TRUE(entry.mainEditable);
  EXPECT_TRUE(entry.middleEditable);
  EXPECT_TRUE(entry.isNew);

  EXPECT_EQ(ItemPriorityOfText("Low"), kPriorityLow);
  EXPECT_EQ(ItemPriorityOfText("Niedrig"), kPriorityAlarm);
}

// The check of `item`'s fields as opened, with main, middle and sub typed over (null: as
// opened).
unsigned CheckTyped(const GroupItem& item, bool isNew, const char* main, const char* middle,
                    const char* sub) {
  GroupAddressEntry entry = OpenGroupAddressEntry(item, isNew);
  if (main) entry.main = main;
  if (middle) entry.middle = middle;
  if (sub) entry.sub = sub;
  return CheckGroupAddressEntry(item, entry);
}

TEST(GroupAddressEntry, ChecksRangesInOrderAndUniquenessWhereverTheGroupStands) {
  GroupNode root;
  GroupNode& five = AddNode(root, "Five", 5);
  GroupItem& twoLevel = AddItem(five, "5/1000");
  AddItem(five, "5/7");
  // The middle group that holds the address is the second of its main group.
  GroupNode& one = AddNode(root, "One", 1);
  AddNode(one, "First", 0);
  GroupNode& second = AddNode(one, "Second", 2);
  GroupItem& a = AddItem(second, "1/2/3");
  AddItem(second, "1/2/4");
  // Numbers still to be typed.
  GroupNode& byHand = AddNode(root, "Mine", -1);
  GroupItem& fresh = AddItem(AddNode(byHand, "Sub", -1), "0/0/");

  struct Case {
    const GroupItem* item;
    bool isNew;
    const char* main;
    const char* middle;
    const char* sub;
    unsigned message;
  };
  const Case cases[] = {
      {&twoLevel, false, nullptr, nullptr, "2047", 0},
      {&twoLevel, false, nullptr, nullptr, "2048", kStrTwoLevelSubGroupRange},
      {&twoLevel, false, nullptr, nullptr, "", kStrTwoLevelSubGroupRange},
      {&twoLevel, false, nullptr, nullptr, "7", kStrAddressTaken},
      {&a, false, nullptr, nullptr, "256", kStrSubGroupRange},
      {&a, false, nullptr, nullptr, "-1", kStrSubGroupRange},
      {&a, false, nullptr, nullptr, "4", kStrAddressTaken},
      {&a, false, nullptr, nullptr, "5", 0},
      // Unchanged address (only the name may differ): no uniqueness check.
      {&a, false, nullptr, nullptr, nullptr, 0},
      // Main is checked before middle; a main number of another group is taken.
      {&fresh, true, "32", "8", "1", kStrMainGroupRange},
      {&fresh, true, "-3", "8", "1", kStrMainGroupRange},
      {&fresh, true, "", "8", "1", kStrMainGroupRange},
      {&fresh, true, "31", "8", "1", kStrMiddleGroupRange},
      {&fresh, true, "31", "7", "1", 0},
      {&fresh, true, "1", "7", "1", kStrAddressTaken},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckTyped(*c.item, c.isNew, c.main, c.middle, c.sub), c.message)
        << c.item->m_addressText << " " << (c.main ? c.main : "-") << "/"
        << (c.middle ? c.middle : "-") << "/" << (c.sub ? c.sub : "-");
  }
}

using GroupAddressSaveTest = EditTest;

TEST_F(GroupAddressSaveTest, PropertiesSaveAddressNameTypePriorityAndFollowLinks) {
  CDORAzivazDoc& d = DemoDoc();
  GroupItem& kitchen = Item("1/1/3");  // links to 3/0/1
  GroupItem& allOff = Item("3/0/1");
  kitchen.m_value = Variant::Bool(true);
  kitchen.m_quality = OPC_QUALITY_GOOD;
  views.selectedItems = {&kitchen};
  dialog.edit = [](GroupAddressEntry& e) {
    e.sub = "9";
    e.name = "Kitchen";
    e.priorityText = "High";
    e.initialRead = true;
  };
  EXPECT_TRUE(d.OnCommand(kCmdItemProperties));
  EXPECT_FALSE(dialog.opened.back().isNew);
  EXPECT_EQ(kitchen.m_addressText, "1/1/9");
  EXPECT_EQ(kitchen.m_subNumber, 9);
  EXPECT_EQ(kitchen.m_itemId, "Ground floor.Lights.1/1/9");
  EXPECT_EQ(kitchen.m_name, "Kitchen");
  EXPECT_EQ(kitchen.m_priority, kPriorityHigh);
  EXPECT_EQ(kitchen.m_initialRead, 1);
  EXPECT_EQ(kitchen.m_quality, OPC_QUALITY_GOOD);  // the type stayed
  // The link target hears the item under its new address.
  EXPECT_EQ(std::count(allOff.m_listeners.begin(), allOff.m_listeners.end(), "1/1/9"), 1);
  EXPECT_EQ(std::count(allOff.m_listeners.begin(), allOff.m_listeners.end(), "1/1/3"), 0);
  EXPECT_TRUE(d.IsModified());

  dialog.edit = [](GroupAddressEntry& e) { e.typeText = "EIS 5 'Value' (2 Byte)"; };
  d.SetModifiedFlag(false);
  EXPECT_TRUE(d.OnCommand(kCmdItemProperties));
  EXPECT_EQ(kitchen.m_eis, 5);
  EXPECT_TRUE(kitchen.m_value.IsEmpty());
  EXPECT_EQ(kitchen.m_quality, OPC_QUALITY_UNCERTAIN);
  EXPECT_TRUE(d.IsModified());

  // Unchanged fields change nothing; Cancel neither.
  dialog.edit = nullptr;
  d.SetModifiedFlag(false);
  EXPECT_TRUE(d.OnCommand(kCmdItemProperties));
  dialog.ok = false;
  EXPECT_TRUE(d.OnCommand(kCmdItemProperties));
  EXPECT_FALSE(d.IsModified());
}

TEST_F(GroupAddressSaveTest, NewItemInGroupsMadeByHandTypesBothNumbers) {
  CDORAzivazDoc& d = DemoDoc();
  GroupNode& main = d.Root().AppendChild(CreateGroupNode("Mine", -1, &d));
  GroupNode& middle = main.AppendChild(CreateGroupNode("Sub", -1, &d));
  views.selected = &middle;
  dialog.edit = [](GroupAddressEntry& e) {
    e.main = "7";
    e.middle = "5";
    e.sub = "12";
    e.typeText = "EIS 1 'Switching' (1 Bit)";
  };
  const int before = d.Counters().groupAddresses;
  EXPECT_TRUE(d.OnCommand(kCmdNewGroupItem));
  EXPECT_EQ(dialog.proposed.back(), "0/0/");
  EXPECT_TRUE(dialog.opened.back().mainEditable && dialog.opened.back().middleEditable);
  ASSERT_EQ(middle.m_items.size(), 1u);
  GroupItem& item = *middle.m_items[0];
  EXPECT_EQ(main.m_number, 7);
  EXPECT_EQ(middle.m_number, 5);
  EXPECT_EQ(item.m_addressText, "7/5/12");
  EXPECT_EQ(item.m_itemId, "Mine.Sub.7/5/12");
  EXPECT_EQ(item.m_eis, 1);
  EXPECT_FALSE(middle.m_untypedMark);
  EXPECT_EQ(FindItemByAddress(d.Root(), "7/5/12"), &item);
  EXPECT_EQ(d.Counters().groupAddresses, before + 1);

  // A second item there: the numbers are fixed now, the same address is refused.
  dialog.edit = [](GroupAddressEntry& e) { e.sub = "12"; };
  EXPECT_TRUE(d.OnCommand(kCmdNewGroupItem));
  EXPECT_EQ(dialog.proposed.back(), "7/5/");
  EXPECT_FALSE(dialog.opened.back().mainEditable || dialog.opened.back().middleEditable);
  EXPECT_EQ(dialog.refusals, std::vector<unsigned>{kStrAddressTaken});
  EXPECT_EQ(middle.m_items.size(), 1u);

  // An item whose sub number stays 0 gets a whole address, not "7/5/".
  dialog.edit = nullptr;
  EXPECT_TRUE(d.OnCommand(kCmdNewGroupItem));
  ASSERT_EQ(middle.m_items.size(), 2u);
  EXPECT_EQ(middle.m_items[1]->m_addressText, "7/5/0");
}

}  // namespace
