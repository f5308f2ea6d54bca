// zelvox-tool interface: listing the bus interfaces, setting the default in the settings, and
// the arguments and silence of a search.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

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

TEST(ToolInterface, SearchRefusesBadArgumentsAndReportsSilence) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"interface", "search", "--timeout"},
        {"interface", "search", "--timeout", "0"},
        {"interface", "search", "--timeout", "-1"},
        {"interface", "search", "--timeout", "2s"},
        {"interface", "search", "--timeout", "61"},
        {"interface", "search", "--to", "127.0.0.1:0"},
        {"interface", "search", "--to", "127.0.0.1:70000"},
        {"interface", "search", "--to", ":3671"},
        {"interface", "search", "--to", "127.0.0.1,nat"},
        {"interface", "search", "--wait", "1"}}) {
    const ToolRun run = RunTool(args);
    EXPECT_EQ(run.exitCode, 2) << args.back();
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("zelvox-tool: "), std::string::npos) << args.back();
  }

  // A loopback port where nothing answers: nothing listed, and the silence is an error.
  const int silent = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const ToolRun run = RunTool({"interface", "search", "--timeout", "0.2", "--to",
                               "127.0.0.1:" + std::to_string(ntohs(address.sin_port))});
  close(silent);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(run.err, "zelvox-tool: no KNXnet/IP tunnelling server answered within 0.2 s\n");
}
