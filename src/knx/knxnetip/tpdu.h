// Tpdu: the transport and application part of a telegram (TPCI, APCI and data), with the group
// value services and the connection-oriented services that the device check uses.
#pragma once

#include <cstdint>
#include <optional>

#include "knx/apci_code.h"
#include "knx/knxnetip/bytes.h"

namespace knxnetip {

enum class TpduKind : std::uint8_t {
  Data,           // unnumbered data: group, broadcast or individual telegrams
  ConnectedData,  // numbered data on a transport connection
  Connect,        // T_Connect
  Disconnect,     // T_Disconnect
  Ack,            // T_Ack
  Nak,            // T_Nak
};

// The device check reads device descriptor 0, the mask version: A_DeviceDescriptor_Read and
// _Response are the APCI codes APciMaskVersionRead and APciMaskVersionResponse.

struct Tpdu {
  TpduKind kind = TpduKind::Data;
  std::uint8_t sequence = 0;  // numbered data and T_Ack/T_Nak
  // For the four-bit services (0x000 to 0x380 in steps of 0x40) the code without its low six
  // bits, which are in shortData; for the 0x3C0 family the full ten-bit code.
  std::uint16_t apci = 0;
  std::uint8_t shortData = 0;
  Bytes data;  // the octets after the APCI

  bool operator==(const Tpdu&) const = default;
};

// A group value service: with shortForm the first data byte's six low bits travel inside the
// APCI octet (a missing byte counts as 0); otherwise the data follow the APCI.
Tpdu MakeGroupValueTpdu(ApciCode apci, bool shortForm, const Bytes& data);
// The group data as delivered to the system: the six-bit value of a short frame as one byte,
// else the octets after the APCI (empty for a read).
Bytes GroupValueData(const Tpdu& tpdu);
// T_Connect, T_Disconnect, T_Ack or T_Nak.
Tpdu MakeControlTpdu(TpduKind kind, std::uint8_t sequence = 0);
// Numbered data on a transport connection, e.g. A_DeviceDescriptor_Read (descriptor type 0).
Tpdu MakeConnectedTpdu(std::uint8_t sequence, std::uint16_t apci, Bytes data = {});

Bytes EncodeTpdu(const Tpdu& tpdu);
// Data frames need the two APCI octets, control frames are exactly one octet.
std::optional<Tpdu> DecodeTpdu(ByteView in);

}  // namespace knxnetip
