// LinkedAddressesBox: the linked addresses dialog (187): which group addresses an item takes over.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class GroupItem;
class GroupNode;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The tree offers the project's items of the edited item's EIS number and subtype; the list
// holds the chosen ones in ascending group address order. A tree entry is bold while its item
// is the edited item (which cannot be chosen) or is in the list. The dialog changes nothing
// itself: on OK the caller stores Addresses() when Changed() says so.
class LinkedAddressesBox : public QDialog {
  Q_OBJECT

 public:
  LinkedAddressesBox(GroupItem& item, QWidget* parent = nullptr);

  // Whether the links differ from the item's: a choice was added or removed, or a stored link
  // named no item of the offered ones (it is dropped on OK).
  bool Changed() const { return m_changed; }
  // The address texts of the chosen items, in list order.
  std::vector<std::string> Addresses() const;

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
  // Inserts the item before the first list entry with a greater group address value.
  void InsertChosen(GroupItem& item);
  void OnTreeSelection();
  void OnListSelection();
  void SetBold(QTreeWidgetItem& entry, bool bold);

  GroupItem& m_item;
  std::int32_t m_eis;
  std::int32_t m_subtype;
  bool m_changed = false;
  QTreeWidget* m_tree = nullptr;
  QListWidget* m_list = nullptr;
  QPushButton* m_add = nullptr;
  QPushButton* m_remove = nullptr;
};
