// LinkedAddressesDialog: the dialog in which the user chooses the items an item is linked to.
#pragma once

#include <optional>
#include <vector>

#include "project/link_commands.h"

class GroupItem;

class LinkedAddressesDialog {
 public:
  // Offers the items that CanLink(item, ·) accepts, with `current.items` chosen. Returns the
  // chosen items on OK (in any order; SetLinks sorts them), none for Cancel.
  virtual std::optional<std::vector<GroupItem*>> Edit(const GroupItem& item,
                                                      const CurrentLinks& current) = 0;

 protected:
  ~LinkedAddressesDialog() = default;
};
