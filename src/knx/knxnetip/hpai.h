// Hpai: the host protocol address information block (IPv4 address and UDP port of an endpoint).
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "knx/knxnetip/bytes.h"

namespace knxnetip {

constexpr std::uint8_t kHpaiSize = 8;
constexpr std::uint8_t kIpv4Udp = 0x01;

struct Hpai {
  std::array<std::uint8_t, 4> address{};  // network order
  std::uint16_t port = 0;

  bool operator==(const Hpai&) const = default;
};

void EncodeHpai(Bytes& out, const Hpai& hpai);
// Reads the block at the start of in; only IPv4/UDP blocks of the right size are accepted.
std::optional<Hpai> DecodeHpai(ByteView in);

}  // namespace knxnetip
