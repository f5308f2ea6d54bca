// TunnellingRequest and TunnellingAck: a cEMI frame carried on a tunnel channel, and its
// acknowledgement.
#pragma once

#include <cstdint>
#include <optional>

#include "knx/knxnetip/bytes.h"

namespace knxnetip {

struct TunnellingRequest {
  std::uint8_t channel = 0;
  std::uint8_t sequence = 0;
  Bytes cemi;
};

struct TunnellingAck {
  std::uint8_t channel = 0;
  std::uint8_t sequence = 0;
  std::uint8_t status = 0;
};

Bytes EncodeTunnellingRequest(const TunnellingRequest& request);
Bytes EncodeTunnellingAck(const TunnellingAck& ack);
// A request must carry a non-empty cEMI frame after its four-byte connection header.
std::optional<TunnellingRequest> DecodeTunnellingRequest(ByteView body);
std::optional<TunnellingAck> DecodeTunnellingAck(ByteView body);

}  // namespace knxnetip
