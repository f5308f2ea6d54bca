// zelvox-tool interface search against knxd, inside a private network namespace.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "child_process.h"
#include "interop_helpers.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

class GatewaySearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnlyLoopback()) GTEST_SKIP() << "needs a private network namespace with only loopback";
    char pattern[] = "/tmp/zelvox-search-XXXXXX";
    m_dir = mkdtemp(pattern);
    ASSERT_TRUE(StartKnxd(m_knxd, m_dir / "server.sock", kPort, m_dir / "knxd.log"));
  }
  void TearDown() override {
    m_knxd.Stop(5s);
    if (HasFailure() && !m_dir.empty()) {
      std::printf("--- knxd\n%s", ReadFile(m_dir / "knxd.log").c_str());
    }
    if (!m_dir.empty()) fs::remove_all(m_dir);
  }

  // zelvox-tool interface search --to `to`: its exit status and its output.
  std::pair<int, std::string> Search(const std::string& to) {
    const fs::path out = m_dir / "search.out";
    fs::remove(out);
    const int status = RunProgram(
        {ZELVOX_TOOL_PROGRAM, "interface", "search", "--timeout", "1", "--to", to}, out.string());
    return {status, ReadFile(out)};
  }

  static constexpr int kPort = 13671;
  fs::path m_dir;
  ChildProcess m_knxd;
};

}  // namespace

TEST_F(GatewaySearchTest, FindsKnxdAtItsAddressAndInItsGroup) {
  const std::string line =
      std::string(kKnxdName) + "\t127.0.0.1:" + std::to_string(kPort) + "\t1.0.1\n";
  // Asked directly; knxd names its loopback endpoint and its own individual address.
  EXPECT_EQ(Search("127.0.0.1:" + std::to_string(kPort)), std::make_pair(0, line));
  // Asked in the multicast group knxd serves inside this namespace (routed to loopback only).
  EXPECT_EQ(Search("239.255.36.71:" + std::to_string(kPort)), std::make_pair(0, line));
}
