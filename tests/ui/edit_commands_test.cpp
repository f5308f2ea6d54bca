// Tests of the editing commands through the main window on the demo project: the dialogs they
// open, what the views show afterwards, the refusals, and undo and redo through Edit.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>
#include <fstream>
#include <sstream>

#include "project/delete_commands.h"
#include "project/group_commands.h"
#include "project/link_commands.h"
#include "ui/group_address_box.h"
#include "ui/linked_addresses_box.h"
#include "ui/name_box.h"
#include "ui/statistics_dialog.h"
#include "window_fixture.h"

namespace {

constexpr unsigned kCmdTypeEis10 = 32792;
constexpr unsigned kCmdPriorityHighRows = 32810;

class EditCommandsTest : public WindowTest {
 protected:
  void SetUp() override {
    MakeWindow();
    ImportDemo();
  }

  // The project file as saved now.
  std::string Saved() {
    const std::string path = dir + "/saved.zlv";
    EXPECT_TRUE(doc->OnSaveDocument(path));
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
  }

  void Run(unsigned id) {
    frame->RunCommand(id);
    QApplication::processEvents();
  }

  // Selects the rows with the list in focus, as after a click on them.
  void SelectListRows(const std::vector<std::string>& addresses) {
    SelectRows(addresses);
    frame->List().setFocus();
  }

  static QTreeWidgetItem* Entry(GroupNode& node) {
    return static_cast<QTreeWidgetItem*>(node.m_treeItem);
  }

