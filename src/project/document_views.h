// DocumentViews: what the document asks of the main window's tree and list.
#pragma once

#include <vector>

#include "project/group_table_view.h"
#include "project/progress_report.h"

class GroupItem;
class GroupNode;

// Implemented by the main window; the document holds a null pointer when it runs headless.
// Every call comes on the main thread.
class DocumentViews : public ProgressReport, public GroupTableView {
 public:
  // Collapses the root's entry, deletes every tree entry and empties the list.
  virtual void ClearViews() = 0;
  // Inserts the root as the tree's top entry, the devices node below it (image 3), and
  // expands the root.
  virtual void ShowRoot(GroupNode& root, GroupNode& devicesNode) = 0;
  // The root's name changed: rewrite its tree entry.
  virtual void RefreshRootName(GroupNode& root) = 0;
  // A node was added below its parent (import, load, the group commands, an undone delete); it
  // stands at its index among the parent's children. A node that comes back with child nodes
  // is reported first, then each child node, parents before children.
  virtual void NodeAdded(GroupNode& node) = 0;
  // A node is about to be taken out of the tree with everything below it (the import's
  // removal of empty groups, deleting a group, an undone new group).
  virtual void NodeRemoving(GroupNode& node) = 0;
  // A node's name or number changed (rename, undo): rewrite its tree entry.
  virtual void NodeChanged(GroupNode& /*node*/) {}
  // Select `node` in the tree; the list follows (a new group is selected at once).
  virtual void SelectNode(GroupNode& /*node*/) {}
  // Shows the items (or, for the devices node, the devices) of `node` in the list.
  virtual void ShowNodeContent(GroupNode& node) = 0;
  virtual void ExpandRoot() = 0;
  // An item was added to its node (at its index among the node's items): a list that shows
  // the node adds its row.
  virtual void ItemAdded(GroupItem& item) = 0;
  // An item is about to be taken out of its node: its row goes, the rows after it move up.
  virtual void ItemRemoving(GroupItem& /*item*/) {}
  // Address, name, type, priority, initial read flag or links of an item changed: rewrite
  // its row (if shown) and sort the list again.
  virtual void ItemChanged(GroupItem& /*item*/) {}
  // The group node selected in the tree, or null.
  virtual GroupNode* SelectedNode() = 0;
  // The group items selected in the list, in row order; empty when the list shows devices or
  // nothing is selected, or when the tree has the focus (the delete key then means the
  // selected group).
  virtual std::vector<GroupItem*> SelectedItems() { return {}; }

 protected:
  ~DocumentViews() = default;
};
