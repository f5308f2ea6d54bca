// zelvox-tool interface: listing the bus interfaces and setting the default in the settings.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "run_tool.h"

TEST(ToolInterface, ListsInterfacesAndSetsTheDefault) {
  char pattern[] = "/tmp/zelvox-tool-interface-XXXXXX";
  const std::filesystem::path home = mkdtemp(pattern);
  const char* before = std::getenv("ZELVOX_HOME");
  const std::string saved = before != nullptr ? before : "";
  setenv("ZELVOX_HOME", home.c_str(), 1);

  ToolRun run = RunTool({"interface"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "KNXnet/IP tunnelling\t127.0.0.1:3671\tdefault\nVirtual bus\t\t\n");

  run = RunTool({"interface", "set", "Virtual bus", "hall"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  run = RunTool({"interface", "set", "KNXnet/IP tunnelling", "knxd.local:3700"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  run = RunTool({"interface"});
  EXPECT_EQ(run.out, "KNXnet/IP tunnelling\tknxd.local:3700\tdefault\nVirtual bus\thall\t\n");

  run = RunTool({"interface", "set", "No such bus", "x"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("No such bus"), std::string::npos);
  EXPECT_EQ(RunTool({"interface", "set", "Virtual bus"}).exitCode, 2);

  if (before != nullptr) {
    setenv("ZELVOX_HOME", saved.c_str(), 1);
  } else {
    unsetenv("ZELVOX_HOME");
  }
  std::filesystem::remove_all(home);
}
