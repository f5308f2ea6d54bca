// GroupNode: one node of the group table (root, main group, middle group or devices node).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "project/group_item.h"

class ItemLifecycle;

// A node owns its child nodes and its items. Destroying a node destroys its children first,
// then its items.
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

  void* m_treeItem = nullptr;  // the node's entry in the main window's tree (opaque)
  std::string m_name;          // label and component of item IDs
  std::int32_t m_number = -1;  // main or middle group number; -1 for unnumbered nodes
  std::vector<std::unique_ptr<GroupItem>> m_items;
  std::vector<std::unique_ptr<GroupNode>> m_children;
  GroupNode* m_parent = nullptr;  // null for the root
  CDORAzivazDoc* m_pDoc = nullptr;
  std::int32_t m_deviceNode = 0;  // non-zero only for the devices node
  bool m_untypedMark = false;     // some item below this node is untyped
  // Used on the root only: told before any item of the table is destroyed.
  ItemLifecycle* m_lifecycle = nullptr;
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
