// GroupAddressDialog: the dialog in which the user edits a group item's address, name and type.
#pragma once

class GroupItem;

class GroupAddressDialog {
 public:
  // Edits `item` in place; `isNew` when the item was just made by the new item command.
  // Returns true for OK, false for Cancel.
  virtual bool Edit(GroupItem& item, bool isNew, bool useGmt) = 0;

 protected:
  ~GroupAddressDialog() = default;
};
