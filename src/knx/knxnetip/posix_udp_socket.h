// PosixUdpSocket: a non-blocking IPv4 UDP socket connected to the tunnel server.
#pragma once

#include <netinet/in.h>

#include <optional>

#include "knx/knxnetip/hpai.h"
#include "knx/knxnetip/udp_socket.h"

namespace knxnetip {

class PosixUdpSocket : public UdpSocket {
 public:
  PosixUdpSocket() = default;
  PosixUdpSocket(const PosixUdpSocket&) = delete;
  PosixUdpSocket& operator=(const PosixUdpSocket&) = delete;
  ~PosixUdpSocket() override;

  // Connecting fixes the peer (datagrams from elsewhere are not received) and the local
  // address that goes into the HPAI blocks.
  bool Open(const sockaddr_in& server);
  bool Send(ByteView datagram) override;
  // The next waiting datagram; empty when none waits.
  std::optional<Bytes> Receive();

  int fd() const { return m_fd; }
  const Hpai& local() const { return m_local; }

 private:
  int m_fd = -1;
  Hpai m_local;
};

}  // namespace knxnetip
