// GroupTableView: how the views learn of type and untyped-mark changes in the group table.
#pragma once

class GroupItem;
class GroupNode;

// Implemented by the main window's views; the model calls it after changing the state.
class GroupTableView {
 public:
  // The item's type changed: rewrite its type column and untyped mark, redraw its row.
  virtual void RefreshItemType(GroupItem& item) = 0;
  // The node's untyped mark (`GroupNode::m_untypedMark`) was set or cleared.
  virtual void RefreshNodeMark(GroupNode& node) = 0;

 protected:
  ~GroupTableView() = default;
};
