// Tests of the group commands and the link commands on the demo project.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit_test_helpers.h"
#include "project/group_commands.h"
#include "project/link_commands.h"

namespace {

using GroupCommandsTest = EditTest;

TEST_F(GroupCommandsTest, NewGroupsAreCleanedMadeUniqueCountedAndSelected) {
  CDORAzivazDoc& d = DemoDoc();
  std::vector<DocumentEditPtr> edits;
  d.SetEditSink([&](DocumentEditPtr e) { edits.push_back(std::move(e)); });
  const ProjectCounters before = d.Counters();
  const std::size_t mains = d.Root().m_children.size();

  names.name = "ground FLOOR";  // another case of an existing name
  EXPECT_TRUE(d.OnCommand(kCmdNewMainGroup));
  ASSERT_EQ(d.Root().m_children.size(), mains + 1);
  GroupNode& made = *d.Root().m_children.back();
  EXPECT_EQ(made.m_name, "ground FLOOR(1)");
  EXPECT_EQ(made.m_number, -1);
  EXPECT_EQ(views.selected, &made);
  EXPECT_EQ(views.nodesAdded.back(), &made);
  EXPECT_EQ(names.prompts, std::vector<unsigned>{kStrMainGroupNamePrompt});
  EXPECT_EQ(d.Counters().mainGroups, before.mainGroups + 1);
  EXPECT_TRUE(d.IsModified());
  ASSERT_EQ(edits.size(), 1u);

  names.name = "A.B.C";
  EXPECT_TRUE(d.OnCommand(kCmdNewMainGroup));
  EXPECT_EQ(d.Root().m_children.back()->m_name, "A_B_C");

  // A middle group goes last under the selected main group; never under a middle group.
  views.selected = &made;
  names.name = "Lights";
  EXPECT_TRUE(d.OnCommand(kCmdNewMiddleGroup));
  ASSERT_EQ(made.m_children.size(), 1u);
  EXPECT_EQ(made.m_children[0]->m_name, "Lights");
  EXPECT_EQ(d.Counters().middleGroups, before.middleGroups + 1);
  EXPECT_EQ(views.selected, made.m_children[0].get());
  // The new middle group is selected now: a further one needs its main group selected again.
  EXPECT_TRUE(d.OnCommand(kCmdNewMiddleGroup));
  EXPECT_EQ(made.m_children.size(), 1u);
  views.selected = &made;
  EXPECT_TRUE(d.OnCommand(kCmdNewMiddleGroup));
  ASSERT_EQ(made.m_children.size(), 2u);
  EXPECT_EQ(made.m_children[1]->m_name, "Lights(1)");
  EXPECT_EQ(NewMiddleGroup(d, *made.m_children[0], "Deeper"), nullptr);
  EXPECT_EQ(NewMainGroup(d, ""), nullptr);

  // Cancel changes nothing.
  names.name.reset();
  EXPECT_TRUE(d.OnCommand(kCmdNewMainGroup));
  EXPECT_EQ(d.Root().m_children.size(), mains + 2);
  EXPECT_EQ(edits.size(), 4u);
}

TEST_F(GroupCommandsTest, RenamesMoveTheItemIdsAtOnce) {
  CDORAzivazDoc& d = DemoDoc();
  GroupNode& ground = Group("Ground floor");
  GroupItem& ceiling = Item("1/1/1");
  EXPECT_EQ(ceiling.m_itemId, "Ground floor.Lights.1/1/1");

  views.selected = &ground;
  names.name = "Erd.geschoss";
  EXPECT_TRUE(d.OnCommand(kCmdRenameGroup));
  EXPECT_EQ(names.opened.back(), "Ground floor");
  EXPECT_EQ(names.prompts.back(), kStrGroupNamePrompt);
  EXPECT_EQ(ground.m_name, "Erd_geschoss");
  EXPECT_EQ(ceiling.m_itemId, "Erd_geschoss.Lights.1/1/1");
  EXPECT_EQ(FindItemById(d.Root(), "erd_geschoss.lights.1/1/1"), &ceiling);
  EXPECT_EQ(FindItemById(d.Root(), "Ground floor.Lights.1/1/1"), nullptr);
  EXPECT_TRUE(d.IsModified());

  // Its own name is no collision; a sibling's is.
  EXPECT_EQ(RenameGroup(d, ground, "Erd_geschoss"), nullptr);
  GroupNode& lights = Group("Erd_geschoss", "Lights");
  ASSERT_NE(RenameGroup(d, lights, "Dimming"), nullptr);
  EXPECT_EQ(lights.m_name, "Dimming(1)");
  EXPECT_EQ(ceiling.m_itemId, "Erd_geschoss.Dimming(1).1/1/1");
  EXPECT_EQ(RenameGroup(d, d.Root(), "X"), nullptr);
  EXPECT_EQ(RenameGroup(d, d.DevicesNode(), "X"), nullptr);

  names.name = "Villa";
  EXPECT_TRUE(d.OnCommand(kCmdRenameProject));
  EXPECT_EQ(names.opened.back(), "Demo House");
  EXPECT_EQ(d.Root().m_name, "Villa");
  EXPECT_EQ(ceiling.m_itemId, "Erd_geschoss.Dimming(1).1/1/1");
}

TEST_F(GroupCommandsTest, GroupPriorityInitialReadAndReadReachEveryItemBelow) {
  std::vector<GroupItem*> read;
  DocumentSeams seams;
  seams.queueRead = [&](CDORAzivazDoc&, GroupItem& item) { read.push_back(&item); };
  CDORAzivazDoc& d = MakeDoc(std::move(seams));
  ASSERT_EQ(ImportEsfFile(d, DemoEsfPath(), nullptr), EsfImportResult::kImported);
  d.SetModifiedFlag(false);
  GroupNode& ground = Group("Ground floor");
  const std::int32_t elsewhere = Item("2/1/1").m_priority;

  views.selected = &ground;
  EXPECT_TRUE(d.OnCommand(kCmdGroupPrioritySystem));
  int below = 0;
  for (const auto& middle : ground.m_children)
    for (const auto& item : middle->m_items) {
      EXPECT_EQ(item->m_priority, kPrioritySystem);
      ++below;
    }
  EXPECT_EQ(Item("2/1/1").m_priority, elsewhere);  // another main group
  EXPECT_TRUE(d.IsModified());

  EXPECT_TRUE(d.OnCommand(kCmdGroupReadAtStart));
  EXPECT_EQ(Item("1/4/3").m_initialRead, 1);
  EXPECT_EQ(Item("2/1/1").m_initialRead, 0);
  EXPECT_TRUE(d.OnCommand(kCmdGroupReadNoneAtStart));
  EXPECT_EQ(Item("1/4/3").m_initialRead, 0);

  // The special items under the root keep their fixed priority.
  views.selected = &d.Root();
  EXPECT_NE(SetGroupPriority(d, d.Root(), kPriorityLow), nullptr);
  EXPECT_EQ(d.FailedDevicesItem()->m_priority, kPriorityAlarm);
  EXPECT_EQ(SetGroupPriority(d, d.Root(), kPriorityLow), nullptr);  // nothing left to change

  views.selected = &ground;
  EXPECT_TRUE(d.OnCommand(kCmdReadGroup));
  ASSERT_EQ(static_cast<int>(read.size()), below);
  EXPECT_EQ(read.front(), ground.m_children[0]->m_items[0].get());  // children first
  views.selectedItems = {&Item("2/1/2"), &Item("2/1/1")};
  EXPECT_TRUE(d.OnCommand(kCmdReadItems));
  EXPECT_EQ(read.back(), &Item("2/1/1"));
  d.SetSimulationFlag(true);
  read.clear();
  EXPECT_TRUE(d.OnCommand(kCmdReadGroup));
  EXPECT_TRUE(read.empty());
}

TEST_F(GroupCommandsTest, LinksAreStoredAscendingAndStaleLinksDropped) {
  CDORAzivazDoc& d = DemoDoc();
  GroupItem& kitchen = Item("1/1/3");
  GroupItem& ceiling = Item("1/1/1");
  GroupItem& status = Item("1/1/2");
  GroupItem& allOff = Item("3/0/1");
  GroupItem& percent = Item("1/2/4");
  // The demo links 1/1/3 to 3/0/1.
  ASSERT_EQ(kitchen.m_linkedAddresses, std::vector<std::string>{"3/0/1"});
  ASSERT_EQ(std::count(allOff.m_listeners.begin(), allOff.m_listeners.end(), "1/1/3"), 1);

  EXPECT_TRUE(CanLink(kitchen, ceiling));
  EXPECT_FALSE(CanLink(kitchen, kitchen));
  EXPECT_FALSE(CanLink(kitchen, percent));
  EXPECT_FALSE(CanLink(kitchen, *d.FailedDevicesItem()));

  views.selectedItems = {&kitchen};
  links.chosen = std::vector<GroupItem*>{&allOff, &kitchen, &status, &percent, &ceiling};
  EXPECT_TRUE(d.OnCommand(kCmdEditLinks));
  ASSERT_EQ(links.opened.size(), 1u);
  EXPECT_EQ(links.opened[0].items, std::vector<GroupItem*>{&allOff});
  EXPECT_FALSE(links.opened[0].stale);
  EXPECT_EQ(kitchen.m_linkedAddresses, (std::vector<std::string>{"1/1/1", "1/1/2", "3/0/1"}));
  EXPECT_EQ(std::count(allOff.m_listeners.begin(), allOff.m_listeners.end(), "1/1/3"), 1);
  EXPECT_EQ(std::count(ceiling.m_listeners.begin(), ceiling.m_listeners.end(), "1/1/3"), 1);
  EXPECT_TRUE(d.IsModified());
  EXPECT_EQ(std::count(views.changed.begin(), views.changed.end(), &kitchen), 1);

  // A stale link (no item, or one of another type) is dropped by an OK without other changes.
  kitchen.m_linkedAddresses = {"1/1/1", "1/2/4", "9/9/9"};
  ceiling.m_listeners.clear();
  const CurrentLinks current = FindCurrentLinks(d.Root(), kitchen);
  EXPECT_EQ(current.items, std::vector<GroupItem*>{&ceiling});
  EXPECT_TRUE(current.stale);
  EXPECT_NE(SetLinks(d, kitchen, current.items), nullptr);
  EXPECT_EQ(kitchen.m_linkedAddresses, std::vector<std::string>{"1/1/1"});
  EXPECT_EQ(ceiling.m_listeners, std::vector<std::string>{"1/1/3"});
  EXPECT_EQ(SetLinks(d, kitchen, current.items), nullptr);  // unchanged

  // Cancel changes nothing.
  links.chosen.reset();
  EXPECT_TRUE(d.OnCommand(kCmdEditLinks));
  EXPECT_EQ(kitchen.m_linkedAddresses, std::vector<std::string>{"1/1/1"});

  // Deleting links: No keeps them, Yes drops them with the listeners.
  views.selectedItems = {&kitchen, &status};
  prompt.answer = PromptAnswer::No;
  EXPECT_TRUE(d.OnCommand(kCmdDeleteLinks));
  EXPECT_EQ(kitchen.m_linkedAddresses.size(), 1u);
  EXPECT_EQ(Messages(), std::vector<unsigned>{kStrDeleteLinksQuestion});
  prompt.answer = PromptAnswer::Yes;
  EXPECT_NE(DeleteLinks(d, views.selectedItems), nullptr);
  EXPECT_TRUE(kitchen.m_linkedAddresses.empty());
  EXPECT_TRUE(status.m_linkedAddresses.empty());
  EXPECT_TRUE(ceiling.m_listeners.empty());
}

}  // namespace
