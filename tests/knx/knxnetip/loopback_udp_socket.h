// LoopbackUdpSocket: a UDP socket on an ephemeral port of 127.0.0.1, for a test's server or a
// silent peer.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

class LoopbackUdpSocket {
 public:
  LoopbackUdpSocket() {
    m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(m_address);
    if (bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0 ||
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&m_address), &length) != 0) {
      ADD_FAILURE() << "no loopback socket";
    }
  }
  ~LoopbackUdpSocket() { close(m_fd); }
  LoopbackUdpSocket(const LoopbackUdpSocket&) = delete;
  LoopbackUdpSocket& operator=(const LoopbackUdpSocket&) = delete;

  int fd() const { return m_fd; }
  const sockaddr_in& address() const { return m_address; }
  int port() const { return ntohs(m_address.sin_port); }

 private:
  int m_fd = -1;
  sockaddr_in m_address{};
};
