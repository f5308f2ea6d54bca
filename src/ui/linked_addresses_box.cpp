// LinkedAddressesBox: the tree of offered items, the list of chosen ones and the selection rules.
#include "ui/linked_addresses_box.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include "project/group_address.h"
#include "project/group_item.h"
#include "project/group_lookup.h"
#include "project/group_node.h"
#include "ui/ansi_text.h"
#include "ui/dialog_texts.h"

namespace {

constexpr unsigned kLinksDialog = 187;
constexpr unsigned kTypeControl = 1040;
constexpr unsigned kAddressControl = 1042;
constexpr unsigned kTreeControl = 1035;
constexpr unsigned kListControl = 1039;
constexpr unsigned kAddControl = 1044;
constexpr unsigned kRemoveControl = 1043;

constexpr int kItemRole = Qt::UserRole;

QString EntryText(const GroupItem& item) {
  return FromAnsi(item.m_addressText + " " + item.m_name);
}

QVariant ItemData(const GroupItem& item) {
  return QVariant::fromValue(reinterpret_cast<quintptr>(&item));
}

QLabel* AddLabel(QWidget& parent, unsigned control, const QString& text) {
  auto* label = new QLabel(text, &parent);
  label->setObjectName(ControlObjectName(control));
  return label;
}

}  // namespace

LinkedAddressesBox::LinkedAddressesBox(const GroupItem& item, const CurrentLinks& current,
                                       QWidget* parent)
    : QDialog(parent), m_item(item) {
  setObjectName(QStringLiteral("linkedAddressesDialog"));
  setWindowTitle(DialogTitle(kLinksDialog, QStringLiteral("Linked Addresses")));
  auto* grid = new QGridLayout(this);
  grid->addWidget(AddLabel(*this, 1047, DialogControlText(kLinksDialog, 1047)), 0, 0);
  grid->addWidget(AddLabel(*this, kTypeControl, FromAnsi(item.m_typeName)), 0, 1, 1, 2);
  grid->addWidget(AddLabel(*this, 1048, DialogControlText(kLinksDialog, 1048)), 1, 0);
  grid->addWidget(AddLabel(*this, kAddressControl, EntryText(item)), 1, 1, 1, 2);
  grid->addWidget(AddLabel(*this, 1045, DialogControlText(kLinksDialog, 1045)), 2, 0);
  grid->addWidget(AddLabel(*this, 1046, DialogControlText(kLinksDialog, 1046)), 2, 2);

  m_tree = new QTreeWidget(this);
  m_tree->setObjectName(ControlObjectName(kTreeControl));
  m_tree->setHeaderHidden(true);
  m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->addWidget(m_tree, 3, 0);

  auto* buttons = new QVBoxLayout;
  m_add = new QPushButton(DialogControlText(kLinksDialog, kAddControl), this);
  m_add->setObjectName(ControlObjectName(kAddControl));
  m_remove = new QPushButton(DialogControlText(kLinksDialog, kRemoveControl), this);
  m_remove->setObjectName(ControlObjectName(kRemoveControl));
  m_add->setAutoDefault(false);
  m_remove->setAutoDefault(false);
  m_add->setEnabled(false);
  m_remove->setEnabled(false);
  buttons->addStretch();
  buttons->addWidget(m_add);
  buttons->addWidget(m_remove);
  buttons->addStretch();
  grid->addLayout(buttons, 3, 1);

  m_list = new QListWidget(this);
  m_list->setObjectName(ControlObjectName(kListControl));
  m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid->addWidget(m_list, 3, 2);
  grid->addWidget(CreateDialogButtons(*this, kLinksDialog), 4, 0, 1, 3);

  // The project: the root's name on top, below it the groups down to the items offered.
  if (item.m_parent) {
    const GroupNode& root = RootOf(*item.m_parent);
    auto* top = new QTreeWidgetItem(m_tree, {FromAnsi(root.m_name)});
    for (const auto& child : root.m_children) {
      if (child->m_deviceNode) continue;
      auto* entry = new QTreeWidgetItem(top, {FromAnsi(child->m_name)});
      FillBelow(*child, *entry);
    }
    top->setExpanded(true);
  }
  if (QTreeWidgetItem* own = EntryOf(item)) {
    SetBold(*own, true);
    own->setFlags(own->flags() & ~Qt::ItemIsSelectable);
  }
  for (GroupItem* linked : current.items) {
    QTreeWidgetItem* entry = EntryOf(*linked);
    if (entry && !IsBold(*entry)) InsertChosen(*entry, *linked);
  }

  connect(m_tree, &QTreeWidget::itemSelectionChanged, this, [this] { OnTreeSelection(); });
  connect(m_tree, &QTreeWidget::itemActivated, this, [this] { AddSelected(); });
  connect(m_list, &QListWidget::itemSelectionChanged, this, [this] { OnListSelection(); });
  connect(m_add, &QPushButton::clicked, this, [this] { AddSelected(); });
  connect(m_remove, &QPushButton::clicked, this, [this] { RemoveSelected(); });
}

