// Tests of the name indexes of group nodes: lookups after adding, renaming, taking out and
// erasing members, against the first-match rule of a walk through the list, and the count of
// changes that every one of them raises.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "project/change_item_type.h"
#include "project/equal_no_case.h"
#include "project/group_lookup.h"
#include "project/members_version.h"
#include "test_tree.h"

namespace {

// The member a walk through the list finds: the first of that name, case ignored.
template <typename T>
T* FirstByWalk(const NodeMembers<T>& members, std::string_view name) {
  for (const auto& m : members) {
    if (EqualNoCase(IndexedName(*m), name)) return m.get();
  }
  return nullptr;
}

}  // namespace

TEST(NodeMembers, DuplicatesAndRenamesKeepTheFirstInListOrder) {
  GroupNode root;
  GroupNode& hall = AddNode(root, "Hall", 1);
  GroupNode& hallUpper = AddNode(root, "HALL", 2);
  GroupNode& kitchen = AddNode(root,
                               "K\xFC"
                               "che",
                               3);  // "Küche"
  EXPECT_EQ(root.m_children.Find("hall"), &hall);
  EXPECT_EQ(root.m_children.Find("K\xDC"
                                 "CHE"),
            &kitchen);

  // The first "hall" renamed: the later one is found by that name now.
  hall.SetName("Lobby");
  EXPECT_EQ(root.m_children.Find("HaLL"), &hallUpper);
  EXPECT_EQ(root.m_children.Find("lobby"), &hall);

  // A later member renamed to an earlier one's name does not take its place ...
  kitchen.SetName("lobby");
  EXPECT_EQ(root.m_children.Find("LOBBY"), &hall);
  EXPECT_EQ(root.m_children.Find("k\xFC"
                                 "che"),
            nullptr);
  // ... but an earlier member renamed to a later one's name does.
  hall.SetName("hall");
  EXPECT_EQ(root.m_children.Find("Hall"), &hall);
  EXPECT_EQ(root.m_children.Find("lobby"), &kitchen);

  // Taking the found member out uncovers the next of that name; the taken one is gone.
  std::unique_ptr<GroupNode> taken = root.TakeChild(hall);
  ASSERT_EQ(taken.get(), &hall);
  EXPECT_EQ(taken->m_parent, &root);  // still points where it came from; the caller decides
  EXPECT_EQ(root.m_children.Find("hall"), &hallUpper);
  EXPECT_EQ(root.TakeChild(hall), nullptr);  // no longer a member
  EXPECT_EQ(root.m_children.size(), 2u);

  // Unique names follow the index as well.
  EXPECT_EQ(MakeUniqueNodeName("hall", root), "hall(1)");
  EXPECT_EQ(MakeUniqueNodeName("Hall", root), "Hall(1)");
  EXPECT_EQ(MakeUniqueNodeName("Attic", root), "Attic");
}

