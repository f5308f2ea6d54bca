// KnxNetIpHeader: the six-byte header of every KNXnet/IP frame, its service types and status codes.
#pragma once

#include <cstdint>
#include <optional>

#include "knx/knxnetip/bytes.h"

namespace knxnetip {

enum class ServiceType : std::uint16_t {
  SearchRequest = 0x0201,
  SearchResponse = 0x0202,
  ConnectRequest = 0x0205,
  ConnectResponse = 0x0206,
  ConnectionStateRequest = 0x0207,
  ConnectionStateResponse = 0x0208,
  DisconnectRequest = 0x0209,
  DisconnectResponse = 0x020A,
  TunnellingRequest = 0x0420,
  TunnellingAck = 0x0421,
};

// Status codes of responses and acknowledgements.
enum Status : std::uint8_t {
  E_NO_ERROR = 0x00,
  E_SEQUENCE_NUMBER = 0x04,
  E_CONNECTION_ID = 0x21,
  E_CONNECTION_TYPE = 0x22,
  E_CONNECTION_OPTION = 0x23,
  E_NO_MORE_CONNECTIONS = 0x24,
  E_DATA_CONNECTION = 0x26,
  E_KNX_CONNECTION = 0x27,
  E_TUNNELLING_LAYER = 0x29,
};

constexpr std::uint8_t kHeaderSize = 6;
constexpr std::uint8_t kProtocolVersion = 0x10;

struct KnxNetIpHeader {
  std::uint16_t serviceType = 0;
  std::uint16_t totalLength = 0;  // header included
};

// Appends a header for a body of bodyLength bytes.
void EncodeHeader(Bytes& out, ServiceType service, std::size_t bodyLength);
// Accepts a header only when its size and version fields are right and the total length equals
// the datagram's length (a trailing or missing byte means the frame cannot be trusted).
std::optional<KnxNetIpHeader> DecodeHeader(ByteView frame);

}  // namespace knxnetip
