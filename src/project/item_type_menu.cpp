// ItemTypeMenu: the type entries by item size, and the shared type's check mark.
#include "project/item_type_menu.h"

#include <algorithm>
#include <initializer_list>

#include "project/eis_type_command.h"
#include "project/group_item.h"

namespace {

// The type commands a size in bits allows; empty for a size without types of its own.
std::vector<std::uint32_t> CommandsOfSize(std::int32_t bits) {
  auto of = [](std::initializer_list<std::uint32_t> ids) {
    return std::vector<std::uint32_t>(ids);
  };
  switch (bits) {
    case 1:
      return of({32772, 32781, 32788, 32789});
    case 2:
      return of({32790});
    case 4:
      return of({32782});
    case 8:
      return of({32783, 32786, 32787, 32795, 32796});
    case 16:
      return of({32785, 32792});
    case 24:
      return of({32774, 32784});
    case 32:
      return of({32791, 32793, 32794});
    case 112:
      return of({32797});
    default:
      return {};
  }
}

}  // namespace

ItemTypeMenu ChooseItemTypeMenu(const GroupItem& clicked, std::span<GroupItem* const> selected) {
  const bool sameSize = std::all_of(selected.begin(), selected.end(), [&](const GroupItem* i) {
    return i->m_size == clicked.m_size;
  });
  const bool sameEis = std::all_of(selected.begin(), selected.end(),
                                   [&](const GroupItem* i) { return i->m_eis == clicked.m_eis; });
  const bool sameSubtype = std::all_of(selected.begin(), selected.end(), [&](const GroupItem* i) {
    return i->m_subtype == clicked.m_subtype;
  });

  ItemTypeMenu menu;
  std::vector<std::uint32_t> commands =
      sameSize ? CommandsOfSize(clicked.m_size) : std::vector<std::uint32_t>{};
  // 112 bits are a type of their own only while every selected item is of one EIS number.
  if (clicked.m_size == 112 && !sameEis) commands.clear();
  if (commands.empty()) {
    menu.mixed = true;
    for (const EisTypeCommandEntry& e : EisTypeCommands()) {
      if (e.command != kCmdTypeUntyped) menu.offered.push_back(e.command);
    }
    return menu;
  }

  menu.offered = commands;
  menu.offered.push_back(kCmdTypeUntyped);
  if (!sameEis) return menu;
  for (std::uint32_t command : commands) {
    const EisTypeCommandEntry e = *EisTypeCommand(command);
    if (e.eis != clicked.m_eis) continue;
    if (e.eis == 6 && (!sameSubtype || e.subtype != clicked.m_subtype)) continue;
    menu.checked = command;
    break;
  }
  return menu;
}
