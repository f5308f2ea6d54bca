// ServiceNotify: messages to the service manager's notify socket (readiness, watchdog, stopping).
#pragma once

#include <chrono>
#include <string>
#include <string_view>

// The datagram protocol systemd documents for Type=notify services: NOTIFY_SOCKET names an
// AF_UNIX datagram socket (a path, or "@name" for the abstract namespace) to which the service
// sends newline-separated "NAME=value" assignments such as "READY=1", "WATCHDOG=1" and
// "STOPPING=1". Without NOTIFY_SOCKET every message is dropped, so a start outside systemd
// behaves as before.
class ServiceNotify {
 public:
  // From NOTIFY_SOCKET, WATCHDOG_USEC and WATCHDOG_PID. The watchdog is asked for only when
  // WATCHDOG_USEC is a positive number and WATCHDOG_PID is unset or names this process.
  static ServiceNotify FromEnvironment();
  ServiceNotify(std::string socketName, std::chrono::microseconds watchdogTimeout)
      : m_socket(std::move(socketName)), m_watchdog(watchdogTimeout) {}

  bool Enabled() const { return !m_socket.empty(); }
  // Sends `state` as one datagram; false when there is no socket or the send failed.
  bool Send(std::string_view state) const;
  // How often to send "WATCHDOG=1": half the manager's timeout, zero when it asked for none.
  std::chrono::milliseconds WatchdogPeriod() const;

 private:
  std::string m_socket;
  std::chrono::microseconds m_watchdog;
};
