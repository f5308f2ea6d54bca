// LinkedAddressesBox: the linked addresses dialog (187): which group addresses an item takes over.
#pragma once

#include <QDialog>
#include <vector>

#include "project/link_commands.h"

class GroupItem;
class GroupNode;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The tree offers the project's items that can be linked to the edited item (those of its EIS
// number and subtype); the list holds the chosen ones in ascending group address order. A tree
// entry is bold while its item is the edited item (which cannot be chosen) or is in the list.
// The dialog changes nothing itself: on OK the command stores Chosen().
class LinkedAddressesBox : public QDialog {
  Q_OBJECT

 public:
  // Opens with the items of `current` chosen.
  LinkedAddressesBox(const GroupItem& item, const CurrentLinks& current, QWidget* parent = nullptr);

  // The chosen items, in list order.
  std::vector<GroupItem*> Chosen() const;

  QTreeWidget& Tree() { return *m_tree; }
  QListWidget& List() { return *m_list; }
  QPushButton& AddButton() { return *m_add; }
  QPushButton& RemoveButton() { return *m_remove; }
  // The tree entry of `item`; null when the tree does not offer it.
  QTreeWidgetItem* EntryOf(const GroupItem& item) const;
  static GroupItem* ItemOf(const QTreeWidgetItem* entry);
  static GroupItem* ItemOf(const QListWidgetItem* entry);
  static bool IsBold(const QTreeWidgetItem& entry);

  // The add button: the selected tree entry's item goes into the list.
  void AddSelected();
  // The remove button: the selected list entries go, last first.
  void RemoveSelected();

 private:
  void FillBelow(const GroupNode& node, QTreeWidgetItem& parent);
  // Makes the item's tree entry bold and inserts the item before the first list entry with a
  // greater group address value.
  void InsertChosen(QTreeWidgetItem& entry, GroupItem& item);
  void OnTreeSelection();
  void OnListSelection();
  void SetBold(QTreeWidgetItem& entry, bool bold);

  const GroupItem& m_item;
  QTreeWidget* m_tree = nullptr;
  QListWidget* m_list = nullptr;
  QPushButton* m_add = nullptr;
  QPushButton* m_remove = nullptr;
};
