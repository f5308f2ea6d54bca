// EisTypeCommand: the command identifiers of the EIS type menu and their (EIS, subtype) pairs.
#include "project/eis_type_command.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<EisTypeCommandEntry, 20> kCommands{{
    {32856, 0, 0},  {32772, 1, 0},  {32781, 2, 1},  {32782, 2, 2},  {32783, 2, 3},
    {32774, 3, 0},  {32784, 4, 0},  {32785, 5, 0},  {32786, 6, 1},  {32787, 6, 2},
    {32788, 7, 0},  {32789, 8, 1},  {32790, 8, 2},  {32791, 9, 0},  {32792, 10, 0},
    {32793, 11, 0}, {32794, 12, 0}, {32795, 13, 0}, {32796, 14, 0}, {32797, 15, 0},
}};

}  // namespace

std::span<const EisTypeCommandEntry> EisTypeCommands() {
  return kCommands;
}

std::optional<EisTypeCommandEntry> EisTypeCommand(std::uint32_t command) {
  auto it = std::find_if(kCommands.begin(), kCommands.end(),
                         [command](const EisTypeCommandEntry& e) { return e.command == command; });
  if (it == kCommands.end()) return std::nullopt;
  return *it;
}
