// main() of zelvox-tool: picks the command named by the first argument and runs it.
#include <algorithm>
#include <iostream>
#include <string_view>
#include <vector>

#include "app/tool_command.h"

namespace {

void PrintUsage(std::ostream& out) {
  out << "usage: zelvox-tool COMMAND [ARGUMENTS]\ncommands:\n";
  for (const ToolCommand& command : ToolCommands()) {
    out << "  zelvox-tool " << command.name << ' ' << command.usage << "\n      " << command.help
        << '\n';
  }
  out << "environment:\n"
         "  ZELVOX_HOME  the settings folder (default ~/.config/Varnok/Zelvox); the service's is\n"
         "      /var/lib/zelvox\n";
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + std::min(argc, 1), argv + argc);
  if (args.empty()) {
    PrintUsage(std::cerr);
    return kToolUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintUsage(std::cout);
    return kToolOk;
  }
  const auto commands = ToolCommands();
  const auto command = std::find_if(commands.begin(), commands.end(),
                                    [&](const ToolCommand& c) { return c.name == args[0]; });
  if (command == commands.end()) {
    std::cerr << "zelvox-tool: unknown command '" << args[0] << "'\n";
    PrintUsage(std::cerr);
    return kToolUsage;
  }
  const int code = command->run(ToolArgs(args).subspan(1), std::cout, std::cerr);
  if (code == kToolUsage) {
    std::cerr << "usage: zelvox-tool " << command->name << ' ' << command->usage << '\n';
  }
  std::cout.flush();
  return std::cout ? code : kToolFailed;
}
