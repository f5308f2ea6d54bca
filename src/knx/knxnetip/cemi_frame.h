// CemiLData: a cEMI L_Data frame (request, confirmation or indication) with its control fields,
// addresses and transport data unit.
#pragma once

#include <cstdint>
#include <optional>

#include "knx/knxnetip/bytes.h"

namespace knxnetip {

enum CemiMessageCode : std::uint8_t {
  kLDataReq = 0x11,
  kLDataCon = 0x2E,
  kLDataInd = 0x29,
};

constexpr std::uint8_t kDefaultHopCount = 6;

struct CemiLData {
  std::uint8_t messageCode = kLDataReq;
  std::uint8_t control1 = 0;
  std::uint8_t control2 = 0;
  std::uint16_t source = 0;
  std::uint16_t destination = 0;
  Bytes tpdu;  // from the TPCI octet on; the length octet is derived from it

  // Two-bit priority: 0 system, 1 normal, 2 urgent, 3 low (the bus component's codes 0 to 3).
  std::uint8_t Priority() const { return (control1 >> 2) & 0x03; }
  // Set in a confirmation when the frame could not be sent.
  bool ConfirmError() const { return (control1 & 0x01) != 0; }
  bool GroupDestination() const { return (control2 & 0x80) != 0; }
  std::uint8_t HopCount() const { return (control2 >> 4) & 0x07; }
};

// A standard frame for sending, with the given priority and hop count (both masked to their
// widths); the source stays 0 so that the server fills in the tunnel's address.
CemiLData MakeLDataReq(std::uint16_t destination, bool group, std::uint8_t priority,
                       std::uint8_t hopCount, Bytes tpdu);

Bytes EncodeCemi(const CemiLData& frame);
// Accepts only L_Data frames whose additional information and length octet fit the size
// exactly; the additional information is skipped.
std::optional<CemiLData> DecodeCemi(ByteView in);

}  // namespace knxnetip
