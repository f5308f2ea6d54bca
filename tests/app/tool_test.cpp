// Tests of zelvox-tool's commands through the built program: exact output and exit codes.
#include <gtest/gtest.h>

#include "run_tool.h"

namespace {

void ExpectOutput(const std::vector<std::string>& args, const std::string& out) {
  const ToolRun run = RunTool(args);
  EXPECT_EQ(run.exitCode, 0) << args[0];
  EXPECT_EQ(run.out, out) << args[0];
  EXPECT_EQ(run.err, "") << args[0];
}

void ExpectUsageError(const std::vector<std::string>& args) {
  const ToolRun run = RunTool(args);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("usage: zelvox-tool"), std::string::npos) << run.err;
}

}  // namespace

TEST(Tool, GroupAddressCommands) {
  ExpectOutput({"ga-parse", "1/2/3"}, "2563\n");
  ExpectOutput({"ga-parse", "1/515"}, "2563\n");
  ExpectOutput({"ga-parse", "40/9/300"}, "16684\n");
  ExpectOutput({"ga-parse", "7"}, "0\n");
  ExpectOutput({"ga-format", "2563", "--levels", "2"}, "1/515\n");
  ExpectOutput({"ga-format", "--levels", "3", "2563"}, "1/2/3\n");
  ExpectOutput({"ga-format", "0xFFFF", "--levels", "3"}, "31/7/255\n");
  ExpectOutput({"ga-format", "0", "--levels", "2"}, "0/0\n");

  ExpectUsageError({"ga-parse"});
  ExpectUsageError({"ga-format", "2563"});
  ExpectUsageError({"ga-format", "65536", "--levels", "3"});
  ExpectUsageError({"ga-format", "12ab", "--levels", "3"});
  ExpectUsageError({"ga-format", "2563", "--levels", "4"});
}

TEST(Tool, EisTypeCommand) {
  ExpectOutput({"eis-type", "EIS 2 'Dimming - control' (4 Bit)"},
               "EIS 2 'Dimming - control' (4 Bit)\t2\t2\t4\t17\n");
  ExpectOutput({"eis-type", "2 Bit"}, "EIS 8 'Scaling - control' (2 Bit)\t8\t0\t2\t17\n");
  ExpectOutput({"eis-type", "EIS 10 something"}, "EIS 10 '16Bit Counter' (2 Byte)\t10\t0\t16\t2\n");
  ExpectOutput({"eis-type", "1 Byte"}, "Uncertain (1 Byte)\t0\t0\t8\t8209\n");
  ExpectOutput({"eis-type", "Array of Strings"}, "Array of Strings\t-2\t-1\t-1\t8200\n");
  ExpectOutput({"eis-type", ""}, "Unknown\t0\t0\t112\t8209\n");
  ExpectUsageError({"eis-type"});
}

TEST(Tool, CommandSelection) {
  ExpectUsageError({});
  const ToolRun unknown = RunTool({"no-such-command"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("unknown command 'no-such-command'"), std::string::npos);
  const ToolRun help = RunTool({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("zelvox-tool eis-type TEXT"), std::string::npos);
}
