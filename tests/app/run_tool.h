// RunTool: runs the built zelvox-tool with arguments and input, and collects its output and exit
// code.
#pragma once

#include <string>
#include <vector>

struct ToolRun {
  int exitCode = -1;  // -1 when the program could not be started or did not exit normally
  std::string out;
  std::string err;
};

// `input` is what the program reads from its standard input.
ToolRun RunTool(const std::vector<std::string>& args, const std::string& input = {});
