// The tunnel's UDP socket on POSIX.
#include "knx/knxnetip/posix_udp_socket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace knxnetip {

PosixUdpSocket::~PosixUdpSocket() {
  if (m_fd >= 0) close(m_fd);
}

bool PosixUdpSocket::Open(const sockaddr_in& server) {
  m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (m_fd < 0) return false;
  sockaddr_in local{};
  socklen_t length = sizeof(local);
  if (connect(m_fd, reinterpret_cast<const sockaddr*>(&server), sizeof(server)) != 0 ||
      getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
    close(m_fd);
    m_fd = -1;
    return false;
  }
  std::memcpy(m_local.address.data(), &local.sin_addr.s_addr, 4);
  m_local.port = ntohs(local.sin_port);
  return true;
}

bool PosixUdpSocket::Send(ByteView datagram) {
  // Refused or unreachable servers show as missing answers; the tunnel's time-outs handle them.
  return send(m_fd, datagram.data(), datagram.size(), MSG_NOSIGNAL) ==
         static_cast<ssize_t>(datagram.size());
}

std::optional<Bytes> PosixUdpSocket::Receive() {
  Bytes buffer(1024);
  for (;;) {
    const ssize_t n = recv(m_fd, buffer.data(), buffer.size(), MSG_TRUNC);
    if (n < 0) {
      // A port-unreachable report from an earlier send comes back as an error once; the next
      // datagram may already be waiting behind it.
      if (errno == ECONNREFUSED || errno == EINTR) continue;
      return std::nullopt;
    }
    // Longer than any tunnelling frame: dropped rather than parsed cut short.
    if (static_cast<std::size_t>(n) > buffer.size()) continue;
    buffer.resize(static_cast<std::size_t>(n));
    return buffer;
  }
}

}  // namespace knxnetip
