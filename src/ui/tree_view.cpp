// TreeView: entries with images and overlays, selection and the tree's context menus.
#include "ui/tree_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <algorithm>
#include <functional>

#include "platform/current_language.h"
#include "platform/language_resources.h"
#include "project/dorazivaz_doc.h"
#include "project/group_commands.h"
#include "project/group_node.h"
#include "ui/ansi_text.h"
#include "ui/image_list.h"
#include "ui/menu_builder.h"

namespace {

constexpr int kNodeRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kOverlayRole = Qt::UserRole + 2;

constexpr int kImageRoot = 0;
constexpr int kImageMainGroup = 1;
constexpr int kImageMiddleGroup = 2;
constexpr int kImageDevices = 3;

constexpr unsigned kContextMenus = 142;
constexpr std::size_t kGroupMenu = 2;
constexpr std::size_t kIntervalMenu = 4;
constexpr std::size_t kProjectMenu = 5;

// "PingTime" seconds and their interval commands.
constexpr std::pair<std::int32_t, unsigned> kIntervals[] = {
    {0, 32835}, {15, 32822}, {30, 32823}, {60, 32829}, {120, 32830}};

}  // namespace

TreeView::TreeView(CommandRouter& router, QWidget* parent) : QTreeWidget(parent), m_router(router) {
  setColumnCount(1);
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragDropMode(QAbstractItemView::NoDragDrop);
  connect(
      this, &QTreeWidget::currentItemChanged, this,
      [this](QTreeWidgetItem* current, QTreeWidgetItem*) { emit NodeSelected(NodeOf(current)); });
}

GroupNode* TreeView::NodeOf(const QTreeWidgetItem* entry) {
  if (!entry) return nullptr;
  return reinterpret_cast<GroupNode*>(entry->data(0, kNodeRole).value<quintptr>());
}

int TreeView::Image(const QTreeWidgetItem& entry) {
  return entry.data(0, kImageRole).toInt();
}

int TreeView::Overlay(const QTreeWidgetItem& entry) {
  return entry.data(0, kOverlayRole).toInt();
}

void TreeView::SetImage(QTreeWidgetItem& entry, int image, int overlay) {
  entry.setData(0, kImageRole, image);
  entry.setData(0, kOverlayRole, overlay);
  entry.setIcon(0, TreeImages().Icon(image, overlay));
}

void TreeView::ClearTree() {
  // The nodes forget their entries before the entries go.
  for (QTreeWidgetItemIterator it(this); *it; ++it) {
    if (GroupNode* node = NodeOf(*it)) node->m_treeItem = nullptr;
  }
  m_devicesEntry = nullptr;
  clear();
}

QTreeWidgetItem* TreeView::Insert(GroupNode& node, QTreeWidgetItem* parent) {
  auto* entry = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  entry->setText(0, FromAnsi(node.m_name));
  entry->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(&node)));
  // Directly below the tree's root level: the project; one level down: main groups and the
  // devices node; deeper: middle groups.
  int image = kImageRoot;
  if (parent) image = parent->parent() ? kImageMiddleGroup : kImageMainGroup;
  SetImage(*entry, image, node.m_untypedMark ? 1 : 0);
  node.m_treeItem = entry;
  return entry;
}

void TreeView::ShowRoot(GroupNode& root, GroupNode& devicesNode) {
  ClearTree();
  QTreeWidgetItem* rootEntry = Insert(root, nullptr);
  m_devicesEntry = Insert(devicesNode, rootEntry);
  SetImage(*m_devicesEntry, kImageDevices, 0);
  rootEntry->setExpanded(true);
}

