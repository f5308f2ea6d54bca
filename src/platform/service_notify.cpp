// ServiceNotify: the environment it is told by and the datagram it sends.
#include "platform/service_notify.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string_view(value) : std::string_view();
}

// A positive decimal number, or 0 for anything else.
long long PositiveNumber(std::string_view text) {
  long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value > 0 ? value : 0;
}

}  // namespace

ServiceNotify ServiceNotify::FromEnvironment() {
  std::string socketName(Environment("NOTIFY_SOCKET"));
  // Only absolute paths and abstract names are addresses of the protocol.
  if (!socketName.starts_with('/') && !socketName.starts_with('@')) socketName.clear();
  std::chrono::microseconds watchdog(PositiveNumber(Environment("WATCHDOG_USEC")));
  const std::string_view pid = Environment("WATCHDOG_PID");
  if (!pid.empty() && PositiveNumber(pid) != getpid()) watchdog = {};
  return ServiceNotify(std::move(socketName), watchdog);
}

bool ServiceNotify::Send(std::string_view state) const {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (m_socket.empty() || m_socket.size() >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, m_socket.data(), m_socket.size());
  // "@name" is the abstract name "\0name", whose length counts without a terminating zero.
  socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + m_socket.size());
  if (m_socket[0] == '@') {
    address.sun_path[0] = '\0';
  } else {
    ++length;
  }
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const ssize_t sent = sendto(fd, state.data(), state.size(), MSG_NOSIGNAL,
                              reinterpret_cast<const sockaddr*>(&address), length);
  close(fd);
  return sent == static_cast<ssize_t>(state.size());
}

std::chrono::milliseconds ServiceNotify::WatchdogPeriod() const {
  if (m_watchdog.count() <= 0) return {};
  // At least a millisecond, so that a tiny timeout never makes a timer that spins.
  return std::max(std::chrono::milliseconds(1),
                  std::chrono::duration_cast<std::chrono::milliseconds>(m_watchdog / 2));
}
