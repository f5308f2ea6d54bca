// Tests of taking edits back: after "edit, undo" the saved project file is the same byte for
// byte and the whole table is as before; redo makes the edit again; undoing what a client holds
// is refused; clearing the project makes old edits void.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "edit_test_helpers.h"
#include "project/delete_commands.h"
#include "project/eis_type_command.h"
#include "project/group_commands.h"
#include "project/item_commands.h"
#include "project/item_type_menu.h"
#include "project/link_commands.h"

namespace {

class UndoTest : public EditTest {
 protected:
  std::string Saved(const std::string& name) {
    EXPECT_TRUE(doc->StoreProject(Path(name)));
    return ReadFile(name);
  }
};

struct EditCase {
  const char* name;
  std::function<DocumentEditPtr()> make;
};

TEST_F(UndoTest, EveryEditUndoesToTheSameFileAndRedoesToTheSameTable) {
  CDORAzivazDoc& d = DemoDoc();
  const std::vector<EditCase> cases = {
      {"rename main group", [&] { return RenameGroup(d, Group("Ground floor"), "Erd.geschoss"); }},
      {"rename middle group",
       [&] { return RenameGroup(d, Group("First floor", "Lights"), "Blinds"); }},
      {"rename project", [&] { return RenameProject(d, "Villa"); }},
      {"new main group", [&] { return NewMainGroup(d, "Garden"); }},
      {"new middle group", [&] { return NewMiddleGroup(d, Group("Central"), "Scenes"); }},
      {"new item",
       [&] {
         views.selected = &Group("Ground floor", "Lights");
         dialog.edit = [](GroupAddressEntry& e) {
           e.sub = "9";
           e.typeText = "EIS 5 'Value' (2 Byte)";
         };
         return d.OnNewGroupItem();
       }},
      {"item properties",
       [&] {
         dialog.edit = [](GroupAddressEntry& e) {
           e.sub = "7";
           e.name = "Renamed";
           e.priorityText = "System";
           e.initialRead = true;
           e.typeText = "EIS 6 'Scaling - degree' (8 Bit)";
         };
         return d.OnItemProperties(Item("1/2/4"));
       }},
      {"type command",
       [&] {
         std::vector<GroupItem*> items{&Item("1/1/1"), &Item("1/1/2")};
         DocumentEditPtr undo;
         EXPECT_EQ(ApplyEisTypeCommand(d, items, kCmdTypeUntyped, nullptr, &undo), 2);
         return undo;
       }},
      {"priority command",
       [&] {
         std::vector<GroupItem*> items{&Item("2/1/1")};
         DocumentEditPtr undo;
         ApplyPriorityCommand(d, items, kCmdPriorityHigh, &undo);
         return undo;
       }},
      {"initial read toggle",
       [&] {
         std::vector<GroupItem*> items{&Item("2/1/1"), &Item("2/1/2")};
         DocumentEditPtr undo;
         ToggleInitialRead(d, items, &undo);
         return undo;
       }},
      {"group priority", [&] { return SetGroupPriority(d, d.Root(), kPriorityHigh); }},
      {"group initial read", [&] { return SetGroupInitialRead(d, Group("System"), true); }},
      {"links",
       [&] {
         std::vector<GroupItem*> chosen{&Item("2/1/1"), &Item("1/1/2")};
         return SetLinks(d, Item("1/1/3"), chosen);
       }},
      {"delete links",
       [&] {
         std::vector<GroupItem*> items{&Item("1/1/1"), &Item("1/1/3")};
         return DeleteLinks(d, items);
       }},
      {"delete main group", [&] { return DeleteGroup(d, Group("Central")); }},
      {"delete middle group", [&] { return DeleteGroup(d, Group("Ground floor", "Dimming")); }},
      {"delete items",
       [&] {
         std::vector<GroupItem*> items{&Item("3/0/1"), &Item("1/2/4"), &Item("2/4/1")};
         return DeleteItems(d, items);
       }},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(ImportEsfFile(d, DemoEsfPath(), nullptr), EsfImportResult::kImported);
    const std::string file = Saved("before.zlv");
    const std::string table = DumpProject(d);
    d.SetModifiedFlag(false);

    DocumentEditPtr edit = c.make();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(d.IsModified());
    const std::string edited = DumpProject(d);
    EXPECT_NE(edited, table);

    EXPECT_TRUE(edit->Undo());
    EXPECT_EQ(Saved("undone.zlv"), file);
    EXPECT_EQ(DumpProject(d), table);
    EXPECT_TRUE(edit->Redo());
    EXPECT_EQ(DumpProject(d), edited);
    EXPECT_TRUE(edit->Undo());
    EXPECT_EQ(DumpProject(d), table);
    dialog.edit = nullptr;
  }
}

TEST_F(UndoTest, EditsAfterEachOtherUndoInStackOrder) {
  CDORAzivazDoc& d = DemoDoc();
  const std::string file = Saved("before.zlv");
  const std::string table = DumpProject(d);
  std::vector<DocumentEditPtr> stack;
  stack.push_back(NewMainGroup(d, "Garden"));
  GroupNode& garden = *views.selected;
  stack.push_back(NewMiddleGroup(d, garden, "Lights"));
  views.selected = garden.m_children[0].get();
  dialog.edit = [](GroupAddressEntry& e) {
    e.main = "12";
    e.middle = "3";
    e.sub = "4";
  };
  stack.push_back(d.OnNewGroupItem());
  std::vector<GroupItem*> link{&Item("12/3/4")};
  stack.push_back(SetLinks(d, Item("1/1/3"), link));
  stack.push_back(RenameGroup(d, garden, "Yard"));
  stack.push_back(DeleteItems(d, link));
  stack.push_back(DeleteGroup(d, garden));
  for (const auto& e : stack) ASSERT_NE(e, nullptr);
  const std::string edited = DumpProject(d);

  for (auto e = stack.rbegin(); e != stack.rend(); ++e) EXPECT_TRUE((*e)->Undo());
  EXPECT_EQ(DumpProject(d), table);
  EXPECT_EQ(Saved("undone.zlv"), file);
  for (auto& e : stack) EXPECT_TRUE(e->Redo());
  EXPECT_EQ(DumpProject(d), edited);
  // The records of what is gone are dropped in any order without touching the live table.
  stack.clear();
  EXPECT_EQ(DumpProject(d), edited);
}

TEST_F(UndoTest, UndoThatWouldTakeOutAHeldItemIsRefused) {
  CDORAzivazDoc& d = DemoDoc();
  views.selected = &Group("Ground floor", "Lights");
  dialog.edit = [](GroupAddressEntry& e) { e.sub = "9"; };
  DocumentEditPtr added = d.OnNewGroupItem();
  ASSERT_NE(added, nullptr);
  GroupItem& item = Item("1/1/9");
  item.AddRef();
  const std::string table = DumpProject(d);
  EXPECT_FALSE(added->Undo());
  EXPECT_EQ(Messages(), std::vector<unsigned>{kStrItemsHeld});
  EXPECT_EQ(DumpProject(d), table);
  item.Release();
  EXPECT_TRUE(added->Undo());
  EXPECT_EQ(FindItemByAddress(d.Root(), "1/1/9"), nullptr);

  // A deleted group comes back; deleting it again waits until its client lets go.
  DocumentEditPtr deleted = DeleteGroup(d, Group("Central"));
  ASSERT_NE(deleted, nullptr);
  EXPECT_TRUE(deleted->Undo());
  GroupItem& allOff = Item("3/0/1");
  allOff.AddRef();
  prompt.records.clear();
  EXPECT_FALSE(deleted->Redo());
  EXPECT_EQ(Messages(), std::vector<unsigned>{kStrGroupHeld});
  EXPECT_NE(FindItemByAddress(d.Root(), "3/0/1"), nullptr);
  allOff.Release();
  EXPECT_TRUE(deleted->Redo());
  EXPECT_EQ(FindItemByAddress(d.Root(), "3/0/1"), nullptr);
}

TEST_F(UndoTest, ClearingTheProjectMakesEarlierEditsVoid) {
  CDORAzivazDoc& d = DemoDoc();
  DocumentEditPtr deleted = DeleteGroup(d, Group("Central"));
  ASSERT_NE(deleted, nullptr);
  ASSERT_TRUE(d.OnNewDocument());
  const std::string table = DumpProject(d);
  EXPECT_FALSE(deleted->Undo());
  EXPECT_FALSE(deleted->Redo());
  EXPECT_EQ(DumpProject(d), table);
  deleted.reset();
  EXPECT_EQ(DumpProject(d), table);
}

}  // namespace