void TreeView::NodeAdded(GroupNode& node) {
  if (!node.m_parent) return;
  auto* parent = static_cast<QTreeWidgetItem*>(node.m_parent->m_treeItem);
  if (!parent) return;
  QTreeWidgetItem* entry = Insert(node, parent);
  if (node.m_deviceNode) {
    m_devicesEntry = entry;
    SetImage(*entry, kImageDevices, 0);
    return;
  }
  // The entry stands where the node stands among its parent's children; the devices node,
  // which is no child of the root, stays below the main groups.
  const auto& siblings = node.m_parent->m_children;
  int index = 0;
  while (index < static_cast<int>(siblings.size()) && siblings[index].get() != &node) ++index;
  parent->removeChild(entry);
  parent->insertChild(std::min(index, parent->childCount()), entry);
}

void TreeView::NodeRemoving(GroupNode& node) {
  auto* entry = static_cast<QTreeWidgetItem*>(node.m_treeItem);
  if (!entry) return;
  // The entry takes its children with it: their nodes forget them too.
  std::function<void(QTreeWidgetItem*)> forget = [&](QTreeWidgetItem* e) {
    if (GroupNode* below = NodeOf(e)) below->m_treeItem = nullptr;
    if (e == m_devicesEntry) m_devicesEntry = nullptr;
    for (int i = 0; i < e->childCount(); ++i) forget(e->child(i));
  };
  forget(entry);
  delete entry;
}

void TreeView::RefreshName(GroupNode& node) {
  if (auto* entry = static_cast<QTreeWidgetItem*>(node.m_treeItem))
    entry->setText(0, FromAnsi(node.m_name));
}

void TreeView::RefreshNodeMark(GroupNode& node) {
  if (auto* entry = static_cast<QTreeWidgetItem*>(node.m_treeItem))
    SetImage(*entry, Image(*entry), node.m_untypedMark ? 1 : 0);
}

void TreeView::ShowDevicesFailed(bool anyFailed) {
  if (m_devicesEntry) SetImage(*m_devicesEntry, kImageDevices, anyFailed ? 2 : 0);
}

void TreeView::ExpandRoot() {
  if (QTreeWidgetItem* root = topLevelItem(0)) root->setExpanded(true);
}

GroupNode* TreeView::SelectedNode() const {
  return NodeOf(currentItem());
}

std::unique_ptr<QMenu> TreeView::ContextMenu(GroupNode& node) {
  const Menu* menu = Language()->FindMenu(kContextMenus);
  if (!menu) return nullptr;
  MenuRules rules;
  if (node.m_deviceNode) {
    const std::int32_t seconds = m_doc ? m_doc->Settings().pingTime : 0;
    for (const auto& [interval, command] : kIntervals) {
      if (interval == seconds) rules.checked.insert(command);
    }
    return BuildContextMenu(*menu, kIntervalMenu, rules, m_router, this);
  }
  if (!node.m_parent) return BuildContextMenu(*menu, kProjectMenu, rules, m_router, this);
  const bool mainGroup = !node.m_parent->m_parent;
  const bool hasItems = !node.m_items.empty();
  const bool hasGroups = !node.m_children.empty();
  rules.keep = [mainGroup, hasItems, hasGroups](std::size_t, const MenuEntry& entry) {
    if (entry.id == kCmdNewMiddleGroup) return mainGroup && !hasItems;
    if (entry.id == kCmdNewGroupItem) return !(mainGroup && hasGroups);
    return true;
  };
  return BuildContextMenu(*menu, kGroupMenu, rules, m_router, this);
}

void TreeView::contextMenuEvent(QContextMenuEvent* event) {
  const bool byKey = event->reason() == QContextMenuEvent::Keyboard;
  QTreeWidgetItem* entry = byKey ? currentItem() : itemAt(event->pos());
  GroupNode* node = NodeOf(entry);
  if (!node) return;
  // The node is selected first, so that the list follows.
  setCurrentItem(entry);
  std::unique_ptr<QMenu> menu = ContextMenu(*node);
  if (!menu) return;
  menu->exec(byKey ? viewport()->mapToGlobal(visualItemRect(entry).center()) : event->globalPos());
}
