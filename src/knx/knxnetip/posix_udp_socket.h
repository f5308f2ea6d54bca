// PosixUdpSocket: a non-blocking IPv4 UDP socket that talks to the tunnel server's endpoints.
#pragma once

#include <netinet/in.h>

#include <optional>

#include "knx/knxnetip/hpai.h"
#include "knx/knxnetip/udp_socket.h"

namespace knxnetip {

// A datagram and the endpoint it came from.
struct ReceivedDatagram {
  Bytes bytes;
  Hpai from;
};

Hpai HpaiOf(const sockaddr_in& address);

class PosixUdpSocket : public UdpSocket {
 public:
  PosixUdpSocket() = default;
  PosixUdpSocket(const PosixUdpSocket&) = delete;
  PosixUdpSocket& operator=(const PosixUdpSocket&) = delete;
  ~PosixUdpSocket() override;

  // Binds to the local address that the route to the server leaves from (the address that
  // goes into the HPAI blocks). The socket is not connected: the server may answer from
  // another endpoint than the one it was asked at.
  bool Open(const sockaddr_in& server);
  bool Send(ByteView datagram, const Hpai& to) override;
  // The next waiting datagram; empty when none waits.
  std::optional<ReceivedDatagram> Receive();

  int fd() const { return m_fd; }
  const Hpai& local() const { return m_local; }

 private:
  int m_fd = -1;
  Hpai m_local;
};

}  // namespace knxnetip
