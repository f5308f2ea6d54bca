// zelvox-tool eis-type: the EIS type that a type text from an ESF export or project file names.
#include "app/tool_command.h"
#include "project/eis_type.h"

int RunEisType(ToolArgs args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1) {
    err << "zelvox-tool: eis-type takes one type text\n";
    return kToolUsage;
  }
  const EisType& type = MatchEsfType(args[0]);
  out << type.name << '\t' << type.eis << '\t' << type.subtype << '\t' << type.size << '\t'
      << type.canonical << '\n';
  return kToolOk;
}
