// GroupNode: one node of the group table (root, main group, middle group or devices node).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "project/group_item.h"
#include "project/node_members.h"

class ItemLifecycle;

// A node owns its child nodes and its items. Destroying a node destroys its children first,
// then its items. Both lists find a member by name without walking (NodeMembers); names change
// only through SetName and GroupItem::SetAddressText, which keep those indexes right.
class GroupNode {
 public:
  GroupNode() = default;
  GroupNode(const GroupNode&) = delete;
  GroupNode& operator=(const GroupNode&) = delete;
  ~GroupNode();

  // Destroys all child nodes, then all items. Each list is taken out of the node before its
  // members die, so lookups made meanwhile (DropListeners) never meet a dying member.
  void Clear();
  // Append and set the parent; returns the appended member.
  GroupNode& AppendChild(std::unique_ptr<GroupNode> child);
  GroupItem& AppendItem(std::unique_ptr<GroupItem> item);
  // Takes a child node or an item out of this node (null when it is not one); the caller
  // destroys it.
  std::unique_ptr<GroupNode> TakeChild(const GroupNode& child);
  std::unique_ptr<GroupItem> TakeItem(const GroupItem& item);
  // Renames the node (keeping its parent's index right) and rebuilds the item IDs below it.
  void SetName(std::string name);

  void* m_treeItem = nullptr;  // the node's entry in the main window's tree (opaque)
  // Label and component of item IDs; read only, changed by SetName.
  const std::string& m_name = m_nameText;
  std::int32_t m_number = -1;         // main or middle group number; -1 for unnumbered nodes
  NodeMembers<GroupItem> m_items;     // found by address text
  NodeMembers<GroupNode> m_children;  // found by name
  GroupNode* m_parent = nullptr;      // null for the root
  CDORAzivazDoc* m_pDoc = nullptr;
  std::int32_t m_deviceNode = 0;  // non-zero only for the devices node
  bool m_untypedMark = false;     // some item below this node is untyped
  // Used on the root only: told before any item of the table is destroyed.
  ItemLifecycle* m_lifecycle = nullptr;

 private:
  // The name by which the parent's index finds the node; read straight from the storage, not
  // through the reference member, which would cost every probe one more load.
  friend const std::string& IndexedName(const GroupNode& node) { return node.m_nameText; }

  std::string m_nameText;
};

std::unique_ptr<GroupNode> CreateGroupNode(std::string_view name, std::int32_t number,
                                           CDORAzivazDoc* doc, std::int32_t deviceNode = 0);

// The top of the tree that holds `node`.
GroupNode& RootOf(GroupNode& node);
const GroupNode& RootOf(const GroupNode& node);

// The name a new child of `parent` receives: `name`, else "name(1)", "name(2)", ... the first
// that no child of `parent` carries, compared without regard to case (item lookups ignore
// case). An empty name is never given: it becomes "(1)", "(2)", ...
std::string MakeUniqueNodeName(std::string_view name, const GroupNode& parent);