TEST(NodeMembers, RenamesRebuildItemIdsAndItemLookups) {
  GroupNode root;
  root.SetName("Project");
  GroupNode& ground = AddNode(root, "Ground floor", 1);
  GroupNode& lights = AddNode(ground, "Lights", 2);
  GroupItem& first = AddItem(lights, "1/2/3");
  GroupItem& twin = AddItem(lights, "1/2/3");  // the same address twice: the first is found
  GroupItem& other = AddItem(lights, "1/2/4");
  EXPECT_EQ(FindItemById(root, "ground floor.lights.1/2/3"), &first);

  // A renamed group: the items below it carry the new path and are found by it only.
  ground.SetName("Upstairs");
  EXPECT_EQ(first.m_itemId, "Upstairs.Lights.1/2/3");
  EXPECT_EQ(other.m_itemId, "Upstairs.Lights.1/2/4");
  EXPECT_EQ(FindItemById(root, "UPSTAIRS.LIGHTS.1/2/4"), &other);
  EXPECT_EQ(FindItemById(root, "Ground floor.Lights.1/2/4"), nullptr);
  // The root's name is no part of any item ID.
  root.SetName("Renamed");
  EXPECT_EQ(other.m_itemId, "Upstairs.Lights.1/2/4");

  // A new address for an item: its ID and sub number follow, and the twin takes over the old
  // address.
  first.SetAddressText("1/2/9");
  EXPECT_EQ(first.m_addressText, "1/2/9");
  EXPECT_EQ(first.m_subNumber, 9);
  EXPECT_EQ(first.m_itemId, "Upstairs.Lights.1/2/9");
  EXPECT_EQ(FindItemById(root, "Upstairs.Lights.1/2/9"), &first);
  EXPECT_EQ(FindItemById(root, "Upstairs.Lights.1/2/3"), &twin);
  EXPECT_EQ(FindItemByAddress(root, "1/2/9"), &first);

  // A type change leaves the item where it is found.
  ChangeItemType(other, 5, 0, nullptr);
  EXPECT_EQ(FindItemById(root, "upstairs.lights.1/2/4"), &other);

  // An item being made is not found before it is appended, even after a new address.
  std::unique_ptr<GroupItem> made =
      CreateGroupItem("1/2/7", "", "EIS 1 'Switching' (1 Bit)", kPriorityLow, lights, nullptr);
  made->SetAddressText("1/2/8");
  EXPECT_EQ(made->m_itemId, "Upstairs.Lights.1/2/8");
  EXPECT_EQ(FindItemById(root, "Upstairs.Lights.1/2/8"), nullptr);
  GroupItem& appended = lights.AppendItem(std::move(made));
  EXPECT_EQ(FindItemById(root, "Upstairs.Lights.1/2/8"), &appended);

  // Erasing through the list, singly and by a condition, and clearing.
  lights.m_items.erase(lights.m_items.begin() + 1);  // the twin
  EXPECT_EQ(FindItemById(root, "Upstairs.Lights.1/2/3"), nullptr);
  EXPECT_EQ(lights.m_items.EraseIf([](const auto& item) { return item->m_subNumber == 9; }), 1u);
  EXPECT_EQ(FindItemById(root, "Upstairs.Lights.1/2/9"), nullptr);
  EXPECT_EQ(FindItemById(root, "Upstairs.Lights.1/2/4"), &other);
  lights.m_items.clear();
  EXPECT_EQ(FindItemById(root, "Upstairs.Lights.1/2/4"), nullptr);
  EXPECT_EQ(FindItemById(root, "Upstairs.Lights.1/2/8"), nullptr);
}

// Random adds, renames, removals and erasures on names that collide in their case: after
// every step the index finds what a walk through the list finds, for every name.
TEST(NodeMembers, IndexAgreesWithAWalkThroughEveryChange) {
  std::vector<std::string> names = {"a", "A", "b", "B", "\xE9t\xE9", "\xC9T\xC9", "c"};
  // Enough names to make the table grow, wrap around and shift entries back on removal.
  for (int k = 0; k < 24; ++k) {
    names.push_back("x" + std::to_string(k));
    names.push_back("X" + std::to_string(k));
  }
  std::mt19937 random(17);
  auto pick = [&](std::size_t n) {
    return static_cast<std::size_t>(std::uniform_int_distribution<std::size_t>(0, n - 1)(random));
  };
  GroupNode root;
  GroupNode& node = AddNode(root, "Node", 1);
  for (int step = 0; step < 5000; ++step) {
    const std::string& name = names[pick(names.size())];
    const std::size_t op = pick(5);
    // Every change counts in MembersVersion, which caches of item lookups rely on.
    std::uint64_t version = MembersVersion();
    if (op <= 1 || node.m_items.empty()) {
      AddItem(node, name);
    } else if (op == 2) {
      node.m_items[pick(node.m_items.size())]->SetAddressText(name);
    } else if (op == 3) {
      node.TakeItem(*node.m_items[pick(node.m_items.size())]);
    } else {
      node.m_items.erase(node.m_items.begin() + static_cast<long>(pick(node.m_items.size())));
    }
    ASSERT_GT(MembersVersion(), version) << "step " << step;
    version = MembersVersion();
    const std::size_t children = node.m_children.size();
    if (op <= 1 || node.m_children.empty()) {
      AddNode(node, name, 2);
    } else if (op == 2) {
      node.m_children[pick(node.m_children.size())]->SetName(name);
    } else if (op == 3) {
      node.TakeChild(*node.m_children[pick(node.m_children.size())]);
    } else {
      node.m_children.EraseIf([&](const auto&) { return pick(4) == 0; });
    }
    if (op != 4 || node.m_children.size() != children) {
      ASSERT_GT(MembersVersion(), version) << "step " << step;
    }
    for (const std::string& n : names) {
      ASSERT_EQ(node.m_items.Find(n), FirstByWalk(node.m_items, n)) << "step " << step;
      ASSERT_EQ(node.m_children.Find(n), FirstByWalk(node.m_children, n)) << "step " << step;
    }
  }
}
