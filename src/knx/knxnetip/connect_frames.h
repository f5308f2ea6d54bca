// ConnectRequest and ConnectResponse: opening a tunnel connection on the link layer.
#pragma once

#include <cstdint>
#include <optional>

#include "knx/knxnetip/bytes.h"
#include "knx/knxnetip/hpai.h"

namespace knxnetip {

// Asks for a tunnel connection on the link layer (CRI 04 04 02 00).
struct ConnectRequest {
  Hpai control;
  Hpai data;
};

// The server's answer: a channel and, when the status is E_NO_ERROR, the individual address that
// the server assigned to the tunnel (from the CRD).
struct ConnectResponse {
  std::uint8_t channel = 0;
  std::uint8_t status = 0;
  Hpai data;
  std::uint16_t individualAddress = 0;
};

Bytes EncodeConnectRequest(const ConnectRequest& request);
Bytes EncodeConnectResponse(const ConnectResponse& response);
// Decode the frame body (after the header).
std::optional<ConnectRequest> DecodeConnectRequest(ByteView body);
std::optional<ConnectResponse> DecodeConnectResponse(ByteView body);

}  // namespace knxnetip
