// UdpSocket: where the tunnel connection sends its datagrams (to the server's control or data
// endpoint).
#pragma once

#include "knx/knxnetip/bytes.h"
#include "knx/knxnetip/hpai.h"

namespace knxnetip {

class UdpSocket {
 public:
  virtual ~UdpSocket() = default;
  // False when the datagram could not be handed to the network.
  virtual bool Send(ByteView datagram, const Hpai& to) = 0;
};

}  // namespace knxnetip
