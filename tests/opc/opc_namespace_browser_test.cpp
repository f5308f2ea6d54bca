// Tests of browsing the name space: moves, branch, leaf and flat enumerations, filters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "opc/opc_namespace_browser.h"
#include "opc/opc_server_callback.h"
#include "project_fixture.h"

namespace {

class BrowserTest : public ::testing::Test {
 protected:
  BrowserTest() : project(server), browser(server) {}

  std::vector<std::string> All() {
    std::vector<std::string> names;
    for (std::string name = browser.NextItemID(); !name.empty(); name = browser.NextItemID())
      names.push_back(name);
    return names;
  }
  std::vector<std::string> Browse(int type, const char* pattern = "", VARTYPE dataType = 0,
                                  std::uint32_t access = 0) {
    EXPECT_EQ(browser.BrowseItemIDs(type, pattern, dataType, access), 0);
    return All();
  }

  using Names = std::vector<std::string>;
  OpcServerCallback server;
  TestProject project;
  OpcNameSpaceBrowser browser;
};

TEST_F(BrowserTest, MovesBetweenNodes) {
  EXPECT_EQ(browser.QueryOrganization(), OPC_NS_HIERARCHIAL);
  EXPECT_STREQ(browser.NextItemID(), "");  // no enumeration yet
  EXPECT_EQ(browser.MoveUp(), 0);
  EXPECT_EQ(browser.MoveDown("Ground floor.Lights"), 0);  // one name, dots not split
  EXPECT_EQ(browser.MoveDown("Lights"), 0);               // not a child of the root
  EXPECT_EQ(browser.MoveDown(nullptr), 0);
  EXPECT_EQ(browser.MoveDown("GROUND floor"), 1);
  EXPECT_EQ(browser.MoveDown("lights"), 1);
  EXPECT_EQ(Browse(OPC_LEAF), (Names{"1/2/3", "1/2/4", "1/2/5", "1/2/6"}));
  EXPECT_EQ(browser.MoveUp(), 1);
  EXPECT_EQ(Browse(OPC_BRANCH), (Names{"Lights", "Heating"}));
  // A move starts the enumeration again.
  browser.BrowseItemIDs(OPC_BRANCH, nullptr, 0, 0);
  EXPECT_STREQ(browser.NextItemID(), "Lights");
  EXPECT_EQ(browser.MoveUp(), 1);
  EXPECT_EQ(All(), (Names{"Ground floor", "Central"}));
  EXPECT_EQ(browser.MoveUp(), 0);
}

TEST_F(BrowserTest, BranchesPassByPatternOnly) {
  EXPECT_EQ(Browse(OPC_BRANCH, "", VT_BOOL, OPC_READABLE), (Names{"Ground floor", "Central"}));
  EXPECT_EQ(Browse(OPC_BRANCH, "x*"), Names{});
  EXPECT_EQ(Browse(OPC_BRANCH, "g*", VT_R4), (Names{"Ground floor"}));
  // After the end the enumeration keeps answering "" until it is reset.
  EXPECT_STREQ(browser.NextItemID(), "");
  browser.ResetEnumeration();
  EXPECT_STREQ(browser.NextItemID(), "Ground floor");
}

TEST_F(BrowserTest, LeavesPassByPatternTypeAndExactAccessRights) {
  EXPECT_EQ(Browse(OPC_LEAF), (Names{"Failed Devices", "Check Device"}));
  EXPECT_EQ(Browse(OPC_LEAF, "", 0, OPC_READABLE), (Names{"Failed Devices"}));
  EXPECT_EQ(Browse(OPC_LEAF, "", 0, OPC_WRITEABLE), (Names{"Check Device"}));
  EXPECT_EQ(Browse(OPC_LEAF, "", VT_BSTR), (Names{"Check Device"}));
  ASSERT_EQ(browser.MoveDown("Central"), 1);
  EXPECT_EQ(Browse(OPC_LEAF, "", VT_BOOL), (Names{"2/516"}));
  // Access rights compare for equality: 3 excludes the read-only item, 1 keeps only it.
  EXPECT_EQ(Browse(OPC_LEAF, "", 0, 3), (Names{"2/515"}));
  EXPECT_EQ(Browse(OPC_LEAF, "", VT_BOOL, 3), Names{});
  EXPECT_EQ(Browse(OPC_LEAF, "*6", 0, 0), (Names{"2/516"}));
  EXPECT_EQ(Browse(OPC_LEAF, "", VT_UI1, 0), (Names{"2/515"}));
  EXPECT_EQ(Browse(7), Names{});  // no such browse type
}

TEST_F(BrowserTest, FlatBrowseListsTheWholeProjectFromTheRoot) {
  ASSERT_EQ(browser.MoveDown("Ground floor"), 1);
  ASSERT_EQ(browser.MoveDown("Heating"), 1);
  const Names all = {"Failed Devices",
                     "Check Device",
                     "Ground floor.Lights.1/2/3",
                     "Ground floor.Lights.1/2/4",
                     "Ground floor.Lights.1/2/5",
                     "Ground floor.Lights.1/2/6",
                     "Ground floor.Heating.1/3/1",
                     "Central.2/515",
                     "Central.2/516"};
  EXPECT_EQ(Browse(OPC_FLAT), all);
  EXPECT_EQ(browser.MoveUp(), 0);  // the flat browse moved to the root
  EXPECT_EQ(Browse(OPC_FLAT, "Ground floor.*", VT_BOOL), (Names{"Ground floor.Lights.1/2/3"}));
  EXPECT_EQ(Browse(OPC_FLAT, "*1/2/?", VT_ARRAY | VT_UI1),
            (Names{"Ground floor.Lights.1/2/5", "Ground floor.Lights.1/2/6"}));
  EXPECT_EQ(Browse(OPC_FLAT, "", 0, OPC_READABLE), (Names{"Failed Devices", "Central.2/516"}));

  // The list is a snapshot: new items wait for the next flat browse, gone ones are skipped.
  browser.BrowseItemIDs(OPC_FLAT, "", 0, 0);
  TestProject::Add(*project.central, "2/517", "EIS 1 'Switching' (1 Bit)");
  project.lights->m_items.erase(project.lights->m_items.begin());
  Names snapshot = all;
  snapshot.erase(snapshot.begin() + 2);
  EXPECT_EQ(All(), snapshot);
  snapshot.push_back("Central.2/517");
  EXPECT_EQ(Browse(OPC_FLAT), snapshot);
}

TEST_F(BrowserTest, ItemIdsFromTheCurrentNode) {
  EXPECT_STREQ(browser.GetItemID("check DEVICE"), "check DEVICE");
  EXPECT_STREQ(browser.GetItemID("ground floor.lights.1/2/3"), "ground floor.lights.1/2/3");
  ASSERT_EQ(browser.MoveDown("Ground floor"), 1);
  // The current node's path, then the name exactly as given.
  EXPECT_STREQ(browser.GetItemID("LIGHTS.1/2/4"), "Ground floor.LIGHTS.1/2/4");
  EXPECT_STREQ(browser.GetItemID("Lights"), "");  // a node, no leaf
  EXPECT_STREQ(browser.GetItemID("1/2/4"), "");
  EXPECT_STREQ(browser.GetItemID("Check Device"), "");
  EXPECT_STREQ(browser.GetItemID(nullptr), "");
}

TEST_F(BrowserTest, NamesLongerThan255AreNeverCut) {
  const std::string longName(250, 'L');
  GroupNode& node = project.root.AppendChild(CreateGroupNode(longName, 5, nullptr));
  TestProject::Add(node, "5/1", "EIS 1 'Switching' (1 Bit)");    // ID of 254 characters
  TestProject::Add(node, "5/100", "EIS 1 'Switching' (1 Bit)");  // 256 characters
  const std::string tooLong(256, 'T');
  project.root.AppendChild(CreateGroupNode(tooLong, 6, nullptr));

  EXPECT_EQ(Browse(OPC_BRANCH), (Names{"Ground floor", "Central", longName}));
  const Names flat = Browse(OPC_FLAT);
  EXPECT_EQ(flat.back(), longName + ".5/1");
  EXPECT_EQ(flat.size(), 10u);
  EXPECT_EQ(browser.GetItemID((longName + ".5/1").c_str()), longName + ".5/1");
  EXPECT_STREQ(browser.GetItemID((longName + ".5/100").c_str()), "");
  ASSERT_EQ(browser.MoveDown(longName.c_str()), 1);
  EXPECT_STREQ(browser.GetItemID("5/100"), "");
  EXPECT_EQ(Browse(OPC_LEAF), (Names{"5/1", "5/100"}));  // the leaf names are short
}

TEST_F(BrowserTest, SurvivesTheProjectBeingCleared) {
  ASSERT_EQ(browser.MoveDown("Ground floor"), 1);
  ASSERT_EQ(browser.MoveDown("Lights"), 1);
  browser.BrowseItemIDs(OPC_LEAF, "", 0, 0);
  EXPECT_STREQ(browser.NextItemID(), "1/2/3");
  project.root.Clear();
  // The node it stood on is gone: the browser is back at the root, its enumeration ended.
  EXPECT_STREQ(browser.NextItemID(), "");
  EXPECT_EQ(browser.MoveUp(), 0);
  EXPECT_STREQ(browser.GetItemID("1/2/3"), "");
  GroupNode& fresh = project.root.AppendChild(CreateGroupNode("New", 1, nullptr));
  TestProject::Add(fresh, "1/1", "EIS 1 'Switching' (1 Bit)");
  EXPECT_EQ(Browse(OPC_FLAT), (Names{"New.1/1"}));
}

}  // namespace
