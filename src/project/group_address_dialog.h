// GroupAddressDialog: the dialog in which the user edits a group item's address, name and type.
#pragma once

#include <optional>

#include "project/group_address_entry.h"

class GroupItem;

class GroupAddressDialog {
 public:
  // Shows `entry` (OpenGroupAddressEntry) for `item`. OK is accepted only when
  // CheckGroupAddressEntry(item, fields) gives 0; otherwise that message is shown and the
  // dialog stays open. Returns the confirmed fields, none for Cancel. Changes nothing itself:
  // the command saves the fields.
  virtual std::optional<GroupAddressEntry> Edit(const GroupItem& item,
                                                const GroupAddressEntry& entry) = 0;

 protected:
  ~GroupAddressDialog() = default;
};
