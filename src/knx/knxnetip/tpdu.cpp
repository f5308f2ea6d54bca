// Encoding and decoding of TPCI/APCI octets.
#include "knx/knxnetip/tpdu.h"

namespace knxnetip {
namespace {

constexpr std::uint16_t kExtendedFamily = 0x3C0;

bool IsFourBitService(std::uint16_t apci) {
  return (apci & kExtendedFamily) != kExtendedFamily;
}

}  // namespace

Tpdu MakeGroupValueTpdu(ApciCode apci, bool shortForm, const Bytes& data) {
  Tpdu tpdu;
  tpdu.apci = apci;
  if (apci == APciValueRead) return tpdu;
  if (shortForm) {
    tpdu.shortData = data.empty() ? 0 : static_cast<std::uint8_t>(data[0] & 0x3F);
  } else {
    tpdu.data = data;
  }
  return tpdu;
}

Bytes GroupValueData(const Tpdu& tpdu) {
  if (tpdu.apci == APciValueRead) return tpdu.data;
  if (tpdu.data.empty()) return Bytes{tpdu.shortData};
  return tpdu.data;
}

Tpdu MakeControlTpdu(TpduKind kind, std::uint8_t sequence) {
  Tpdu tpdu;
  tpdu.kind = kind;
  tpdu.sequence = sequence;
  return tpdu;
}

Tpdu MakeConnectedTpdu(std::uint8_t sequence, std::uint16_t apci, Bytes data) {
  Tpdu tpdu;
  tpdu.kind = TpduKind::ConnectedData;
  tpdu.sequence = sequence;
  tpdu.apci = apci;
  tpdu.data = std::move(data);
  return tpdu;
}

Bytes EncodeTpdu(const Tpdu& tpdu) {
  const std::uint8_t seq = static_cast<std::uint8_t>((tpdu.sequence & 0x0F) << 2);
  switch (tpdu.kind) {
    case TpduKind::Connect:
      return Bytes{0x80};
    case TpduKind::Disconnect:
      return Bytes{0x81};
    case TpduKind::Ack:
      return Bytes{static_cast<std::uint8_t>(0xC2 | seq)};
    case TpduKind::Nak:
      return Bytes{static_cast<std::uint8_t>(0xC3 | seq)};
    case TpduKind::Data:
    case TpduKind::ConnectedData:
      break;
  }
  const std::uint8_t tpci = tpdu.kind == TpduKind::ConnectedData ? 0x40 | seq : 0x00;
  std::uint8_t low = static_cast<std::uint8_t>(tpdu.apci & 0xFF);
  if (IsFourBitService(tpdu.apci)) low = static_cast<std::uint8_t>(low | (tpdu.shortData & 0x3F));
  Bytes out{static_cast<std::uint8_t>(tpci | ((tpdu.apci >> 8) & 0x03)), low};
  out.insert(out.end(), tpdu.data.begin(), tpdu.data.end());
  return out;
}

std::optional<Tpdu> DecodeTpdu(ByteView in) {
  if (in.empty()) return std::nullopt;
  Tpdu tpdu;
  const std::uint8_t tpci = in[0];
  tpdu.sequence = (tpci >> 2) & 0x0F;
  if ((tpci & 0x80) != 0) {  // control frame
    if (in.size() != 1) return std::nullopt;
    if (tpci == 0x80) {
      tpdu.kind = TpduKind::Connect;
    } else if (tpci == 0x81) {
      tpdu.kind = TpduKind::Disconnect;
    } else if ((tpci & 0xC3) == 0xC2) {
      tpdu.kind = TpduKind::Ack;
    } else if ((tpci & 0xC3) == 0xC3) {
      tpdu.kind = TpduKind::Nak;
    } else {
      return std::nullopt;
    }
    if (tpdu.kind == TpduKind::Connect || tpdu.kind == TpduKind::Disconnect) tpdu.sequence = 0;
    return tpdu;
  }
  if (in.size() < 2) return std::nullopt;
  tpdu.kind = (tpci & 0x40) != 0 ? TpduKind::ConnectedData : TpduKind::Data;
  if (tpdu.kind == TpduKind::Data) tpdu.sequence = 0;
  const std::uint16_t code = static_cast<std::uint16_t>(((tpci & 0x03) << 8) | in[1]);
  if (IsFourBitService(code)) {
    tpdu.apci = code & 0x3C0;
    tpdu.shortData = in[1] & 0x3F;
  } else {
    tpdu.apci = code;
  }
  tpdu.data.assign(in.begin() + 2, in.end());
  return tpdu;
}

}  // namespace knxnetip
