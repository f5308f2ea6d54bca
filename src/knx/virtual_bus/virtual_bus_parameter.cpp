// VirtualBusParameter: parsing the connection parameter of the virtual bus.
#include "knx/virtual_bus/virtual_bus_parameter.h"

#include <charconv>

#include "knx/physical_address.h"

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Splits at every `separator`; an empty text gives no parts.
std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  if (text.empty()) return parts;
  for (;;) {
    const std::size_t end = text.find(separator);
    parts.push_back(Trim(text.substr(0, end)));
    if (end == std::string_view::npos) return parts;
    text.remove_prefix(end + 1);
  }
}

// A whole decimal number no larger than `limit`.
std::optional<unsigned> Number(std::string_view text, unsigned limit) {
  unsigned value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc{} || ptr != end || value > limit) return std::nullopt;
  return value;
}

// An even number (at least two) of hexadecimal digits.
std::optional<std::vector<std::uint8_t>> HexBytes(std::string_view text) {
  if (text.empty() || text.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    std::uint8_t byte = 0;
    const char* first = text.data() + i;
    const auto [ptr, ec] = std::from_chars(first, first + 2, byte, 16);
    if (ec != std::errc{} || ptr != first + 2) return std::nullopt;
    bytes.push_back(byte);
  }
  return bytes;
}

bool ReadDevices(std::string_view value, VirtualBusParameter& parameter) {
  for (std::string_view text : Split(value, ',')) {
    const std::int32_t address = ParsePhysicalAddress(text, AddressPartRule::Digits);
    if (address < 0) return false;
    parameter.devices.insert(static_cast<PhysicalAddress>(address));
  }
  return true;
}

bool ReadAnswers(std::string_view value, VirtualBusParameter& parameter) {
  for (std::string_view text : Split(value, ',')) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    const auto address = ParseVirtualGroupAddress(Trim(text.substr(0, colon)));
    const auto data = HexBytes(Trim(text.substr(colon + 1)));
    if (!address || !data) return false;
    parameter.answers[*address] = *data;
  }
  return true;
}

}  // namespace

std::optional<std::uint16_t> ParseVirtualGroupAddress(std::string_view text) {
  const std::vector<std::string_view> parts = Split(text, '/');
  std::optional<unsigned> main;
  std::optional<unsigned> middle;
  std::optional<unsigned> sub;
  switch (parts.size()) {
    case 1:
      sub = Number(parts[0], 0xFFFF);
      if (!sub) return std::nullopt;
      return static_cast<std::uint16_t>(*sub);
    case 2:
      main = Number(parts[0], 31);
      sub = Number(parts[1], 2047);
      if (!main || !sub) return std::nullopt;
      return static_cast<std::uint16_t>((*main << 11) | *sub);
    case 3:
      main = Number(parts[0], 31);
      middle = Number(parts[1], 7);
      sub = Number(parts[2], 255);
      if (!main || !middle || !sub) return std::nullopt;
      return static_cast<std::uint16_t>((*main << 11) | (*middle << 8) | *sub);
    default:
      return std::nullopt;
  }
}

std::optional<VirtualBusParameter> ParseVirtualBusParameter(std::string_view text) {
  VirtualBusParameter parameter;
  std::set<std::string_view> seen;
  for (std::string_view setting : Split(Trim(text), ';')) {
    if (setting.empty()) continue;  // "a=1;" ends with an empty setting
    const std::size_t equals = setting.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = Trim(setting.substr(0, equals));
    const std::string_view value = Trim(setting.substr(equals + 1));
    if (!seen.insert(key).second) return std::nullopt;
    if (key == "name") {
      parameter.name = std::string(value);
    } else if (key == "devices") {
      if (!ReadDevices(value, parameter)) return std::nullopt;
    } else if (key == "answer") {
      if (!ReadAnswers(value, parameter)) return std::nullopt;
    } else if (key == "checktimeout") {
      const std::optional<unsigned> ms = Number(value, 3'600'000);
      if (!ms) return std::nullopt;
      parameter.checkTimeout = std::chrono::milliseconds(*ms);
    } else {
      return std::nullopt;
    }
  }
  return parameter;
}