  static void EnterName(NameBox& box, const QString& name) {
    box.Edit().setText(name);
    box.accept();
  }
};

TEST_F(EditCommandsTest, NewGroupsComeAboveTheDevicesNodeAndTakeANewItem) {
  Select(doc->Root());
  const std::int32_t mainGroups = doc->Counters().mainGroups;
  // An empty name is refused with 32818 and the dialog stays open; "A.B" becomes "A_B".
  OnNextDialog<NameBox>([this](NameBox& box) {
    EnterName(box, "");
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(prompt.asked, std::vector<unsigned>{kStrEnterName});
    EnterName(box, "A.B");
  });
  Run(kCmdNewMainGroup);
  GroupNode& main = *doc->Root().m_children.back();
  EXPECT_EQ(main.m_name, "A_B");
  EXPECT_EQ(main.m_number, -1);
  EXPECT_EQ(doc->Counters().mainGroups, mainGroups + 1);
  QTreeWidgetItem* root = Entry(doc->Root());
  const int devicesRow = root->indexOfChild(Entry(doc->DevicesNode()));
  EXPECT_EQ(devicesRow, root->childCount() - 1);
  EXPECT_EQ(root->indexOfChild(Entry(main)), devicesRow - 1);
  EXPECT_EQ(frame->Tree().currentItem(), Entry(main));

  OnNextDialog<NameBox>([](NameBox& box) { EnterName(box, "Inner"); });
  Run(kCmdNewMiddleGroup);
  ASSERT_EQ(main.m_children.size(), 1u);
  GroupNode& middle = *main.m_children.front();
  Select(middle);

  // The new item: both numbers can be typed; the item's row appears in the list.
  EXPECT_TRUE(frame->CommandEnabled(kCmdNewGroupItem));
  OnNextDialog<GroupAddressBox>([](GroupAddressBox& box) {
    EXPECT_TRUE(box.MainEdit().isEnabled());
    EXPECT_TRUE(box.MiddleEdit().isEnabled());
    box.MainEdit().setText("6");
    box.MiddleEdit().setText("5");
    box.SubEdit().setText("9");
    box.NameEdit().setText("Probe");
    box.TypeBox().setCurrentText("EIS 1 'Switching' (1 Bit)");
    box.accept();
  });
  Run(kCmdNewGroupItem);
  ASSERT_EQ(middle.m_items.size(), 1u);
  EXPECT_EQ(middle.m_items.front()->m_addressText, "6/5/9");
  EXPECT_EQ(main.m_number, 6);
  EXPECT_EQ(Row("6/5/9"), 0);
  EXPECT_EQ(Cell(0, 1), "Probe");

  // Undo takes the item, then the middle group, then the main group back.
  const std::int32_t addresses = doc->Counters().groupAddresses;
  Run(kCmdEditUndo);
  EXPECT_TRUE(middle.m_items.empty());
  EXPECT_EQ(Row("6/5/9"), -1);
  EXPECT_EQ(doc->Counters().groupAddresses, addresses - 1);
  Run(kCmdEditUndo);
  Run(kCmdEditUndo);
  EXPECT_EQ(doc->Counters().mainGroups, mainGroups);
  EXPECT_EQ(root->childCount(), devicesRow);
  EXPECT_FALSE(frame->CommandEnabled(kCmdEditUndo));
  EXPECT_TRUE(frame->CommandEnabled(kCmdEditRedo));
}

TEST_F(EditCommandsTest, RenameGroupAndProjectThenUndoLeavesTheFileAsItWas) {
  const std::string before = Saved();
  GroupNode& ground = Group(1);
  Select(ground);
  OnNextDialog<NameBox>([](NameBox& box) {
    EXPECT_EQ(box.Edit().text(), "Ground floor");
    EnterName(box, "Downstairs");
  });
  Run(kCmdRenameGroup);
  EXPECT_EQ(Entry(ground)->text(0), "Downstairs");
  EXPECT_EQ(Item("1/2/3").m_itemId, "Downstairs.Dimming.1/2/3");

  Select(doc->Root());
  OnNextDialog<NameBox>([](NameBox& box) { EnterName(box, "Other house"); });
  Run(kCmdRenameProject);
  EXPECT_EQ(Entry(doc->Root())->text(0), "Other house");

  Run(kCmdEditUndo);
  Run(kCmdEditUndo);
  EXPECT_EQ(Entry(ground)->text(0), "Ground floor");
  EXPECT_EQ(Item("1/2/3").m_itemId, "Ground floor.Dimming.1/2/3");
  EXPECT_EQ(Saved(), before);
  Run(kCmdEditRedo);
  EXPECT_EQ(Item("1/2/3").m_itemId, "Downstairs.Dimming.1/2/3");
}

TEST_F(EditCommandsTest, ItemPropertiesRewriteTheRowAndUndoRestoresTheFile) {
  const std::string before = Saved();
  Select(Group(1, 2));
  SelectListRows({"1/2/3"});
  OnNextDialog<GroupAddressBox>([](GroupAddressBox& box) {
    box.SubEdit().setText("9");
    box.NameEdit().setText("Renamed");
    box.TypeBox().setCurrentText("EIS 6 'Scaling - percent' (8 Bit)");
    box.PriorityBox().setCurrentText("High");
    box.accept();
  });
  Run(kCmdItemProperties);
  const int row = Row("1/2/9");
  ASSERT_GE(row, 0);
  EXPECT_EQ(Cell(row, 1), "Renamed");
  EXPECT_EQ(Cell(row, 2), "EIS 6 'Scaling - percent' (8 Bit)");
  EXPECT_EQ(Cell(row, 6), "High");

  // Cancel changes nothing and leaves nothing to undo.
  SelectListRows({"1/2/9"});
  OnNextDialog<GroupAddressBox>([](GroupAddressBox& box) {
    box.NameEdit().setText("Not kept");
    box.reject();
  });
  Run(kCmdItemProperties);
  EXPECT_EQ(Item("1/2/9").m_name, "Renamed");

  Run(kCmdEditUndo);
  EXPECT_EQ(Row("1/2/9"), -1);
  EXPECT_EQ(Cell(Row("1/2/3"), 1), "Dining table brightness");
  EXPECT_EQ(Saved(), before);
}

TEST_F(EditCommandsTest, LinksDialogCancelChangesNothingOkStoresAscendingAndDropsStale) {
  GroupItem& x = Item("1/1/3");
  x.m_linkedAddresses = {"3/0/1", "9/9/9"};
  Select(Group(1, 1));
  SelectListRows({"1/1/3"});
  OnNextDialog<LinkedAddressesBox>([this](LinkedAddressesBox& box) {
    box.Tree().setCurrentItem(box.EntryOf(Item("1/1/1")));
    box.AddSelected();
    box.reject();
  });
  Run(kCmdEditLinks);
  EXPECT_EQ(x.m_linkedAddresses, (std::vector<std::string>{"3/0/1", "9/9/9"}));

  const std::size_t listenersBefore = Item("1/1/1").m_listeners.size();
  OnNextDialog<LinkedAddressesBox>([this](LinkedAddressesBox& box) {
    box.Tree().setCurrentItem(box.EntryOf(Item("2/1/1")));
    box.AddSelected();
    box.Tree().setCurrentItem(box.EntryOf(Item("1/1/1")));
    box.AddSelected();
    box.accept();
  });
  Run(kCmdEditLinks);
  EXPECT_EQ(x.m_linkedAddresses, (std::vector<std::string>{"1/1/1", "2/1/1", "3/0/1"}));
  EXPECT_EQ(Item("1/1/1").m_listeners.size(), listenersBefore + 1);
  EXPECT_EQ(Cell(Row("1/1/3"), 7), "1/1/1 2/1/1 3/0/1 ");

  Run(kCmdEditUndo);
  EXPECT_EQ(x.m_linkedAddresses, (std::vector<std::string>{"3/0/1", "9/9/9"}));
  EXPECT_EQ(Item("1/1/1").m_listeners.size(), listenersBefore);
}

TEST_F(EditCommandsTest, DeleteGroupAskedRefusedWhileAClientHoldsAnItemAndUndone) {
  const std::string before = Saved();
  const ProjectCounters counters = doc->Counters();
  GroupNode& ground = Group(1);
  Select(ground);

  // No keeps everything.
  prompt.answers = {PromptAnswer::No};
  Run(kCmdDeleteGroup);
  EXPECT_EQ(prompt.asked, std::vector<unsigned>{kStrDeleteQuestion});
  EXPECT_EQ(Group(1).m_name, "Ground floor");

  // A client holds 1/2/3: message 161, nothing deleted.
  GroupItem& held = Item("1/2/3");
  held.AddRef();
  prompt.asked.clear();
  prompt.answers = {PromptAnswer::Yes};
  Run(kCmdDeleteGroup);
  EXPECT_EQ(prompt.asked, (std::vector<unsigned>{kStrDeleteQuestion, kStrGroupHeld}));
  EXPECT_EQ(doc->Counters().groupAddresses, counters.groupAddresses);
  held.Release();

  prompt.answers = {PromptAnswer::Yes};
  Run(kCmdDeleteGroup);
  EXPECT_EQ(FindItemByAddress(doc->Root(), "1/2/3"), nullptr);
  EXPECT_EQ(doc->Counters().mainGroups, counters.mainGroups - 1);
  EXPECT_EQ(doc->Counters().middleGroups, counters.middleGroups - 4);

  // The statistics dialog shows the counters.
  OnNextDialog<StatisticsDialog>([this](StatisticsDialog& box) {
    EXPECT_EQ(box.FieldText(1011), QString::number(doc->Counters().mainGroups));
    EXPECT_EQ(box.FieldText(1013), QString::number(doc->Counters().groupAddresses));
    EXPECT_EQ(box.FieldText(1014), QString::number(doc->Devices().Size()));
    box.accept();
  });
  Run(kCmdStatistics);

  Run(kCmdEditUndo);
  EXPECT_NE(FindItemByAddress(doc->Root(), "1/2/3"), nullptr);
  EXPECT_EQ(doc->Counters().groupAddresses, counters.groupAddresses);
  EXPECT_EQ(Saved(), before);
}

TEST_F(EditCommandsTest, DeleteItemsTypeAndPriorityUndoRestoreTheFile) {
  const std::string before = Saved();
  Select(Group(1, 4));
  SelectListRows({"1/4/1"});
  Run(kCmdTypeEis10);
  SelectListRows({"1/4/1", "1/4/2"});
  Run(kCmdPriorityHighRows);
  EXPECT_EQ(Cell(Row("1/4/2"), 6), "High");

  const int rows = frame->List().Model().Count();
  SelectListRows({"1/4/2", "1/4/3"});
  prompt.answers = {PromptAnswer::Yes};
  prompt.asked.clear();
  Run(kCmdDeleteItems);
  EXPECT_EQ(prompt.asked, std::vector<unsigned>{kStrDeleteItemsQuestion});
  EXPECT_EQ(frame->List().Model().Count(), rows - 2);
  EXPECT_EQ(Row("1/4/2"), -1);

  Run(kCmdEditUndo);
  EXPECT_EQ(frame->List().Model().Count(), rows);
  Run(kCmdEditUndo);
  Run(kCmdEditUndo);
  EXPECT_EQ(Saved(), before);
  Run(kCmdEditRedo);
  EXPECT_EQ(Item("1/4/1").m_eis, 10);
}

TEST_F(EditCommandsTest, UndoAndRedoSitInTheEditMenuWithTheirKeys) {
  QAction* undo = frame->Action(kCmdEditUndo);
  QAction* redo = frame->Action(kCmdEditRedo);
  ASSERT_NE(undo, nullptr);
  ASSERT_NE(redo, nullptr);
  EXPECT_TRUE(undo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Z)));
  EXPECT_TRUE(redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
  EXPECT_FALSE(frame->CommandEnabled(kCmdEditUndo));
  // Opening another project forgets the edits of the last one.
  Select(doc->Root());
  OnNextDialog<NameBox>([](NameBox& box) { EnterName(box, "New"); });
  Run(kCmdNewMainGroup);
  EXPECT_TRUE(frame->CommandEnabled(kCmdEditUndo));
  prompt.answers = {PromptAnswer::No};  // do not save
  Run(kCmdFileNew);
  EXPECT_FALSE(frame->CommandEnabled(kCmdEditUndo));
}

