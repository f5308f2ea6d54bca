// UdpSocket: where the tunnel connection sends its datagrams (the server endpoint is fixed).
#pragma once

#include "knx/knxnetip/bytes.h"

namespace knxnetip {

class UdpSocket {
 public:
  virtual ~UdpSocket() = default;
  // False when the datagram could not be handed to the network.
  virtual bool Send(ByteView datagram) = 0;
};

}  // namespace knxnetip
