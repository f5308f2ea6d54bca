// Tests of zelvox-tool dump on a project file written here.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "run_tool.h"

namespace {

class ToolDump : public ::testing::Test {
 protected:
  ToolDump() {
    char pattern[] = "/tmp/zelvox-dump-XXXXXX";
    dir = mkdtemp(pattern);
  }
  ~ToolDump() override { std::filesystem::remove_all(dir); }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir + "/" + name, std::ios::binary) << text;
  }
  std::string dir;
};

TEST_F(ToolDump, PrintsTheTreeInOrderAsUtf8) {
  // Windows-1252: "Caf\xE9" is "Café".
  Write("villa.zlv",
        "Caf\xE9\r\n"
        "Ground.Lights.1/2/3\tCeiling\tEIS 1 'Switching' (1 Bit)\tLow\tInit\t2/7 1/2/4\r\n"
        "Ground.Lights.1/2/4\t\tEIS 5 'Value' (2 Byte)\tSystem\tNoInit\t\r\n"
        "Central.2/7\tAll off\t2 Bit\tHigh\tNoInit\t1/2/3\r\n");
  Write("villa.phd", "01.01.005\r\n1.1.6\r\n02.00.010\r\n");
  const ToolRun run = RunTool({"dump", dir + "/villa.zlv"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            "project\tCaf\xC3\xA9\n"
            "node\tGround\t1\n"
            "node\tGround.Lights\t2\n"
            "item\tGround.Lights.1/2/3\tCeiling\tEIS 1 'Switching' (1 Bit)\t3\t1\t1/2/4 2/7\t2/7\n"
            "item\tGround.Lights.1/2/4\t\tEIS 5 'Value' (2 Byte)\t2\t0\t\t1/2/3\n"
            "node\tCentral\t2\n"
            "item\tCentral.2/7\tAll off\tEIS 8 'Scaling - control' (2 Bit)\t1\t0\t1/2/3\t1/2/3\n"
            "device\t01.01.005\n"
            "device\t02.00.010\n"
            "counters\t2\t1\t3\t2\n");
  EXPECT_EQ(run.err, "");
}

TEST_F(ToolDump, MissingFilesAndArguments) {
  const ToolRun missing = RunTool({"dump", dir + "/none.zlv"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("none.zlv"), std::string::npos);
  EXPECT_EQ(RunTool({"dump"}).exitCode, 2);

  // A project without its device file is dumped; the message goes to stderr.
  Write("alone.zlv", "Alone\r\n");
  const ToolRun alone = RunTool({"dump", dir + "/alone.zlv"});
  EXPECT_EQ(alone.exitCode, 0);
  EXPECT_EQ(alone.out, "project\tAlone\ncounters\t0\t0\t0\t0\n");
  EXPECT_NE(alone.err.find("alone.phd"), std::string::npos);
}

}  // namespace
