// Lookups in the group table by item ID and by address text; the project's address form.
#include "project/group_lookup.h"

#include "platform/decimal_value.h"
#include "project/group_node.h"

GroupItem* FindItemById(const GroupNode& start, std::string_view id) {
  const GroupNode* node = &start;
  // Components are short: a plain loop finds each "." sooner than a library call.
  std::size_t dot = 0;
  while (true) {
    while (dot < id.size() && id[dot] != '.') ++dot;
    if (dot == id.size()) return node->m_items.Find(id);
    node = node->m_children.Find(id.substr(0, dot));
    if (!node) return nullptr;
    id.remove_prefix(dot + 1);
    dot = 0;
  }
}

GroupItem* FindItemByAddress(const GroupNode& start, std::string_view text) {
  const GroupNode* node = &start;
  for (auto slash = text.find('/'); slash != std::string_view::npos; slash = text.find('/')) {
    const std::int32_t number = DecimalValue(text.substr(0, slash));
    const GroupNode* next = nullptr;
    for (const auto& child : node->m_children) {
      if (child->m_number != -1 && child->m_number == number) {
        next = child.get();
        break;
      }
    }
    if (!next) return nullptr;
    node = next;
    text.remove_prefix(slash + 1);
  }
  if (!node->m_parent) return nullptr;
  const std::int32_t sub = DecimalValue(text);
  for (const auto& item : node->m_items) {
    if (item->m_subNumber == sub) return item.get();
  }
  return nullptr;
}

std::string FormatGroupAddress(const GroupNode& root, GroupAddress address) {
  const std::int32_t main = (address >> 11) & 0x1F;
  for (const auto& child : root.m_children) {
    if (child->m_number == -1 || child->m_number != main) continue;
    return child->m_children.empty() ? FormatTwoLevel(address) : FormatThreeLevel(address);
  }
  return FormatTwoLevel(address);
}
