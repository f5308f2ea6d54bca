// Guid: a 16-byte class or interface identifier and its registry text form.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};

  constexpr bool IsNull() const { return *this == Guid{}; }
  constexpr auto operator<=>(const Guid&) const = default;
};

inline constexpr Guid GUID_NULL{};

namespace guid_detail {

constexpr int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads `count` hex digits at `pos`; -1 when one of them is no hex digit.
constexpr std::int64_t HexField(std::string_view text, std::size_t pos, std::size_t count) {
  std::int64_t value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int digit = HexDigit(text[pos + i]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

// Not constexpr: calling it in a constant expression makes a bad literal a compile error.
void BadGuidLiteral();

}  // namespace guid_detail

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in either letter case, with or without the braces.
constexpr std::optional<Guid> ParseGuid(std::string_view text) {
  if (text.size() == 38) {
    if (text.front() != '{' || text.back() != '}') return std::nullopt;
    text = text.substr(1, 36);
  }
  if (text.size() != 36) return std::nullopt;
  if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') return std::nullopt;
  const std::int64_t d1 = guid_detail::HexField(text, 0, 8);
  const std::int64_t d2 = guid_detail::HexField(text, 9, 4);
  const std::int64_t d3 = guid_detail::HexField(text, 14, 4);
  if (d1 < 0 || d2 < 0 || d3 < 0) return std::nullopt;
  Guid guid;
  guid.data1 = static_cast<std::uint32_t>(d1);
  guid.data2 = static_cast<std::uint16_t>(d2);
  guid.data3 = static_cast<std::uint16_t>(d3);
  // The last eight bytes: two before the fourth dash, six after it.
  constexpr std::size_t kBytePos[8] = {19, 21, 24, 26, 28, 30, 32, 34};
  for (std::size_t i = 0; i < 8; ++i) {
    const std::int64_t byte = guid_detail::HexField(text, kBytePos[i], 2);
    if (byte < 0) return std::nullopt;
    guid.data4[i] = static_cast<std::uint8_t>(byte);
  }
  return guid;
}

// A GUID constant from its text, checked at compile time.
consteval Guid GuidLiteral(std::string_view text) {
  const std::optional<Guid> guid = ParseGuid(text);
  if (!guid) guid_detail::BadGuidLiteral();
  return *guid;
}

// The registry form: upper-case hex digits in braces.
std::string FormatGuid(const Guid& guid);
