// zelvox under a service manager: readiness on a notify socket of the test's own only once the
// OPC UA port accepts connections, the watchdog fed while it runs, and the stop reported.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "knx/driver_interface_chooser.h"
#include "loopback_port.h"
#include "platform/settings_store.h"
#include "run_tool.h"
#include "zelvox_process.h"

namespace {

namespace fs = std::filesystem;

// The next datagram within `seconds`, empty when none came.
std::string Receive(int fd, int seconds) {
  timeval limit{seconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  char buffer[512];
  const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
  return n < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(n));
}

TEST(ServiceReadiness, ReadyOnlyWhenThePortServesThenWatchdogAndStopping) {
  std::string pattern = (fs::temp_directory_path() / "zelvox-notify-XXXXXX").string();
  const std::string dir = mkdtemp(pattern.data());
  const std::string home = dir + "/home";
  fs::create_directories(home);
  SettingsStore(home + "/HKCU.reg").SetText(kBusAccessKey, kDefaultInterfaceValue, "Virtual bus");
  const std::string project = dir + "/demo.zlv";
  ASSERT_EQ(RunTool({"import-esf", ZELVOX_DEMO_ESF, project}).exitCode, 0);

  const std::string socketPath = dir + "/notify";
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  const int port = FreeLoopbackPort();
  ASSERT_GT(port, 0);
  ZelvoxProcess zelvox({"--headless", "--opcua-port", std::to_string(port), project},
                       {{"ZELVOX_HOME", home},
                        {"ZELVOX_LANG_DIR", ZELVOX_LANG_SOURCE},
                        {"NOTIFY_SOCKET", socketPath},
                        {"WATCHDOG_USEC", "300000"}},
                       dir + "/err.txt");
  ASSERT_TRUE(zelvox.Started());

  // The first message is the readiness, and at that moment the port already accepts.
  const std::string ready = Receive(fd, 15);
  ASSERT_TRUE(ready.starts_with("READY=1\n")) << ready << zelvox.Err();
  EXPECT_TRUE(LoopbackAccepts(port));
  EXPECT_NE(ready.find("STATUS=serving opc.tcp://127.0.0.1:" + std::to_string(port)),
            std::string::npos)
      << ready;

  // Half the watchdog timeout apart, from the main loop.
  EXPECT_EQ(Receive(fd, 2), "WATCHDOG=1");
  EXPECT_EQ(Receive(fd, 2), "WATCHDOG=1");

  EXPECT_EQ(zelvox.Signal(SIGTERM, std::chrono::seconds(2)), 0) << zelvox.Err();
  std::string last;
  for (std::string message = Receive(fd, 1); !message.empty(); message = Receive(fd, 1)) {
    last = message;
  }
  EXPECT_EQ(last, "STOPPING=1");
  close(fd);
  fs::remove_all(dir);
}

}  // namespace
