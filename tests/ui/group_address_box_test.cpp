// Tests of the group address dialog on the demo project: fields, range and uniqueness messages,
// what OK stores.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "project/eis_type.h"
#include "ui/group_address_box.h"
#include "window_fixture.h"

namespace {

constexpr unsigned kStrMainRange = 152;
constexpr unsigned kStrMiddleRange = 158;
constexpr unsigned kStrSubRange = 159;
constexpr unsigned kStrNotUnique = 160;
constexpr unsigned kStrSubRangeTwoLevel = 197;

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
  bool PressOk(GroupAddressBox& box) {
    box.accept();
    return box.result() == QDialog::Accepted;
  }
};

TEST_F(GroupAddressBoxTest, OpensWithTheItemsFieldsAndKeepsThemOnOk) {
  GroupItem& item = Item("1/2/3");
  item.m_initialRead = 1;
  item.m_priority = kPriorityHigh;
  const std::string id = item.m_itemId;
  GroupAddressBox box(item, false, prompt);
  EXPECT_EQ(box.MainEdit().text(), "1");
  EXPECT_EQ(box.MiddleEdit().text(), "2");
  EXPECT_EQ(box.SubEdit().text(), "3");
  EXPECT_FALSE(box.MainEdit().isEnabled());
  EXPECT_FALSE(box.MiddleEdit().isEnabled());
  EXPECT_EQ(box.NameEdit().text(), "Dining table brightness");
  EXPECT_EQ(box.TypeBox().currentText(), "EIS 2 'Dimming - value' (8 Bit)");
  EXPECT_EQ(box.PriorityBox().currentText(), "High");
  EXPECT_TRUE(box.InitialReadBox().isChecked());

  // OK without a change: no uniqueness check (the item's own address), nothing changed.
  EXPECT_TRUE(PressOk(box));
  EXPECT_FALSE(box.Changed());
  EXPECT_TRUE(prompt.asked.empty());
  EXPECT_EQ(item.m_itemId, id);
}

TEST_F(GroupAddressBoxTest, SubRangesAndUniquenessWithMessages) {
  // Three levels: 256 is out of range, a text that is no unsigned number too.
  {
    GroupItem& item = Item("1/2/3");
    GroupAddressBox box(item, false, prompt);
    for (const char* text : {"256", "-1", "", "x"}) {
      box.SubEdit().setText(text);
      EXPECT_FALSE(PressOk(box)) << text;
    }
    EXPECT_EQ(prompt.asked, std::vector<unsigned>(4, kStrSubRange));
    // 1/2/1 belongs to another item of the middle group: refused; 1/2/9 is free.
    prompt.asked.clear();
    box.SubEdit().setText("1");
    EXPECT_FALSE(PressOk(box));
    EXPECT_EQ(prompt.asked, std::vector<unsigned>{kStrNotUnique});
    box.SubEdit().setText("9");
    EXPECT_TRUE(PressOk(box));
    EXPECT_TRUE(box.Changed());
    EXPECT_EQ(item.m_addressText, "1/2/9");
    EXPECT_EQ(item.m_subNumber, 9);
    EXPECT_EQ(item.m_itemId, "Ground floor.Dimming.1/2/9");
    EXPECT_EQ(FindItemByAddress(doc->Root(), "1/2/9"), &item);
  }
  // Two levels: the middle field is empty and disabled; 2047 fits, 2048 does not.
  prompt.asked.clear();
  GroupItem& twoLevel = MakeGroup(5, -2, "5/1000");
  GroupAddressBox box(twoLevel, false, prompt);
  EXPECT_TRUE(box.MiddleEdit().text().isEmpty());
  EXPECT_FALSE(box.MiddleEdit().isEnabled());
  box.SubEdit().setText("2048");
  EXPECT_FALSE(PressOk(box));
  EXPECT_EQ(prompt.asked, std::vector<unsigned>{kStrSubRangeTwoLevel});
  box.SubEdit().setText("2047");
  EXPECT_TRUE(PressOk(box));
  EXPECT_EQ(twoLevel.m_addressText, "5/2047");
  EXPECT_EQ(twoLevel.m_itemId, "Extra.5/2047");
}

