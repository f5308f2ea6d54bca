// Listeners: building and dropping the reverse links between group items.
#include "project/listeners.h"

#include <algorithm>

#include "project/group_lookup.h"
#include "project/group_node.h"

namespace {

void BuildBelow(const GroupNode& node, const GroupNode& root) {
  for (const auto& child : node.m_children) BuildBelow(*child, root);
  for (const auto& item : node.m_items) {
    for (const std::string& linked : item->m_linkedAddresses) {
      if (GroupItem* target = FindItemByAddress(root, linked)) {
        target->m_listeners.push_back(item->m_addressText);
      }
    }
  }
}

}  // namespace

void BuildListeners(GroupNode& node) {
  BuildBelow(node, RootOf(node));
}

void DropListeners(GroupItem& item) {
  if (item.m_parent) {
    const GroupNode& root = RootOf(*item.m_parent);
    for (const std::string& linked : item.m_linkedAddresses) {
      GroupItem* target = FindItemByAddress(root, linked);
      if (!target) continue;
      auto& listeners = target->m_listeners;
      auto it = std::find(listeners.begin(), listeners.end(), item.m_addressText);
      if (it != listeners.end()) listeners.erase(it);
    }
  }
  item.m_linkedAddresses.clear();
}
