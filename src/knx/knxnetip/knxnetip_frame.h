// KnxNetIpFrame: a received datagram checked and decoded into one of the tunnelling services.
#pragma once

#include <optional>
#include <variant>

#include "knx/knxnetip/bytes.h"
#include "knx/knxnetip/channel_frames.h"
#include "knx/knxnetip/connect_frames.h"
#include "knx/knxnetip/knxnetip_header.h"
#include "knx/knxnetip/tunnelling_frames.h"

namespace knxnetip {

struct KnxNetIpFrame {
  ServiceType service;
  // ChannelRequest serves CONNECTIONSTATE and DISCONNECT requests, ChannelResponse their
  // responses; service tells which.
  std::variant<ConnectRequest, ConnectResponse, ChannelRequest, ChannelResponse, TunnellingRequest,
               TunnellingAck>
      body;
};

// Empty for anything malformed, truncated or of a service the tunnel does not use
// (search frames included).
std::optional<KnxNetIpFrame> DecodeFrame(ByteView datagram);

}  // namespace knxnetip
