// The tunnel's UDP socket on POSIX.
#include "knx/knxnetip/posix_udp_socket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace knxnetip {
namespace {

sockaddr_in AddressOf(const Hpai& hpai) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  std::memcpy(&address.sin_addr.s_addr, hpai.address.data(), 4);
  address.sin_port = htons(hpai.port);
  return address;
}

// The local address of the route to `server`, found by connecting a throw-away socket.
std::optional<in_addr> RouteSource(const sockaddr_in& server) {
  const int probe = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (probe < 0) return std::nullopt;
  sockaddr_in local{};
  socklen_t length = sizeof(local);
  const bool found =
      connect(probe, reinterpret_cast<const sockaddr*>(&server), sizeof(server)) == 0 &&
      getsockname(probe, reinterpret_cast<sockaddr*>(&local), &length) == 0;
  close(probe);
  if (!found) return std::nullopt;
  return local.sin_addr;
}

}  // namespace

Hpai HpaiOf(const sockaddr_in& address) {
  Hpai hpai;
  std::memcpy(hpai.address.data(), &address.sin_addr.s_addr, 4);
  hpai.port = ntohs(address.sin_port);
  return hpai;
}

PosixUdpSocket::~PosixUdpSocket() {
  if (m_fd >= 0) close(m_fd);
}

bool PosixUdpSocket::Open(const sockaddr_in& server) {
  const auto source = RouteSource(server);
  if (!source) return false;
  m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (m_fd < 0) return false;
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr = *source;
  socklen_t length = sizeof(local);
  if (bind(m_fd, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0 ||
      getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
    close(m_fd);
    m_fd = -1;
    return false;
  }
  m_local = HpaiOf(local);
  return true;
}

bool PosixUdpSocket::Send(ByteView datagram, const Hpai& to) {
  // Refused or unreachable servers show as missing answers; the tunnel's time-outs handle them.
  const sockaddr_in address = AddressOf(to);
  return sendto(m_fd, datagram.data(), datagram.size(), MSG_NOSIGNAL,
                reinterpret_cast<const sockaddr*>(&address),
                sizeof(address)) == static_cast<ssize_t>(datagram.size());
}

std::optional<ReceivedDatagram> PosixUdpSocket::Receive() {
  ReceivedDatagram datagram{Bytes(1024), {}};
  for (;;) {
    sockaddr_in from{};
    socklen_t length = sizeof(from);
    const ssize_t n = recvfrom(m_fd, datagram.bytes.data(), datagram.bytes.size(), MSG_TRUNC,
                               reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    // Longer than any tunnelling frame: dropped rather than parsed cut short.
    if (static_cast<std::size_t>(n) > datagram.bytes.size()) continue;
    datagram.bytes.resize(static_cast<std::size_t>(n));
    datagram.from = HpaiOf(from);
    return datagram;
  }
}

}  // namespace knxnetip
