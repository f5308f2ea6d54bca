// The table of zelvox-tool's commands; each command lives in its own file.
#include <array>

#include "app/tool_command.h"

int RunGaParse(ToolArgs args, std::ostream& out, std::ostream& err);
int RunGaFormat(ToolArgs args, std::ostream& out, std::ostream& err);
int RunEisType(ToolArgs args, std::ostream& out, std::ostream& err);

namespace {

constexpr std::array<ToolCommand, 3> kCommands{{
    {"ga-parse", "TEXT", "the group address of an address text, in decimal", RunGaParse},
    {"ga-format", "VALUE --levels 2|3", "a group address (decimal or 0x hex) as text", RunGaFormat},
    {"eis-type", "TEXT",
     "the EIS type of a type text: name, EIS number, subtype, bits, VARTYPE (TAB-separated)",
     RunEisType},
}};

}  // namespace

std::span<const ToolCommand> ToolCommands() {
  return kCommands;
}
