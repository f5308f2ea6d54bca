// Individual address texts: parsing.
#include "knx/individual_address_text.h"

#include <charconv>

namespace {

// Reads one dot-free decimal part no larger than `limit`; advances `text` past it and its dot.
std::optional<unsigned> TakePart(std::string_view& text, unsigned limit, bool last) {
  const std::size_t end = last ? text.size() : text.find('.');
  if (end == std::string_view::npos || end == 0) return std::nullopt;
  unsigned value = 0;
  const char* first = text.data();
  const auto [ptr, ec] = std::from_chars(first, first + end, value);
  if (ec != std::errc{} || ptr != first + end || value > limit) return std::nullopt;
  text.remove_prefix(last ? end : end + 1);
  return value;
}

}  // namespace

std::optional<std::uint16_t> ParseIndividualAddress(std::string_view text) {
  const auto area = TakePart(text, 15, false);
  if (!area) return std::nullopt;
  const auto line = TakePart(text, 15, false);
  if (!line) return std::nullopt;
  const auto device = TakePart(text, 255, true);
  if (!device) return std::nullopt;
  return static_cast<std::uint16_t>((*area << 12) | (*line << 8) | *device);
}
