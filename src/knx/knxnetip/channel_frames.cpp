// Encoding and decoding of CONNECTIONSTATE and DISCONNECT request and response bodies.
#include "knx/knxnetip/channel_frames.h"

namespace knxnetip {

Bytes EncodeChannelRequest(ServiceType service, const ChannelRequest& request) {
  Bytes out;
  EncodeHeader(out, service, 2 + kHpaiSize);
  out.push_back(request.channel);
  out.push_back(0x00);
  EncodeHpai(out, request.control);
  return out;
}

Bytes EncodeChannelResponse(ServiceType service, const ChannelResponse& response) {
  Bytes out;
  EncodeHeader(out, service, 2);
  out.push_back(response.channel);
  out.push_back(response.status);
  return out;
}

std::optional<ChannelRequest> DecodeChannelRequest(ByteView body) {
  if (body.size() != 2 + kHpaiSize) return std::nullopt;
  auto control = DecodeHpai(body.subspan(2));
  if (!control) return std::nullopt;
  return ChannelRequest{body[0], *control};
}

std::optional<ChannelResponse> DecodeChannelResponse(ByteView body) {
  if (body.size() != 2) return std::nullopt;
  return ChannelResponse{body[0], body[1]};
}

}  // namespace knxnetip
