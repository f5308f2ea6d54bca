// ItemLifecycle: the document's part in destroying a group item.
#pragma once

class GroupItem;

// Set on the root node by the document. Before an item is destroyed it is told, so that it
// can take the item off its pending-response list and remove the item's queued requests.
class ItemLifecycle {
 public:
  virtual void OnItemDestroying(GroupItem& item) = 0;

 protected:
  ~ItemLifecycle() = default;
};
