// Encoding and decoding of cEMI L_Data frames.
#include "knx/knxnetip/cemi_frame.h"

namespace knxnetip {
namespace {

// Standard frame, not repeated on error, domain broadcast.
constexpr std::uint8_t kStandardFrame = 0xB0;
// Control 1, control 2, source, destination, length.
constexpr std::size_t kFixedPart = 7;

}  // namespace

CemiLData MakeLDataReq(std::uint16_t destination, bool group, std::uint8_t priority,
                       std::uint8_t hopCount, Bytes tpdu) {
  CemiLData frame;
  frame.messageCode = kLDataReq;
  frame.control1 = static_cast<std::uint8_t>(kStandardFrame | ((priority & 0x03) << 2));
  frame.control2 = static_cast<std::uint8_t>((group ? 0x80 : 0x00) | ((hopCount & 0x07) << 4));
  frame.destination = destination;
  frame.tpdu = std::move(tpdu);
  return frame;
}

Bytes EncodeCemi(const CemiLData& frame) {
  Bytes out;
  out.reserve(2 + kFixedPart + frame.tpdu.size());
  out.push_back(frame.messageCode);
  out.push_back(0x00);  // no additional information
  out.push_back(frame.control1);
  out.push_back(frame.control2);
  PutU16(out, frame.source);
  PutU16(out, frame.destination);
  out.push_back(static_cast<std::uint8_t>(frame.tpdu.empty() ? 0 : frame.tpdu.size() - 1));
  out.insert(out.end(), frame.tpdu.begin(), frame.tpdu.end());
  return out;
}

std::optional<CemiLData> DecodeCemi(ByteView in) {
  if (in.size() < 2) return std::nullopt;
  const std::uint8_t code = in[0];
  if (code != kLDataReq && code != kLDataCon && code != kLDataInd) return std::nullopt;
  const std::size_t start = 2 + std::size_t{in[1]};
  if (in.size() < start + kFixedPart) return std::nullopt;
  auto rest = in.subspan(start);
  // The length octet counts the octets after the TPCI.
  const std::size_t tpduSize = std::size_t{rest[6]} + 1;
  if (rest.size() != kFixedPart + tpduSize) return std::nullopt;
  CemiLData frame;
  frame.messageCode = code;
  frame.control1 = rest[0];
  frame.control2 = rest[1];
  frame.source = GetU16(rest, 2);
  frame.destination = GetU16(rest, 4);
  frame.tpdu.assign(rest.begin() + kFixedPart, rest.end());
  return frame;
}

}  // namespace knxnetip
