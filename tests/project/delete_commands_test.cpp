// Tests of deleting groups and items, the delete key's routing and the project statistics.
#include <gtest/gtest.h>

#include <vector>

#include "edit_test_helpers.h"
#include "project/delete_commands.h"

namespace {

using DeleteCommandsTest = EditTest;

TEST_F(DeleteCommandsTest, DeleteGroupAsksRefusesWhileHeldAndCounts) {
  CDORAzivazDoc& d = DemoDoc();
  // A main group of two middle groups with three items each.
  GroupNode& six = d.Root().AppendChild(CreateGroupNode("Six", 6, &d));
  for (int m = 0; m < 2; ++m) {
    GroupNode& middle = six.AppendChild(CreateGroupNode("M" + std::to_string(m), m, &d));
    for (int s = 1; s <= 3; ++s) {
      const std::string address = "6/" + std::to_string(m) + "/" + std::to_string(s);
      middle.AppendItem(CreateGroupItem(address, "", "EIS 1 'Switching' (1 Bit)", 3, middle, &d));
    }
  }
  d.Counters().mainGroups += 1;
  d.Counters().middleGroups += 2;
  d.Counters().groupAddresses += 6;
  const ProjectCounters before = d.Counters();
  const std::string dump = DumpProject(d);

  views.selected = &six;
  prompt.answer = PromptAnswer::No;
  EXPECT_TRUE(d.OnCommand(kCmdDeleteGroup));
  EXPECT_EQ(Messages(), std::vector<unsigned>{kStrDeleteQuestion});

  GroupItem& held = Item("6/1/2");
  held.AddRef();
  prompt.answer = PromptAnswer::Yes;
  prompt.records.clear();
  EXPECT_EQ(DeleteGroup(d, six), nullptr);
  EXPECT_EQ(Messages(), (std::vector<unsigned>{kStrDeleteQuestion, kStrGroupHeld}));
  EXPECT_EQ(DumpProject(d), dump);
  EXPECT_FALSE(d.IsModified());
  held.Release();

  const std::size_t mains = d.Root().m_children.size();
  EXPECT_NE(DeleteGroup(d, six), nullptr);
  EXPECT_EQ(d.Root().m_children.size(), mains - 1);
  EXPECT_EQ(d.Counters().mainGroups, before.mainGroups - 1);
  EXPECT_EQ(d.Counters().middleGroups, before.middleGroups - 2);
  EXPECT_EQ(d.Counters().groupAddresses, before.groupAddresses - 6);
  EXPECT_EQ(FindItemById(d.Root(), "Six.M1.6/1/2"), nullptr);
  EXPECT_EQ(views.nodesRemoved.back(), &six);
  EXPECT_TRUE(d.IsModified());

  // The last middle group of a main group: the main group gives its number back.
  GroupNode& central = Group("Central");
  ASSERT_EQ(central.m_children.size(), 1u);
  EXPECT_NE(DeleteGroup(d, *central.m_children[0]), nullptr);
  EXPECT_EQ(central.m_number, -1);
  EXPECT_EQ(DeleteGroup(d, d.Root()), nullptr);
  EXPECT_EQ(DeleteGroup(d, d.DevicesNode()), nullptr);
}

TEST_F(DeleteCommandsTest, DeleteItemsGivesEmptiedGroupsMinusOneAndRefusesWhileHeld) {
  CDORAzivazDoc& d = DemoDoc();
  GroupNode& spare = Group("First floor", "Heating");
  ASSERT_EQ(spare.m_items.size(), 1u);
  GroupNode& dimming = Group("Ground floor", "Dimming");
  const int addresses = d.Counters().groupAddresses;

  GroupItem& brightness = Item("1/2/3");
  GroupItem& status = Item("1/2/4");  // 1/2/3 links to it
  ASSERT_EQ(std::count(status.m_listeners.begin(), status.m_listeners.end(), "1/2/3"), 1);
  views.selectedItems = {&Item("1/2/1"), &brightness};
  status.AddRef();
  views.selectedItems.push_back(&status);
  EXPECT_TRUE(d.OnCommand(kCmdDeleteItems));
  EXPECT_EQ(Messages(), (std::vector<unsigned>{kStrDeleteItemsQuestion, kStrItemsHeld}));
  EXPECT_EQ(dimming.m_items.size(), 4u);
  status.Release();

  views.selectedItems.pop_back();
  EXPECT_TRUE(d.OnCommand(kCmdDeleteItems));
  EXPECT_EQ(dimming.m_items.size(), 2u);
  EXPECT_EQ(d.Counters().groupAddresses, addresses - 2);
  EXPECT_EQ(views.removed, views.selectedItems);
  EXPECT_EQ(std::count(status.m_listeners.begin(), status.m_listeners.end(), "1/2/3"), 0);
  EXPECT_EQ(dimming.m_number, 2);  // not empty yet

  // One item: the single question; the group and its main group (only this child) go to -1.
  GroupNode& byHand = d.Root().AppendChild(CreateGroupNode("Solo", 9, &d));
  GroupNode& only = byHand.AppendChild(CreateGroupNode("Only", 4, &d));
  GroupItem& last = only.AppendItem(CreateGroupItem("9/4/1", "", "Unknown", 3, only, &d));
  prompt.records.clear();
  EXPECT_NE(DeleteItems(d, std::vector<GroupItem*>{&last}), nullptr);
  EXPECT_EQ(Messages(), std::vector<unsigned>{kStrDeleteQuestion});
  EXPECT_EQ(only.m_number, -1);
  EXPECT_EQ(byHand.m_number, -1);
  EXPECT_FALSE(only.m_untypedMark);  // its untyped item went

  // The other middle groups of First floor keep it numbered.
  EXPECT_NE(DeleteItems(d, std::vector<GroupItem*>{spare.m_items[0].get()}), nullptr);
  EXPECT_EQ(spare.m_number, -1);
  EXPECT_EQ(Group("First floor").m_number, 2);
}

TEST_F(DeleteCommandsTest, DeleteKeyFollowsTheSelectionAndStatisticsCount) {
  CDORAzivazDoc& d = DemoDoc();
  int deviceDeletes = 0;
  d.SetCommand(kCmdDeleteDevices, [&] { ++deviceDeletes; });
  views.selected = &d.DevicesNode();
  EXPECT_TRUE(d.OnCommand(kCmdDelete));
  EXPECT_EQ(deviceDeletes, 1);

  GroupNode& lights = Group("First floor", "Lights");
  views.selected = &lights;
  views.selectedItems = {&Item("2/1/1")};
  EXPECT_TRUE(d.OnCommand(kCmdDelete));
  EXPECT_EQ(lights.m_items.size(), 2u);
  views.selectedItems.clear();
  EXPECT_TRUE(d.OnCommand(kCmdDelete));
  EXPECT_EQ(ChildNamed(Group("First floor"), "Lights"), nullptr);

  const ProjectStatistics s = Statistics(d);
  EXPECT_EQ(s.mainGroups, d.Counters().mainGroups);
  EXPECT_EQ(s.middleGroups, d.Counters().middleGroups);
  EXPECT_EQ(s.groupAddresses, d.Counters().groupAddresses);
  EXPECT_EQ(s.devices, static_cast<int>(d.Devices().Size()));
  EXPECT_GT(s.devices, 0);
}

}  // namespace
