// GroupNode: ownership of children and items, creation and unique child names.
#include "project/group_node.h"

#include <algorithm>
#include <utility>

#include "project/equal_no_case.h"

GroupNode::~GroupNode() {
  Clear();
}

void GroupNode::Clear() {
  auto children = std::move(m_children);
  m_children.clear();
  for (auto& child : children) child.reset();
  auto items = std::move(m_items);
  m_items.clear();
  // In list order; each item's DropListeners may still look up the other nodes.
  for (auto& item : items) item.reset();
  // Nothing is left below: no untyped item either.
  m_untypedMark = false;
}

GroupNode& GroupNode::AppendChild(std::unique_ptr<GroupNode> child) {
  child->m_parent = this;
  m_children.push_back(std::move(child));
  return *m_children.back();
}

GroupItem& GroupNode::AppendItem(std::unique_ptr<GroupItem> item) {
  item->m_parent = this;
  m_items.push_back(std::move(item));
  return *m_items.back();
}

std::unique_ptr<GroupNode> CreateGroupNode(std::string_view name, std::int32_t number,
                                           CDORAzivazDoc* doc, std::int32_t deviceNode) {
  auto node = std::make_unique<GroupNode>();
  node->m_name = name;
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
    const bool taken =
        std::any_of(parent.m_children.begin(), parent.m_children.end(),
                    [&](const auto& child) { return EqualNoCase(child->m_name, candidate); });
    if (!taken) return candidate;
  }
}
