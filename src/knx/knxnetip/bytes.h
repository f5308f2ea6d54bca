// Byte buffers of the KNXnet/IP driver and big-endian helpers for reading and writing them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace knxnetip {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

inline void PutU16(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

inline std::uint16_t GetU16(ByteView in, std::size_t offset) {
  return static_cast<std::uint16_t>((in[offset] << 8) | in[offset + 1]);
}

}  // namespace knxnetip
