// The headless server as a program: starts on a project, serves OPC UA on 127.0.0.1, and
// stops cleanly on SIGTERM within two seconds.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "loopback_port.h"
#include "run_tool.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class HeadlessTest : public ::testing::Test {
 protected:
  HeadlessTest() {
    char pattern[] = "/tmp/zelvox-headless-XXXXXX";
    dir = mkdtemp(pattern);
    setenv("ZELVOX_HOME", dir.c_str(), 1);
  }
  ~HeadlessTest() override {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    std::filesystem::remove_all(dir);
  }

  void Start(const std::vector<std::string>& args) {
    const std::string errPath = dir + "/stderr.txt";
    pid = fork();
    if (pid == 0) {
      const int fd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(fd, 2);
      std::vector<char*> argv{const_cast<char*>(ZELVOX_PATH)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(ZELVOX_PATH, argv.data());
      _exit(127);
    }
  }

  // The port from the "serving" line, 0 when none came within five seconds.
  int ServingPort() {
    const std::regex serving("serving opc\\.tcp://127\\.0\\.0\\.1:([0-9]+)");
    for (auto until = Clock::now() + std::chrono::seconds(5); Clock::now() < until;) {
      std::smatch match;
      const std::string err = ReadAll(dir + "/stderr.txt");
      if (std::regex_search(err, match, serving)) return std::stoi(match[1]);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
  }

  // SIGTERM, then the exit status if the program ended within `limit`; -1 otherwise.
  int Terminate(std::chrono::milliseconds limit) {
    kill(pid, SIGTERM);
    for (auto until = Clock::now() + limit; Clock::now() < until;) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }

  std::string dir;
  pid_t pid = -1;
};

}  // namespace

TEST_F(HeadlessTest, ServesADemoProjectInSimulationAndStopsOnSigterm) {
  const std::string project = dir + "/demo.zlv";
  ASSERT_EQ(RunTool({"import-esf", ZELVOX_DEMO_ESF, project}).exitCode, 0);
  Start({"--headless", "--simulate", "--port", "0", project});
  const int port = ServingPort();
  ASSERT_GT(port, 0) << ReadAll(dir + "/stderr.txt");
  EXPECT_TRUE(LoopbackAccepts(port));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a few worker passes
  EXPECT_EQ(Terminate(std::chrono::seconds(2)), 0);
}

TEST_F(HeadlessTest, RefusesAMissingProjectAndBadArguments) {
  Start({"--headless", "--port", "0", dir + "/none.zlv"});
  int status = 0;
  waitpid(pid, &status, 0);
  pid = -1;
  EXPECT_EQ(WEXITSTATUS(status), 1);
  Start({"--simulate"});
  waitpid(pid, &status, 0);
  pid = -1;
  EXPECT_EQ(WEXITSTATUS(status), 2);
}
