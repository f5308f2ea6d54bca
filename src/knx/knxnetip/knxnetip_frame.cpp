// Dispatch of a received datagram to the decoder of its service.
#include "knx/knxnetip/knxnetip_frame.h"

namespace knxnetip {
namespace {

template <typename T>
std::optional<KnxNetIpFrame> Wrap(ServiceType service, std::optional<T> body) {
  if (!body) return std::nullopt;
  return KnxNetIpFrame{service, std::move(*body)};
}

}  // namespace

std::optional<KnxNetIpFrame> DecodeFrame(ByteView datagram) {
  auto header = DecodeHeader(datagram);
  if (!header) return std::nullopt;
  const auto body = datagram.subspan(kHeaderSize);
  const auto service = static_cast<ServiceType>(header->serviceType);
  switch (service) {
    case ServiceType::ConnectRequest:
      return Wrap(service, DecodeConnectRequest(body));
    case ServiceType::ConnectResponse:
      return Wrap(service, DecodeConnectResponse(body));
    case ServiceType::ConnectionStateRequest:
    case ServiceType::DisconnectRequest:
      return Wrap(service, DecodeChannelRequest(body));
    case ServiceType::ConnectionStateResponse:
    case ServiceType::DisconnectResponse:
      return Wrap(service, DecodeChannelResponse(body));
    case ServiceType::TunnellingRequest:
      return Wrap(service, DecodeTunnellingRequest(body));
    case ServiceType::TunnellingAck:
      return Wrap(service, DecodeTunnellingAck(body));
    case ServiceType::SearchRequest:
    case ServiceType::SearchResponse:
      // Discovery runs on its own socket (GatewaySearch), never on a tunnel's.
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace knxnetip
