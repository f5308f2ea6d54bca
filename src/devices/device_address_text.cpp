// CheckDeviceAddressText: splitting an address text at its first and last dot and bounding
// each part.
#include "devices/device_address_text.h"

namespace {

// The part's value when it has 1 to `maxDigits` digits and nothing else, and is at most `max`.
std::optional<int> Part(std::string_view text, std::size_t maxDigits, int max) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > max) return std::nullopt;
  return value;
}

}  // namespace

std::optional<PhysicalAddress> CheckDeviceAddressText(std::string_view text) {
  const auto first = text.find('.');
  const auto last = text.rfind('.');
  if (first == std::string_view::npos || first == last) return std::nullopt;
  const auto area = Part(text.substr(0, first), 2, 15);
  const auto line = Part(text.substr(first + 1, last - first - 1), 2, 15);
  const auto device = Part(text.substr(last + 1), 3, 255);
  if (!area || !line || !device) return std::nullopt;
  return static_cast<PhysicalAddress>((*area << 12) | (*line << 8) | *device);
}
