// Encoding and decoding of TUNNELLING_REQUEST and TUNNELLING_ACK bodies.
#include "knx/knxnetip/tunnelling_frames.h"

#include "knx/knxnetip/knxnetip_header.h"

namespace knxnetip {
namespace {

constexpr std::uint8_t kConnectionHeaderSize = 4;

}  // namespace

Bytes EncodeTunnellingRequest(const TunnellingRequest& request) {
  Bytes out;
  out.reserve(kHeaderSize + kConnectionHeaderSize + request.cemi.size());
  EncodeHeader(out, ServiceType::TunnellingRequest, kConnectionHeaderSize + request.cemi.size());
  out.insert(out.end(), {kConnectionHeaderSize, request.channel, request.sequence, 0x00});
  out.insert(out.end(), request.cemi.begin(), request.cemi.end());
  return out;
}

Bytes EncodeTunnellingAck(const TunnellingAck& ack) {
  Bytes out;
  EncodeHeader(out, ServiceType::TunnellingAck, kConnectionHeaderSize);
  out.insert(out.end(), {kConnectionHeaderSize, ack.channel, ack.sequence, ack.status});
  return out;
}

std::optional<TunnellingRequest> DecodeTunnellingRequest(ByteView body) {
  if (body.size() <= kConnectionHeaderSize || body[0] != kConnectionHeaderSize) {
    return std::nullopt;
  }
  return TunnellingRequest{body[1], body[2],
                           Bytes(body.begin() + kConnectionHeaderSize, body.end())};
}

std::optional<TunnellingAck> DecodeTunnellingAck(ByteView body) {
  if (body.size() != kConnectionHeaderSize || body[0] != kConnectionHeaderSize) {
    return std::nullopt;
  }
  return TunnellingAck{body[1], body[2], body[3]};
}

}  // namespace knxnetip
