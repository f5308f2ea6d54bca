// Group data: Variant to bus bytes and back.
#include "knx/group_data_layout.h"

namespace {

std::vector<std::uint8_t> BigEndian(std::uint32_t value, int size) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  for (int i = size - 1; i >= 0; --i) {
    bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value & 0xFF);
    value >>= 8;
  }
  return bytes;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> GroupDataBytes(const Variant& data) {
  switch (data.vt()) {
    case VT_ARRAY | VT_UI1:
      if (data.parray() == nullptr) return std::nullopt;
      return data.parray()->bytes;
    case VT_UI1:
      return std::vector<std::uint8_t>{data.bVal()};
    case VT_I2:
      return BigEndian(static_cast<std::uint16_t>(data.iVal()), 2);
    case VT_I4:
      return BigEndian(static_cast<std::uint32_t>(data.lVal()), 4);
    default:
      return std::nullopt;
  }
}

Variant GroupDataVariant(const std::vector<std::uint8_t>& bytes) {
  return Variant::Bytes(bytes);
}
