// ItemId: paths of nodes and the IDs of items.
#include "project/item_id.h"

#include "project/group_node.h"

std::string NodePath(const GroupNode& node) {
  if (!node.m_parent) return {};
  return NodePath(*node.m_parent) + node.m_name + ".";
}

ItemId MakeItemId(const GroupNode& parent, std::string_view addressText) {
  return NodePath(parent) + std::string(addressText);
}

void RebuildItemIds(GroupNode& node) {
  for (auto& child : node.m_children) RebuildItemIds(*child);
  for (auto& item : node.m_items) item->m_itemId = MakeItemId(node, item->m_addressText);
}
