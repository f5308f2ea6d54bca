// PhysicalAddress: parsing by the part rules, with its error codes, and the zero-padded text.
#include "knx/physical_address.h"

#include <cstdio>
#include <optional>

#include "platform/decimal_value.h"

namespace {

// The part's value under `rule`, or none when the rule does not accept its text. The bound
// on the value is tested by the caller.
std::optional<std::int32_t> ReadPart(std::string_view text, AddressPartRule rule,
                                     std::size_t maxLength) {
  if (rule != AddressPartRule::Atoi && text.size() > maxLength) return std::nullopt;
  if (rule == AddressPartRule::Digits) {
    if (text.empty()) return std::nullopt;
    for (const char c : text)
      if (c < '0' || c > '9') return std::nullopt;
  }
  return DecimalValue(text);
}

}  // namespace

std::int32_t ParsePhysicalAddress(std::string_view text, AddressPartRule rule) {
  const auto first = text.find('.');
  const auto last = text.rfind('.');
  if (first == std::string_view::npos || first == last) return kPhysicalAddressNoDots;
  const auto area = ReadPart(text.substr(0, first), rule, 2);
  if (!area || *area > 15) return kPhysicalAddressBadArea;
  const auto line = ReadPart(text.substr(first + 1, last - first - 1), rule, 2);
  if (!line || *line > 15) return kPhysicalAddressBadLine;
  const auto device = ReadPart(text.substr(last + 1), rule, 3);
  if (!device || *device > 255) return kPhysicalAddressBadDevice;
  if (*area < 0 || *line < 0 || *device < 0) return kPhysicalAddressNegativePart;
  return (*area << 12) | (*line << 8) | *device;
}

std::string FormatPhysicalAddress(PhysicalAddress value) {
  char text[16];
  std::snprintf(text, sizeof text, "%.2d.%.2d.%.3d", value >> 12, (value >> 8) & 0x0F,
                value & 0xFF);
  return text;
}