TEST_F(EditCommandsTest, AnUndoThatWouldTakeAHeldItemIsRefusedAndStaysOnTheStack) {
  Select(Group(1, 2));
  OnNextDialog<GroupAddressBox>([](GroupAddressBox& box) {
    box.SubEdit().setText("9");
    box.accept();
  });
  Run(kCmdNewGroupItem);
  GroupItem& added = Item("1/2/9");
  added.AddRef();
  prompt.asked.clear();
  Run(kCmdEditUndo);
  EXPECT_EQ(prompt.asked, std::vector<unsigned>{kStrItemsHeld});
  EXPECT_EQ(FindItemByAddress(doc->Root(), "1/2/9"), &added);
  EXPECT_TRUE(frame->CommandEnabled(kCmdEditUndo));
  EXPECT_FALSE(frame->CommandEnabled(kCmdEditRedo));
  added.Release();
  Run(kCmdEditUndo);
  EXPECT_EQ(FindItemByAddress(doc->Root(), "1/2/9"), nullptr);
  EXPECT_EQ(Row("1/2/9"), -1);
  Run(kCmdEditRedo);
  EXPECT_GE(Row("1/2/9"), 0);
}

TEST_F(EditCommandsTest, GroupWideCommandsRewriteTheShownRows) {
  const std::int32_t imported = Item("1/2/3").m_priority;
  // The priority of every item below main group 1.
  GroupNode& ground = Group(1);
  Select(ground);
  Run(kCmdGroupPriorityHigh);
  for (const auto& middle : ground.m_children)
    for (const auto& item : middle->m_items) EXPECT_EQ(item->m_priority, kPriorityHigh);
  // On the middle group the list shows, its rows follow at once.
  Select(Group(1, 2));
  EXPECT_EQ(Cell(Row("1/2/3"), 6), "High");
  Run(kCmdGroupPrioritySystem);
  EXPECT_EQ(Cell(Row("1/2/3"), 6), "System");
  Run(kCmdGroupReadAtStart);
  EXPECT_EQ(Item("1/2/3").m_initialRead, 1);
  Run(kCmdEditUndo);
  EXPECT_EQ(Item("1/2/3").m_initialRead, 0);
  Run(kCmdEditUndo);
  EXPECT_EQ(Cell(Row("1/2/3"), 6), "High");
  Run(kCmdEditUndo);
  EXPECT_EQ(Item("1/2/3").m_priority, imported);
}

TEST_F(EditCommandsTest, DeleteKeyTakesTheListRowsOrTheTreeGroupByFocus) {
  Select(Group(1, 3));
  SelectListRows({"1/3/1"});
  prompt.answers = {PromptAnswer::Yes};
  Run(kCmdDelete);
  EXPECT_EQ(FindItemByAddress(doc->Root(), "1/3/1"), nullptr);
  EXPECT_NE(FindItemByAddress(doc->Root(), "1/3/2"), nullptr);

  SelectRows({"1/3/2"});
  frame->Tree().setFocus();
  if (!frame->Tree().hasFocus()) GTEST_SKIP() << "the platform gives no keyboard focus";
  prompt.answers = {PromptAnswer::Yes};
  Run(kCmdDelete);
  EXPECT_EQ(FindItemByAddress(doc->Root(), "1/3/2"), nullptr);
  EXPECT_EQ(Group(1).m_children.size(), 3u);
}

}  // namespace
