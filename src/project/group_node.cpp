// GroupNode: ownership of children and items, creation and unique child names.
#include "project/group_node.h"

#include <utility>

#include "project/item_id.h"

GroupNode::~GroupNode() {
  Clear();
}

void GroupNode::Clear() {
  auto children = m_children.TakeAll();
  for (auto& child : children) child.reset();
  auto items = m_items.TakeAll();
  // In list order; each item's DropListeners may still look up the other nodes.
  for (auto& item : items) item.reset();
  // Nothing is left below: no untyped item either.
  m_untypedMark = false;
}

GroupNode& GroupNode::AppendChild(std::unique_ptr<GroupNode> child) {
  child->m_parent = this;
  return m_children.push_back(std::move(child));
}

GroupItem& GroupNode::AppendItem(std::unique_ptr<GroupItem> item) {
  item->m_parent = this;
  return m_items.push_back(std::move(item));
}

std::unique_ptr<GroupNode> GroupNode::TakeChild(const GroupNode& child) {
  return m_children.Take(child);
}

std::unique_ptr<GroupItem> GroupNode::TakeItem(const GroupItem& item) {
  return m_items.Take(item);
}

namespace {

// Each item's ID is its node's path and its address text, so a renamed node changes them.
void RebuildItemIds(GroupNode& node, const std::string& path) {
  for (const auto& item : node.m_items) item->m_itemId = path + item->m_addressText;
  for (const auto& child : node.m_children) {
    RebuildItemIds(*child, path + child->m_name + ".");
  }
}

}  // namespace

void GroupNode::SetName(std::string name) {
  if (!m_parent) {
    // The root's name is no part of any item ID.
    m_nameText = std::move(name);
    return;
  }
  m_parent->m_children.Rename(*this, [&] { m_nameText = std::move(name); });
  RebuildItemIds(*this, NodePath(*this));
}

std::unique_ptr<GroupNode> CreateGroupNode(std::string_view name, std::int32_t number,
                                           CDORAzivazDoc* doc, std::int32_t deviceNode) {
  auto node = std::make_unique<GroupNode>();
  node->SetName(std::string(name));
  node->m_number = number;
  node->m_pDoc = doc;
  node->m_deviceNode = deviceNode;
  return node;
}

GroupNode& RootOf(GroupNode& node) {
  GroupNode* top = &node;
  while (top->m_parent) top = top->m_parent;
  return *top;
}

const GroupNode& RootOf(const GroupNode& node) {
  return RootOf(const_cast<GroupNode&>(node));
}

std::string MakeUniqueNodeName(std::string_view name, const GroupNode& parent) {
  // Item lookups ignore case, so "licht" beside "Licht" would alias it; an empty name would
  // end a browse of the parent early, so it is never kept and counts from "(1)".
  std::string candidate(name);
  for (int n = name.empty() ? 1 : 0;; ++n) {
    if (n > 0) candidate = std::string(name) + "(" + std::to_string(n) + ")";
    if (!parent.m_children.Find(candidate)) return candidate;
  }
}
