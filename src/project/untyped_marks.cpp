// Untyped marks: setting and clearing the marks of the nodes above an item.
#include "project/untyped_marks.h"

#include "project/group_node.h"
#include "project/group_table_view.h"

bool HasUntypedItemBelow(const GroupNode& node) {
  for (const auto& item : node.m_items) {
    if (item->m_eis == 0) return true;
  }
  for (const auto& child : node.m_children) {
    if (HasUntypedItemBelow(*child)) return true;
  }
  return false;
}

void MarkUntypedUpwards(GroupNode* from, GroupTableView* view) {
  for (GroupNode* node = from; node; node = node->m_parent) {
    node->m_untypedMark = true;
    if (view) view->RefreshNodeMark(*node);
  }
}

void ClearUntypedMarksUpwards(GroupNode* from, GroupTableView* view) {
  for (GroupNode* node = from; node; node = node->m_parent) {
    if (HasUntypedItemBelow(*node)) return;
    node->m_untypedMark = false;
    if (view) view->RefreshNodeMark(*node);
  }
}
