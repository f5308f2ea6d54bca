// zelvox-tool pa-parse: the value of a physical address text, or its negative error code.
#include "app/tool_command.h"
#include "knx/physical_address.h"

int RunPaParse(ToolArgs args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1) {
    err << "zelvox-tool: pa-parse takes one address text\n";
    return kToolUsage;
  }
  out << ParsePhysicalAddress(args[0]) << '\n';
  return kToolOk;
}
