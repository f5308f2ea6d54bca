// Tests of the linked addresses dialog on the demo project: what is offered, bold entries,
// the order of the chosen addresses and the links it drops.
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "ui/linked_addresses_box.h"
#include "window_fixture.h"

namespace {

class LinkedAddressesBoxTest : public WindowTest {
 protected:
  void SetUp() override {
    MakeWindow();
    ImportDemo();
  }

  static std::vector<std::string> Offered(LinkedAddressesBox& box) {
    std::vector<std::string> offered;
    for (QTreeWidgetItemIterator it(&box.Tree()); *it; ++it) {
      if (GroupItem* item = LinkedAddressesBox::ItemOf(*it)) offered.push_back(item->m_addressText);
    }
    return offered;
  }

  static std::vector<std::string> Addresses(const LinkedAddressesBox& box) {
    std::vector<std::string> addresses;
    for (const GroupItem* item : box.Chosen()) addresses.push_back(item->m_addressText);
    return addresses;
  }

  static void Choose(LinkedAddressesBox& box, GroupItem& item) {
    QTreeWidgetItem* entry = box.EntryOf(item);
    ASSERT_NE(entry, nullptr) << item.m_addressText;
    box.Tree().setCurrentItem(entry);
    box.AddSelected();
  }
};

TEST_F(LinkedAddressesBoxTest, OffersOnlyItemsOfTheSameTypeTheItemItselfBoldAndNotSelectable) {
  GroupItem& x = Item("1/2/4");  // EIS 6 percent
  LinkedAddressesBox box(x, FindCurrentLinks(doc->Root(), x));
  const std::vector<std::string> offered = Offered(box);
  EXPECT_EQ(offered, (std::vector<std::string>{"1/2/4", "1/3/3", "1/4/3"}))
      << "EIS 6 degree (1/3/4) and EIS 2 value (1/2/3) share the size but not the type";
  EXPECT_EQ(box.Tree().topLevelItem(0)->text(0), "Demo House");

  QTreeWidgetItem* own = box.EntryOf(x);
  ASSERT_NE(own, nullptr);
  EXPECT_TRUE(LinkedAddressesBox::IsBold(*own));
  EXPECT_FALSE(own->flags() & Qt::ItemIsSelectable);
  box.Tree().setCurrentItem(own);
  box.AddSelected();
  EXPECT_EQ(box.List().count(), 0);

  // Another entry enables the add button until it is added; then it is bold.
  QTreeWidgetItem* other = box.EntryOf(Item("1/3/3"));
  box.Tree().setCurrentItem(other);
  EXPECT_TRUE(box.AddButton().isEnabled());
  box.AddButton().click();
  EXPECT_TRUE(LinkedAddressesBox::IsBold(*other));
  EXPECT_FALSE(box.AddButton().isEnabled());
  box.Tree().setCurrentItem(nullptr);
  box.Tree().setCurrentItem(other);
  EXPECT_FALSE(box.AddButton().isEnabled());
}

TEST_F(LinkedAddressesBoxTest, ChosenAddressesAscendAndOnlyLinkableOnesAreShown) {
  GroupItem& x = Item("1/1/3");  // EIS 1
  x.m_linkedAddresses = {"3/0/1", "9/9/9", "1/2/2", "3/0/1"};
  LinkedAddressesBox box(x, FindCurrentLinks(doc->Root(), x));
  // Only 3/0/1 names an offered item (once); the dialog shows it chosen.
  EXPECT_EQ(Addresses(box), std::vector<std::string>{"3/0/1"});
  EXPECT_TRUE(LinkedAddressesBox::IsBold(*box.EntryOf(Item("3/0/1"))));

  Choose(box, Item("2/1/1"));
  Choose(box, Item("1/1/2"));
  Choose(box, Item("1/1/1"));
  EXPECT_EQ(Addresses(box), (std::vector<std::string>{"1/1/1", "1/1/2", "2/1/1", "3/0/1"}));

  // Removing: the entries selected in the list go and their tree entries lose the bold state.
  box.List().item(1)->setSelected(true);
  box.List().item(3)->setSelected(true);
  EXPECT_TRUE(box.RemoveButton().isEnabled());
  EXPECT_FALSE(box.AddButton().isEnabled());
  box.RemoveButton().click();
  EXPECT_EQ(Addresses(box), (std::vector<std::string>{"1/1/1", "2/1/1"}));
  EXPECT_FALSE(LinkedAddressesBox::IsBold(*box.EntryOf(Item("3/0/1"))));
  EXPECT_FALSE(box.RemoveButton().isEnabled());
  // The dialog itself changes nothing.
  EXPECT_EQ(x.m_linkedAddresses.size(), 4u);
}

}  // namespace
