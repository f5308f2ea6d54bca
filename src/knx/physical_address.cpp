// PhysicalAddress: parsing with its error codes and the zero-padded text form.
#include "knx/physical_address.h"

#include <cstdio>

namespace {

// The number at the start of `text` as atoi reads it: blanks, an optional sign, digits.
// Saturates instead of overflowing on absurdly long digit runs.
std::int64_t AtoiPart(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value < 0x7FFFFFFF) value = value * 10 + (text[i] - '0');
  }
  if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;
  return negative ? -value : value;
}

}  // namespace

std::int32_t ParsePhysicalAddress(std::string_view text) {
  const auto first = text.find('.');
  const auto last = text.rfind('.');
  if (first == std::string_view::npos || first == last) return kPhysicalAddressNoDots;
  const std::int64_t area = AtoiPart(text.substr(0, first));
  const std::int64_t line = AtoiPart(text.substr(first + 1, last - first - 1));
  const std::int64_t device = AtoiPart(text.substr(last + 1));
  if (area > 15) return kPhysicalAddressBadArea;
  if (line > 15) return kPhysicalAddressBadLine;
  if (device > 255) return kPhysicalAddressBadDevice;
  // A negative part sets the sign bit of the combined value: the result is negative and so
  // invalid. Parts are clamped so that shifting keeps that bit.
  const auto clamp = [](std::int64_t part) { return part < -65536 ? -65536 : part; };
  const auto combined = (static_cast<std::uint32_t>(clamp(area)) << 12) |
                        (static_cast<std::uint32_t>(clamp(line)) << 8) |
                        static_cast<std::uint32_t>(clamp(device));
  return static_cast<std::int32_t>(combined);
}

std::string FormatPhysicalAddress(PhysicalAddress value) {
  char text[16];
  std::snprintf(text, sizeof text, "%.2d.%.2d.%.3d", value >> 12, (value >> 8) & 0x0F,
                value & 0xFF);
  return text;
}
