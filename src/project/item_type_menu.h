// ItemTypeMenu: which EIS type entries the list's type menu offers, and which one it checks.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

class GroupItem;

// The command of the menu's untyped entry.
constexpr std::uint32_t kCmdTypeUntyped = 32856;

struct ItemTypeMenu {
  // The type commands left in the menu, the untyped one included when it stays.
  std::vector<std::uint32_t> offered;
  // The selection's sizes differ, or the size has no type of its own: every type is offered,
  // and the untyped entry and the separator before it (position 19) leave the menu.
  bool mixed = false;
  std::uint32_t checked = 0;  // 0: nothing checked
};

// The menu for a right click on `clicked` (one of `selected`): the types of its size in bits;
// the entry of the type all selected items share is checked (for EIS 6 also the subtype).
ItemTypeMenu ChooseItemTypeMenu(const GroupItem& clicked, std::span<GroupItem* const> selected);
