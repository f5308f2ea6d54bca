// Tests of the group address dialog on the demo project: its fields, the messages of OK's
// checks (the dialog then stays open) and the entry it confirms.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "project/eis_type.h"
#include "project/group_address_entry.h"
#include "ui/group_address_box.h"
#include "window_fixture.h"

namespace {

class GroupAddressBoxTest : public WindowTest {
 protected:
  void SetUp() override {
    MakeWindow();
    ImportDemo();
  }

  // A main group numbered `number` (-1: none yet) under the root with one middle group
  // numbered `middle` (none for -2), and an item of `address` in the lowest of them.
  GroupItem& MakeGroup(std::int32_t number, std::int32_t middle, const std::string& address) {
    GroupNode& main = doc->Root().AppendChild(CreateGroupNode("Extra", number, doc.get()));
    GroupNode* node = &main;
    if (middle != -2) node = &main.AppendChild(CreateGroupNode("Inner", middle, doc.get()));
    return node->AppendItem(CreateGroupItem(address, "Probe", "EIS 1 'Switching' (1 Bit)",
                                            kPriorityLow, *node, doc.get()));
  }

  // Presses OK; true when the dialog accepted.
  static bool PressOk(GroupAddressBox& box) {
    box.setResult(QDialog::Rejected);
    box.accept();
    return box.result() == QDialog::Accepted;
  }
};

TEST_F(GroupAddressBoxTest, OpensWithTheItemsFieldsAndConfirmsWhatWasTyped) {
  GroupItem& item = Item("1/2/3");
  item.m_initialRead = 1;
  item.m_priority = kPriorityHigh;
  GroupAddressBox box(item, OpenGroupAddressEntry(item, false), prompt);
  EXPECT_EQ(box.MainEdit().text(), "1");
  EXPECT_EQ(box.MiddleEdit().text(), "2");
  EXPECT_EQ(box.SubEdit().text(), "3");
  EXPECT_FALSE(box.MainEdit().isEnabled());
  EXPECT_FALSE(box.MiddleEdit().isEnabled());
  EXPECT_EQ(box.NameEdit().text(), "Dining table brightness");
  EXPECT_EQ(box.TypeBox().currentText(), "EIS 2 'Dimming - value' (8 Bit)");
  EXPECT_EQ(box.PriorityBox().currentText(), "High");
  EXPECT_TRUE(box.InitialReadBox().isChecked());
  // The type list is the dialog's, with "Unknown" last.
  EXPECT_EQ(box.TypeBox().itemText(box.TypeBox().count() - 1), "Unknown");

  // OK as opened: the item's own address is no collision.
  EXPECT_TRUE(PressOk(box));
  EXPECT_TRUE(prompt.asked.empty());

  box.SubEdit().setText(" 9 ");
  box.NameEdit().setText("Renamed");
  box.TypeBox().setCurrentText("EIS 5 'Value' (2 Byte)");
  box.PriorityBox().setCurrentText("System");
  box.InitialReadBox().setChecked(false);
  EXPECT_TRUE(PressOk(box));
  const GroupAddressEntry entry = box.Entry();
  EXPECT_EQ(entry.sub, "9");
  EXPECT_EQ(entry.name, "Renamed");
  EXPECT_EQ(entry.typeText, "EIS 5 'Value' (2 Byte)");
  EXPECT_EQ(entry.priorityText, "System");
  EXPECT_FALSE(entry.initialRead);
  EXPECT_EQ(item.m_name, "Dining table brightness") << "the dialog changes nothing itself";
}

TEST_F(GroupAddressBoxTest, RangeAndUniquenessMessagesKeepTheDialogOpen) {
  // Three levels: 256 is out of range, so is a text that is no unsigned number.
  {
    GroupItem& item = Item("1/2/3");
    GroupAddressBox box(item, OpenGroupAddressEntry(item, false), prompt);
    for (const char* text : {"256", "-1", "", "x"}) {
      box.SubEdit().setText(text);
      EXPECT_FALSE(PressOk(box)) << text;
    }
    EXPECT_EQ(prompt.asked, std::vector<unsigned>(4, kStrSubGroupRange));
    // 1/2/1 belongs to another item of the middle group; 1/2/9 is free.
    prompt.asked.clear();
    box.SubEdit().setText("1");
    EXPECT_FALSE(PressOk(box));
    EXPECT_EQ(prompt.asked, std::vector<unsigned>{kStrAddressTaken});
    box.SubEdit().setText("9");
    EXPECT_TRUE(PressOk(box));
  }
  // Two levels: the middle field is empty and disabled; 2047 fits, 2048 does not.
  prompt.asked.clear();
  GroupItem& twoLevel = MakeGroup(5, -2, "5/1000");
  GroupAddressBox box(twoLevel, OpenGroupAddressEntry(twoLevel, false), prompt);
  EXPECT_TRUE(box.MiddleEdit().text().isEmpty());
  EXPECT_FALSE(box.MiddleEdit().isEnabled());
  box.SubEdit().setText("2048");
  EXPECT_FALSE(PressOk(box));
  EXPECT_EQ(prompt.asked, std::vector<unsigned>{kStrTwoLevelSubGroupRange});
  box.SubEdit().setText("2047");
  EXPECT_TRUE(PressOk(box));
}

TEST_F(GroupAddressBoxTest, UniquenessFindsTheMiddleGroupWhereverItStands) {
  // The first and the last middle group of main group 1.
  for (const auto& [address, taken] : {std::pair{"1/1/3", "1"}, std::pair{"1/4/1", "2"}}) {
    prompt.asked.clear();
    GroupItem& item = Item(address);
    GroupAddressBox box(item, OpenGroupAddressEntry(item, false), prompt);
    box.SubEdit().setText(taken);
    EXPECT_FALSE(PressOk(box)) << address;
    EXPECT_EQ(prompt.asked, std::vector<unsigned>{kStrAddressTaken}) << address;
  }
}

TEST_F(GroupAddressBoxTest, NumbersOfUnnumberedGroupsCanBeTyped) {
  GroupItem& item = MakeGroup(-1, -1, "0/0/");
  GroupAddressBox box(item, OpenGroupAddressEntry(item, true), prompt);
  EXPECT_TRUE(box.MainEdit().isEnabled());
  EXPECT_TRUE(box.MiddleEdit().isEnabled());
  // Main 32 and middle 8 are out of range; main 1 is taken by "Ground floor".
  box.MainEdit().setText("32");
  EXPECT_FALSE(PressOk(box));
  box.MainEdit().setText("6");
  box.MiddleEdit().setText("8");
  EXPECT_FALSE(PressOk(box));
  box.MainEdit().setText("1");
  box.MiddleEdit().setText("5");
  EXPECT_FALSE(PressOk(box));
  EXPECT_EQ(prompt.asked,
            (std::vector<unsigned>{kStrMainGroupRange, kStrMiddleGroupRange, kStrAddressTaken}));
  box.MainEdit().setText("6");
  box.SubEdit().setText("0");
  EXPECT_TRUE(PressOk(box));
  const GroupAddressEntry entry = box.Entry();
  EXPECT_EQ(entry.main, "6");
  EXPECT_EQ(entry.middle, "5");
  EXPECT_EQ(entry.sub, "0");
}

TEST_F(GroupAddressBoxTest, ATypeTheListLacksIsOfferedAndKept) {
  GroupItem& item = Item("1/2/3");
  SetTypeFromEsf(item, "EIS 8 'Scaling - control' (2 Bit)");
  GroupAddressBox box(item, OpenGroupAddressEntry(item, false), prompt);
  EXPECT_EQ(box.TypeBox().currentText(), "EIS 8 'Scaling - control' (2 Bit)");
  ASSERT_TRUE(PressOk(box));
  EXPECT_EQ(box.Entry().typeText, "EIS 8 'Scaling - control' (2 Bit)");
}

}  // namespace
