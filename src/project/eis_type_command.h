// EisTypeCommand: the menu commands that set the EIS type of the selected items.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

struct EisTypeCommandEntry {
  std::uint32_t command;
  std::int32_t eis;
  std::int32_t subtype;
};

// All type commands: 32772.. for EIS 1 to 15 and their variants, 32856 for untyped.
std::span<const EisTypeCommandEntry> EisTypeCommands();
// The entry of a command identifier; none when it is no type command.
std::optional<EisTypeCommandEntry> EisTypeCommand(std::uint32_t command);
