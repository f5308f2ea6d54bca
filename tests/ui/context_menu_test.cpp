// Tests of the context menus: trimming, check marks and disabled entries, and their commands.
#include <QAction>
#include <QMenu>
#include <algorithm>

#include "project/eis_type_command.h"
#include "project/item_commands.h"
#include "ui/list_texts.h"
#include "ui/menu_builder.h"
#include "window_fixture.h"

namespace {

// The command identifiers of a menu's entries in order (0 for separators).
std::vector<unsigned> Commands(const QMenu& menu) {
  std::vector<unsigned> ids;
  for (QAction* action : menu.actions())
    ids.push_back(action->isSeparator() ? 0 : action->data().toUInt());
  return ids;
}

std::vector<unsigned> Checked(const QMenu& menu) {
  std::vector<unsigned> ids;
  for (QAction* action : menu.actions()) {
    if (action->isChecked()) ids.push_back(action->data().toUInt());
  }
  return ids;
}

class ContextMenuTest : public WindowTest {
 protected:
  void SetUp() override {
    MakeWindow();
    ImportDemo();
    Select(Group(1, 4));  // 1/4/1, 1/4/2: EIS 5 (16 bits); 1/4/3: EIS 6 (8 bits); 1/4/4: 1 bit
  }
  std::unique_ptr<QMenu> MenuAt(const std::string& address, int column) {
    return frame->List().ContextMenu(Row(address), column);
  }
};

TEST_F(ContextMenuTest, TypeMenuOffersTheTypesOfTheItemsSize) {
  SelectRows({"1/4/1"});
  auto menu = MenuAt("1/4/1", kColType);
  ASSERT_TRUE(menu);
  EXPECT_EQ(Commands(*menu), (std::vector<unsigned>{32785, 32792, 0, 32856}));
  EXPECT_EQ(Checked(*menu), std::vector<unsigned>{32785});

  // Two 16-bit items of one type keep the check; the 8-bit one with them: everything, no check.
  SelectRows({"1/4/1", "1/4/2"});
  menu = MenuAt("1/4/2", kColType);
  EXPECT_EQ(Checked(*menu), std::vector<unsigned>{32785});
  SelectRows({"1/4/1", "1/4/3"});
  menu = MenuAt("1/4/1", kColType);
  std::vector<unsigned> all;
  for (const EisTypeCommandEntry& e : EisTypeCommands()) {
    if (e.command != 32856) all.push_back(e.command);
  }
  std::vector<unsigned> offered = Commands(*menu);
  EXPECT_EQ(offered.size(), 19u);  // no separator, no untyped entry
  std::sort(offered.begin(), offered.end());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(offered, all);
  EXPECT_TRUE(Checked(*menu).empty());

  // EIS 6 percent: the 8-bit list with its own subtype checked.
  SelectRows({"1/4/3"});
  menu = MenuAt("1/4/3", kColType);
  EXPECT_EQ(Commands(*menu), (std::vector<unsigned>{32783, 32786, 32787, 32795, 32796, 0, 32856}));
  EXPECT_EQ(Checked(*menu), std::vector<unsigned>{32786});
}

TEST_F(ContextMenuTest, TypeCommandRetypesTheSelectedItems) {
  SelectRows({"1/4/1", "1/4/2"});
  GroupItem* first = frame->List().Model().ItemAt(Row("1/4/1"));
  first->m_value = Variant::R4(20.0f);
  first->m_quality = 0xC0;
  auto menu = MenuAt("1/4/1", kColType);
  QAction* eis10 = FindCommandAction(*menu, 32792);
  ASSERT_TRUE(eis10);
  ASSERT_TRUE(eis10->isEnabled());
  eis10->trigger();
  EXPECT_EQ(first->m_eis, 10);
  EXPECT_EQ(Cell(Row("1/4/1"), kColType).toStdString(), first->m_typeName);
  EXPECT_EQ(Cell(Row("1/4/1"), kColValue), "");
  EXPECT_EQ(Cell(Row("1/4/2"), kColQuality), "UNCERTAIN ");
  EXPECT_TRUE(doc->IsModified());

  // Untyped: the rows get the untyped mark, the tree's groups their overlay.
  SelectRows({"1/4/1"});
  FindCommandAction(*MenuAt("1/4/1", kColType), 32856)->trigger();
  EXPECT_EQ(first->m_eis, 0);
  EXPECT_EQ(ItemOverlay(*first), 1);
  EXPECT_EQ(TreeView::Overlay(*static_cast<QTreeWidgetItem*>(Group(1, 4).m_treeItem)), 1);
}

TEST_F(ContextMenuTest, ItemMenuDisablesSingleRowCommandsForSeveralRows) {
  SelectRows({"1/4/1"});
  auto menu = MenuAt("1/4/1", kColName);
  ASSERT_TRUE(menu);
  ASSERT_TRUE(FindCommandAction(*menu, 32862));
  EXPECT_TRUE(FindCommandAction(*menu, 32862)->isEnabled());
  EXPECT_FALSE(FindCommandAction(*menu, 32862)->isChecked());

  FindCommandAction(*menu, 32862)->trigger();  // read at project start: on
  EXPECT_EQ(frame->List().Model().ItemAt(Row("1/4/1"))->m_initialRead, 1);
  menu = MenuAt("1/4/1", kColName);
  EXPECT_TRUE(FindCommandAction(*menu, 32862)->isChecked());

  SelectRows({"1/4/1", "1/4/2"});
  menu = MenuAt("1/4/2", kColAddress);
  EXPECT_FALSE(FindCommandAction(*menu, 32847)->isEnabled());
  EXPECT_FALSE(FindCommandAction(*menu, 32776)->isEnabled());
  EXPECT_FALSE(FindCommandAction(*menu, 32862)->isChecked());  // 1/4/2 lacks the flag
  FindCommandAction(*menu, 32862)->trigger();                  // one lacks it: both get it
  EXPECT_EQ(frame->List().Model().ItemAt(Row("1/4/2"))->m_initialRead, 1);
  FindCommandAction(*MenuAt("1/4/2", kColAddress), 32862)->trigger();  // all have it: cleared
  EXPECT_EQ(frame->List().Model().ItemAt(Row("1/4/1"))->m_initialRead, 0);
  EXPECT_EQ(frame->List().Model().ItemAt(Row("1/4/2"))->m_initialRead, 0);

  // Devices: editing needs exactly one row.
  Select(doc->DevicesNode());
  doc->SetCommand(32852, [] {});
  frame->List().selectAll();
  menu = frame->List().ContextMenu(0, 0);
  ASSERT_TRUE(menu);
  EXPECT_FALSE(FindCommandAction(*menu, 32851)->isEnabled());
  EXPECT_TRUE(FindCommandAction(*menu, 32852)->isEnabled());   // a command with its handler
  EXPECT_FALSE(FindCommandAction(*menu, 32849)->isEnabled());  // no handler in this document
}

TEST_F(ContextMenuTest, PriorityAndLinkMenusFollowTheSelection) {
  ListView& list = frame->List();
  list.Model().ItemAt(Row("1/4/1"))->m_priority = kPriorityLow;
  list.Model().ItemAt(Row("1/4/2"))->m_priority = kPriorityLow;
  list.Model().ItemAt(Row("1/4/3"))->m_priority = kPriorityHigh;
  SelectRows({"1/4/1", "1/4/2"});
  auto menu = MenuAt("1/4/1", kColPriority);
  EXPECT_EQ(Checked(*menu), std::vector<unsigned>{32812});  // both Low
  FindCommandAction(*menu, 32808)->trigger();               // Alarm for both
  EXPECT_EQ(Cell(Row("1/4/1"), kColPriority), "Alarm");
  EXPECT_EQ(Cell(Row("1/4/2"), kColPriority), "Alarm");
  SelectRows({"1/4/1", "1/4/3"});
  EXPECT_TRUE(Checked(*MenuAt("1/4/1", kColPriority)).empty());

  // Links: 1/4/4 has linked addresses (3/0/3), 1/4/1 none.
  ASSERT_FALSE(frame->List().Model().ItemAt(Row("1/4/4"))->m_linkedAddresses.empty());
  SelectRows({"1/4/1", "1/4/4"});
  menu = MenuAt("1/4/1", kColLinks);
  EXPECT_FALSE(FindCommandAction(*menu, 32859)->isEnabled());
  EXPECT_EQ(Commands(*menu), (std::vector<unsigned>{32859, 32860}));
}

TEST_F(ContextMenuTest, TreeMenusDependOnTheNode) {
  TreeView& tree = frame->Tree();
  auto menu = tree.ContextMenu(doc->Root());
  ASSERT_TRUE(menu);
  EXPECT_TRUE(FindCommandAction(*menu, 32839));  // project menu
  // A main group with middle groups and no items of its own keeps 32841 and loses 32842.
  menu = tree.ContextMenu(Group(1));
  EXPECT_TRUE(FindCommandAction(*menu, 32841));
  EXPECT_FALSE(FindCommandAction(*menu, 32842));
  menu = tree.ContextMenu(Group(1, 4));
  EXPECT_FALSE(FindCommandAction(*menu, 32841));
  EXPECT_TRUE(FindCommandAction(*menu, 32842));
  EXPECT_TRUE(FindCommandAction(*menu, 32842)->isEnabled());  // the group address dialog

  doc->Settings().pingTime = 60;
  menu = tree.ContextMenu(doc->DevicesNode());
  EXPECT_EQ(Checked(*menu), std::vector<unsigned>{32829});
  doc->Settings().pingTime = 45;
  EXPECT_TRUE(Checked(*tree.ContextMenu(doc->DevicesNode())).empty());
}

}  // namespace
