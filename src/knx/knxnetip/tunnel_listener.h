// TunnelListener: what a tunnel connection reports to the driver above it.
#pragma once

#include <cstdint>

#include "knx/knxnetip/bytes.h"

namespace knxnetip {

// Called from inside TunnelConnection's operations; an implementation must not call back into
// the connection.
class TunnelListener {
 public:
  virtual ~TunnelListener() = default;
  // The tunnel is up with the individual address the server assigned.
  virtual void OnTunnelConnected(std::uint16_t individualAddress) = 0;
  // The tunnel was lost; it reconnects by itself.
  virtual void OnTunnelLost() = 0;
  // A cEMI frame from the server (L_Data.con or L_Data.ind), in order, each once.
  virtual void OnTunnelCemi(const Bytes& cemi) = 0;
  // A queued cEMI frame that was not accepted by the server (no acknowledgement, or the tunnel
  // was lost before it was sent).
  virtual void OnTunnelSendFailed(const Bytes& cemi) = 0;
};

}  // namespace knxnetip