TEST_F(GroupAddressBoxTest, UniquenessFindsTheMiddleGroupWhereverItStands) {
  // A second middle group 1/2 behind the others of main group 1: its items count as well.
  GroupNode& ground = Group(1);
  GroupNode& extra = ground.AppendChild(CreateGroupNode("More dimming", 2, doc.get()));
  extra.AppendItem(CreateGroupItem("1/2/77", "Far", "EIS 1 'Switching' (1 Bit)", kPriorityLow,
                                   extra, doc.get()));
  GroupItem& item = Item("1/2/3");
  GroupAddressBox box(item, false, prompt);
  box.SubEdit().setText("77");
  EXPECT_FALSE(PressOk(box));
  EXPECT_EQ(prompt.asked, std::vector<unsigned>{kStrNotUnique});
  EXPECT_EQ(item.m_addressText, "1/2/3");
}

TEST_F(GroupAddressBoxTest, UnnumberedGroupsTakeTheNumbersTypedIn) {
  GroupItem& item = MakeGroup(-1, -1, "0/0/");
  item.m_subNumber = 0;
  GroupAddressBox box(item, true, prompt);
  EXPECT_TRUE(box.MainEditable());
  EXPECT_TRUE(box.MiddleEditable());
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
  EXPECT_EQ(prompt.asked, (std::vector<unsigned>{kStrMainRange, kStrMiddleRange, kStrNotUnique}));
  // Sub 0 is kept as typed: the new item's text gets its sub number.
  box.MainEdit().setText("6");
  EXPECT_TRUE(PressOk(box));
  EXPECT_EQ(item.m_addressText, "6/5/0");
  EXPECT_EQ(item.m_parent->m_number, 5);
  EXPECT_EQ(item.m_parent->m_parent->m_number, 6);
  EXPECT_EQ(FindItemByAddress(doc->Root(), "6/5/0"), &item);
}

TEST_F(GroupAddressBoxTest, TypeChangeResetsValueAndQualityPriorityAndFlagAreStored) {
  GroupItem& item = Item("1/4/1");
  item.m_value = Variant::R4(21.5f);
  item.m_quality = OPC_QUALITY_GOOD;
  GroupAddressBox box(item, false, prompt);
  box.TypeBox().setCurrentText("EIS 10 '16Bit Counter' (2 Byte)");
  box.PriorityBox().setCurrentText("System");
  box.InitialReadBox().setChecked(true);
  box.NameEdit().setText("Counter");
  ASSERT_TRUE(PressOk(box));
  EXPECT_TRUE(box.Changed());
  EXPECT_EQ(item.m_eis, 10);
  EXPECT_EQ(item.m_typeName, "EIS 10 '16Bit Counter' (2 Byte)");
  EXPECT_EQ(item.m_nativeDataType, VT_I2);
  EXPECT_EQ(item.m_quality, OPC_QUALITY_UNCERTAIN);
  EXPECT_TRUE(item.m_value.IsEmpty());
  EXPECT_EQ(item.m_priority, kPrioritySystem);
  EXPECT_EQ(item.m_initialRead, 1);
  EXPECT_EQ(item.m_name, "Counter");
  EXPECT_EQ(PriorityFromText("Anything"), kPriorityAlarm);
}

TEST_F(GroupAddressBoxTest, ATypeTheListLacksIsOfferedAndKept) {
  GroupItem& item = Item("1/2/3");
  SetTypeFromEsf(item, "EIS 8 'Scaling - control' (2 Bit)");
  GroupAddressBox box(item, false, prompt);
  EXPECT_EQ(box.TypeBox().currentText(), "EIS 8 'Scaling - control' (2 Bit)");
  ASSERT_TRUE(PressOk(box));
  EXPECT_FALSE(box.Changed());
  EXPECT_EQ(item.m_eis, 8);
}

}  // namespace
