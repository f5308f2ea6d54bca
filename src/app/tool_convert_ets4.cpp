// zelvox-tool convert-ets4: an ETS4 export converted in place, the original kept as backup.
#include "app/tool_command.h"
#include "project/ets4_conversion.h"

int RunConvertEts4(ToolArgs args, std::ostream&, std::ostream& err) {
  if (args.size() != 1) {
    err << "zelvox-tool: convert-ets4 takes one ESF export\n";
    return kToolUsage;
  }
  const std::string path(args[0]);
  if (ConvertEts4File(path)) return kToolOk;
  err << "zelvox-tool: cannot convert " << path << '\n';
  return kToolFailed;
}
