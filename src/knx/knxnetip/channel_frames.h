// ChannelRequest and ChannelResponse: the CONNECTIONSTATE and DISCONNECT frames, which share one
// layout (a channel and the control endpoint; a channel and a status).
#pragma once

#include <cstdint>
#include <optional>

#include "knx/knxnetip/bytes.h"
#include "knx/knxnetip/hpai.h"
#include "knx/knxnetip/knxnetip_header.h"

namespace knxnetip {

struct ChannelRequest {
  std::uint8_t channel = 0;
  Hpai control;
};

struct ChannelResponse {
  std::uint8_t channel = 0;
  std::uint8_t status = 0;
};

// service: ConnectionStateRequest or DisconnectRequest.
Bytes EncodeChannelRequest(ServiceType service, const ChannelRequest& request);
// service: ConnectionStateResponse or DisconnectResponse.
Bytes EncodeChannelResponse(ServiceType service, const ChannelResponse& response);
std::optional<ChannelRequest> DecodeChannelRequest(ByteView body);
std::optional<ChannelResponse> DecodeChannelResponse(ByteView body);

}  // namespace knxnetip
