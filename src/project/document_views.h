// DocumentViews: what the document asks of the main window's tree and list.
#pragma once

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
  // A node was added below its parent (import, load, the group commands).
  virtual void NodeAdded(GroupNode& node) = 0;
  // A node is about to be destroyed (the import's removal of empty groups).
  virtual void NodeRemoving(GroupNode& node) = 0;
  // Shows the items (or, for the devices node, the devices) of `node` in the list.
  virtual void ShowNodeContent(GroupNode& node) = 0;
  virtual void ExpandRoot() = 0;
  // A new item was appended to the node the list shows: add its row.
  virtual void ItemAdded(GroupItem& item) = 0;
  // The group node selected in the tree, or null.
  virtual GroupNode* SelectedNode() = 0;

 protected:
  ~DocumentViews() = default;
};