void LinkedAddressesBox::FillBelow(const GroupNode& node, QTreeWidgetItem& parent) {
  if (node.m_items.empty()) {
    for (const auto& child : node.m_children) {
      auto* entry = new QTreeWidgetItem(&parent, {FromAnsi(child->m_name)});
      FillBelow(*child, *entry);
    }
    return;
  }
  for (const auto& offered : node.m_items) {
    if (offered.get() != &m_item && !CanLink(m_item, *offered)) continue;
    auto* entry = new QTreeWidgetItem(&parent, {EntryText(*offered)});
    entry->setData(0, kItemRole, ItemData(*offered));
  }
}

GroupItem* LinkedAddressesBox::ItemOf(const QTreeWidgetItem* entry) {
  if (!entry) return nullptr;
  return reinterpret_cast<GroupItem*>(entry->data(0, kItemRole).value<quintptr>());
}

GroupItem* LinkedAddressesBox::ItemOf(const QListWidgetItem* entry) {
  if (!entry) return nullptr;
  return reinterpret_cast<GroupItem*>(entry->data(kItemRole).value<quintptr>());
}

QTreeWidgetItem* LinkedAddressesBox::EntryOf(const GroupItem& item) const {
  for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
    if (ItemOf(*it) == &item) return *it;
  }
  return nullptr;
}

bool LinkedAddressesBox::IsBold(const QTreeWidgetItem& entry) {
  return entry.font(0).bold();
}

void LinkedAddressesBox::SetBold(QTreeWidgetItem& entry, bool bold) {
  QFont font = entry.font(0);
  font.setBold(bold);
  entry.setFont(0, font);
}

std::vector<GroupItem*> LinkedAddressesBox::Chosen() const {
  std::vector<GroupItem*> chosen;
  for (int row = 0; row < m_list->count(); ++row) chosen.push_back(ItemOf(m_list->item(row)));
  return chosen;
}

void LinkedAddressesBox::InsertChosen(QTreeWidgetItem& treeEntry, GroupItem& item) {
  SetBold(treeEntry, true);
  const GroupAddress value = ParseGroupAddress(item.m_addressText);
  int row = 0;
  while (row < m_list->count() &&
         ParseGroupAddress(ItemOf(m_list->item(row))->m_addressText) <= value)
    ++row;
  auto* entry = new QListWidgetItem(EntryText(item));
  entry->setData(kItemRole, ItemData(item));
  m_list->insertItem(row, entry);
}

void LinkedAddressesBox::AddSelected() {
  QTreeWidgetItem* entry = m_tree->currentItem();
  GroupItem* offered = ItemOf(entry);
  if (!offered || !entry->isSelected() || IsBold(*entry)) return;
  // A link must lead back to its item by address, as received telegrams look it up.
  if (FindItemByAddress(RootOf(*m_item.m_parent), offered->m_addressText) != offered) return;
  InsertChosen(*entry, *offered);
  m_add->setEnabled(false);
}

void LinkedAddressesBox::RemoveSelected() {
  for (int row = m_list->count() - 1; row >= 0; --row) {
    QListWidgetItem* entry = m_list->item(row);
    if (!entry->isSelected()) continue;
    if (QTreeWidgetItem* offered = EntryOf(*ItemOf(entry))) SetBold(*offered, false);
    delete entry;
  }
  m_remove->setEnabled(false);
}

void LinkedAddressesBox::OnTreeSelection() {
  m_remove->setEnabled(false);
  {
    const QSignalBlocker blocker(m_list);
    m_list->clearSelection();
  }
  QTreeWidgetItem* entry = m_tree->currentItem();
  m_add->setEnabled(entry && entry->isSelected() && ItemOf(entry) && !IsBold(*entry));
}

void LinkedAddressesBox::OnListSelection() {
  m_add->setEnabled(false);
  m_remove->setEnabled(!m_list->selectedItems().isEmpty());
  if (GroupItem* caret = ItemOf(m_list->currentItem())) {
    if (QTreeWidgetItem* entry = EntryOf(*caret)) m_tree->scrollToItem(entry);
  }
}
