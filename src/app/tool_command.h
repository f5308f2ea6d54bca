// ToolCommand: one command of zelvox-tool and the table that lists them all.
#pragma once

#include <ostream>
#include <span>
#include <string_view>

using ToolArgs = std::span<const std::string_view>;

// Exit codes of zelvox-tool.
constexpr int kToolOk = 0;
constexpr int kToolFailed = 1;
constexpr int kToolUsage = 2;

struct ToolCommand {
  std::string_view name;   // first argument, e.g. "ga-parse"
  std::string_view usage;  // the arguments that follow, e.g. "TEXT"
  std::string_view help;   // one line on what it does
  // Runs with the arguments after the name; writes its result to `out`, problems to `err`.
  // Returns kToolUsage for bad arguments (the caller adds the usage line).
  int (*run)(ToolArgs args, std::ostream& out, std::ostream& err);
};

// Every command, in the order the usage text lists them.
std::span<const ToolCommand> ToolCommands();
