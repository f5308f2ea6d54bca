// ServiceNotify: the datagrams reach a path socket and an abstract one; the environment decides
// whether there is a socket and a watchdog.
#include "platform/service_notify.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

// A datagram socket bound to `name` ("@..." abstract), reading with a one-second limit.
class Receiver {
 public:
  explicit Receiver(const std::string& name) {
    m_fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.data(), name.size());
    socklen_t length = offsetof(sockaddr_un, sun_path) + name.size();
    if (name[0] == '@') address.sun_path[0] = '\0';
    m_bound = bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
    timeval limit{1, 0};
    setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  }
  ~Receiver() { close(m_fd); }
  bool Bound() const { return m_bound; }
  std::string Receive() {
    char buffer[512];
    const ssize_t n = recv(m_fd, buffer, sizeof buffer, 0);
    return n < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(n));
  }

 private:
  int m_fd = -1;
  bool m_bound = false;
};

// Sets the three variables for the scope of a test and restores them after it.
class NotifyEnvironment {
 public:
  NotifyEnvironment(const char* socket, const char* usec, const char* pid) {
    Set("NOTIFY_SOCKET", socket);
    Set("WATCHDOG_USEC", usec);
    Set("WATCHDOG_PID", pid);
  }
  ~NotifyEnvironment() {
    unsetenv("NOTIFY_SOCKET");
    unsetenv("WATCHDOG_USEC");
    unsetenv("WATCHDOG_PID");
  }

 private:
  static void Set(const char* name, const char* value) {
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
};

TEST(ServiceNotify, SendsToPathAndAbstractSockets) {
  char pattern[] = "/tmp/zelvox-notify-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  const std::string path = dir + "/notify";
  Receiver onPath(path);
  ASSERT_TRUE(onPath.Bound());
  EXPECT_TRUE(ServiceNotify(path, {}).Send("READY=1\nSTATUS=serving"));
  EXPECT_EQ(onPath.Receive(), "READY=1\nSTATUS=serving");

  const std::string abstract = "@zelvox-notify-test-" + std::to_string(getpid());
  Receiver onAbstract(abstract);
  ASSERT_TRUE(onAbstract.Bound());
  EXPECT_TRUE(ServiceNotify(abstract, {}).Send("WATCHDOG=1"));
  EXPECT_EQ(onAbstract.Receive(), "WATCHDOG=1");

  // Nobody listening, or no socket at all: the message is reported as not sent.
  EXPECT_FALSE(ServiceNotify(dir + "/nobody", {}).Send("READY=1"));
  EXPECT_FALSE(ServiceNotify("", {}).Send("READY=1"));
  EXPECT_FALSE(ServiceNotify("/" + std::string(200, 'x'), {}).Send("READY=1"));
  std::filesystem::remove_all(dir);
}

TEST(ServiceNotify, EnvironmentChoosesSocketAndWatchdog) {
  using std::chrono::milliseconds;
  {
    const NotifyEnvironment env("/run/notify", "20000000", nullptr);
    const ServiceNotify notify = ServiceNotify::FromEnvironment();
    EXPECT_TRUE(notify.Enabled());
    EXPECT_EQ(notify.WatchdogPeriod(), milliseconds(10000));
  }
  {
    // The watchdog is meant for this process only.
    const std::string own = std::to_string(getpid());
    const NotifyEnvironment mine("@abstract", "3000", own.c_str());
    EXPECT_EQ(ServiceNotify::FromEnvironment().WatchdogPeriod(), milliseconds(1));
    const std::string other = std::to_string(getpid() + 1);
    const NotifyEnvironment theirs("@abstract", "3000000", other.c_str());
    EXPECT_EQ(ServiceNotify::FromEnvironment().WatchdogPeriod(), milliseconds(0));
  }
  {
    // A relative name is no address of the protocol; a bad timeout asks for no watchdog.
    const NotifyEnvironment env("relative/notify", "12abc", nullptr);
    const ServiceNotify notify = ServiceNotify::FromEnvironment();
    EXPECT_FALSE(notify.Enabled());
    EXPECT_EQ(notify.WatchdogPeriod(), milliseconds(0));
  }
  {
    const NotifyEnvironment env(nullptr, nullptr, nullptr);
    EXPECT_FALSE(ServiceNotify::FromEnvironment().Enabled());
  }
}

}  // namespace
