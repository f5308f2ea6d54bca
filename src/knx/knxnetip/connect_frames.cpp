// Encoding and decoding of CONNECT_REQUEST and CONNECT_RESPONSE bodies.
#include "knx/knxnetip/connect_frames.h"

#include "knx/knxnetip/knxnetip_header.h"

namespace knxnetip {
namespace {

constexpr std::uint8_t kTunnelConnection = 0x04;
constexpr std::uint8_t kTunnelLinkLayer = 0x02;
constexpr std::uint8_t kCriSize = 4;

}  // namespace

Bytes EncodeConnectRequest(const ConnectRequest& request) {
  Bytes out;
  EncodeHeader(out, ServiceType::ConnectRequest, 2 * kHpaiSize + kCriSize);
  EncodeHpai(out, request.control);
  EncodeHpai(out, request.data);
  out.insert(out.end(), {kCriSize, kTunnelConnection, kTunnelLinkLayer, 0x00});
  return out;
}

Bytes EncodeConnectResponse(const ConnectResponse& response) {
  Bytes out;
  const bool ok = response.status == E_NO_ERROR;
  EncodeHeader(out, ServiceType::ConnectResponse, ok ? 2 + kHpaiSize + 4 : 2);
  out.push_back(response.channel);
  out.push_back(response.status);
  if (ok) {
    EncodeHpai(out, response.data);
    out.insert(out.end(), {4, kTunnelConnection});
    PutU16(out, response.individualAddress);
  }
  return out;
}

std::optional<ConnectRequest> DecodeConnectRequest(ByteView body) {
  if (body.size() != 2 * kHpaiSize + kCriSize) return std::nullopt;
  auto control = DecodeHpai(body);
  auto data = DecodeHpai(body.subspan(kHpaiSize));
  auto cri = body.subspan(2 * kHpaiSize);
  if (!control || !data || cri[0] != kCriSize || cri[1] != kTunnelConnection ||
      cri[2] != kTunnelLinkLayer) {
    return std::nullopt;
  }
  return ConnectRequest{*control, *data};
}

std::optional<ConnectResponse> DecodeConnectResponse(ByteView body) {
  if (body.size() < 2) return std::nullopt;
  ConnectResponse response;
  response.channel = body[0];
  response.status = body[1];
  // A refusal may carry nothing after the status.
  if (response.status != E_NO_ERROR) return response;
  if (body.size() != 2 + kHpaiSize + 4) return std::nullopt;
  auto data = DecodeHpai(body.subspan(2));
  auto crd = body.subspan(2 + kHpaiSize);
  if (!data || crd[0] != 4 || crd[1] != kTunnelConnection) return std::nullopt;
  response.data = *data;
  response.individualAddress = GetU16(crd, 2);
  return response;
}

}  // namespace knxnetip
