// Encoding and checking of the KNXnet/IP frame header.
#include "knx/knxnetip/knxnetip_header.h"

namespace knxnetip {

void EncodeHeader(Bytes& out, ServiceType service, std::size_t bodyLength) {
  out.push_back(kHeaderSize);
  out.push_back(kProtocolVersion);
  PutU16(out, static_cast<std::uint16_t>(service));
  PutU16(out, static_cast<std::uint16_t>(kHeaderSize + bodyLength));
}

std::optional<KnxNetIpHeader> DecodeHeader(ByteView frame) {
  if (frame.size() < kHeaderSize || frame[0] != kHeaderSize || frame[1] != kProtocolVersion) {
    return std::nullopt;
  }
  KnxNetIpHeader header{GetU16(frame, 2), GetU16(frame, 4)};
  if (header.totalLength != frame.size()) return std::nullopt;
  return header;
}

}  // namespace knxnetip
