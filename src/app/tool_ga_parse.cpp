// zelvox-tool ga-parse: an address text to its 16-bit group address.
#include "app/tool_command.h"
#include "project/group_address.h"

int RunGaParse(ToolArgs args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1) {
    err << "zelvox-tool: ga-parse takes one address text\n";
    return kToolUsage;
  }
  out << ParseGroupAddress(args[0]) << '\n';
  return kToolOk;
}
