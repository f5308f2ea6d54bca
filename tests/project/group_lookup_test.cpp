// Tests of finding items by ID and by address, and of unique node names.
#include <gtest/gtest.h>

#include "project/group_lookup.h"
#include "project/item_id.h"
#include "test_tree.h"

namespace {

struct Project {
  GroupNode root;
  GroupNode* ground = nullptr;
  GroupNode* lights = nullptr;
  GroupNode* central = nullptr;
  GroupItem* light3 = nullptr;
  GroupItem* central515 = nullptr;
  GroupItem* special = nullptr;

  Project() {
    root.SetName("Project");
    ground = &AddNode(root, "Ground floor", 1);
    lights = &AddNode(*ground, "Lights", 2);
    AddItem(*lights, "1/2/1");
    light3 = &AddItem(*lights, "1/2/3");
    central = &AddNode(root, "Central", 4);
    central515 = &AddItem(*central, "4/515");
    special = &AddItem(root, "Failed Devices", "Array of Strings");
  }
};

}  // namespace

TEST(GroupLookup, ItemIdsArePathsWithoutTheRoot) {
  Project p;
  EXPECT_EQ(p.light3->m_itemId, "Ground floor.Lights.1/2/3");
  EXPECT_EQ(p.central515->m_itemId, "Central.4/515");
  EXPECT_EQ(p.special->m_itemId, "Failed Devices");
  EXPECT_EQ(p.light3->m_subNumber, 3);
  EXPECT_EQ(p.central515->m_subNumber, 515);
}

TEST(GroupLookup, FindByIdIgnoresCaseAndNeedsEveryNode) {
  Project p;
  EXPECT_EQ(FindItemById(p.root, "ground floor.lights.1/2/3"), p.light3);
  EXPECT_EQ(FindItemById(p.root, "GROUND FLOOR.LIGHTS.1/2/3"), p.light3);
  EXPECT_EQ(FindItemById(p.root, "Ground floor.1/2/3"), nullptr);
  EXPECT_EQ(FindItemById(p.root, "1/2/3"), nullptr);
  EXPECT_EQ(FindItemById(p.root, "Central.4/515"), p.central515);
  EXPECT_EQ(FindItemById(p.root, "failed devices"), p.special);
  EXPECT_EQ(FindItemById(p.root, "Ground floor.Lights.1/2/4"), nullptr);
  EXPECT_EQ(FindItemById(p.root, "Ground floor.Lights."), nullptr);
  EXPECT_EQ(FindItemById(p.root, ""), nullptr);

  // Windows-1252 letters fold too: "Küche" (0xFC) is found as "KÜCHE" (0xDC).
  GroupNode& kitchen = AddNode(p.root,
                               "K\xFC"
                               "che",
                               5);
  GroupItem& k = AddItem(kitchen, "5/1");
  EXPECT_EQ(FindItemById(p.root,
                         "K\xDC"
                         "CHE.5/1"),
            &k);
}

TEST(GroupLookup, FindByIdTakesTheFirstMatch) {
  GroupNode root;
  GroupNode& a = AddNode(root, "Hall", 1);
  GroupNode& b = AddNode(root, "HALL", 2);
  GroupItem& first = AddItem(a, "1/7");
  AddItem(a, "1/7");
  AddItem(b, "2/7");
  EXPECT_EQ(FindItemById(root, "hall.1/7"), &first);
  EXPECT_EQ(FindItemById(root, "HALL.2/7"), nullptr);  // "Hall" is matched first
}

TEST(GroupLookup, FindByAddressNeedsNumbersAndNeverReturnsRootItems) {
  Project p;
  EXPECT_EQ(FindItemByAddress(p.root, "1/2/3"), p.light3);
  EXPECT_EQ(FindItemByAddress(p.root, "4/515"), p.central515);
  EXPECT_EQ(FindItemByAddress(p.root, "1/3/3"), nullptr);  // no middle group 3
  EXPECT_EQ(FindItemByAddress(p.root, "1/2"), nullptr);    // main group 1 has no items
  EXPECT_EQ(FindItemByAddress(p.root, "2/2/3"), nullptr);
  EXPECT_EQ(FindItemByAddress(p.root, "0"), nullptr);  // root items are never found

  // A two-level text under a three-level group finds nothing.
  EXPECT_EQ(FindItemByAddress(p.root, "1/515"), nullptr);

  // Nodes numbered -1 never match, not even "-1".
  GroupNode& byHand = AddNode(p.root, "By hand", -1);
  AddItem(byHand, "-1/9");
  EXPECT_EQ(FindItemByAddress(p.root, "-1/9"), nullptr);

  // The lookup may start below the root.
  EXPECT_EQ(FindItemByAddress(*p.lights, "3"), p.light3);
}

TEST(GroupLookup, UniqueNodeNamesCountUp) {
  GroupNode root;
  GroupNode& main = AddNode(root, "Main", 1);
  EXPECT_EQ(MakeUniqueNodeName("Lights", main), "Lights");
  AddNode(main, MakeUniqueNodeName("Lights", main), 1);
  EXPECT_EQ(MakeUniqueNodeName("Lights", main), "Lights(1)");
  AddNode(main, MakeUniqueNodeName("Lights", main), 2);
  EXPECT_EQ(MakeUniqueNodeName("Lights", main), "Lights(2)");
  // Lookups ignore case, so names do too: "lights" beside "Lights" would alias it.
  EXPECT_EQ(MakeUniqueNodeName("lights", main), "lights(2)");
  EXPECT_EQ(MakeUniqueNodeName("LIGHTS(1)", main), "LIGHTS(1)(1)");
  AddNode(main, "\xD6l", 3);  // "Öl": Windows-1252 letters count as well
  EXPECT_EQ(MakeUniqueNodeName("\xF6l", main), "\xF6l(1)");
  EXPECT_EQ(MakeUniqueNodeName("Licht", main), "Licht");  // a unique name stays as it is
  EXPECT_EQ(NodePath(main.m_children[1].operator*()), "Main.Lights(1).");

  // An empty name is numbered from "(1)", so that no group is nameless.
  EXPECT_EQ(MakeUniqueNodeName("", main), "(1)");
  AddNode(main, MakeUniqueNodeName("", main), 4);
  EXPECT_EQ(MakeUniqueNodeName("", main), "(2)");
}
