// GroupAddress: parsing and the two text forms.
#include "project/group_address.h"

#include "platform/decimal_value.h"

namespace {

// The value of the leading decimal digits of `text` (0 if none; no blanks or sign). Callers
// mask it, so a long digit run wraps.
std::uint32_t LeadingNumber(std::string_view text) {
  return static_cast<std::uint32_t>(DecimalValue(text, {.blanksAndSign = false, .wrap = true}));
}

}  // namespace

GroupAddress ParseGroupAddress(std::string_view text) {
  const auto slash = text.find('/');
  if (slash == std::string_view::npos) return 0;
  const std::uint32_t main = LeadingNumber(text.substr(0, slash)) & 0x1F;
  const std::string_view rest = text.substr(slash + 1);
  const auto second = rest.find('/');
  if (second != std::string_view::npos) {
    const std::uint32_t middle = LeadingNumber(rest.substr(0, second)) & 0x7;
    const std::uint32_t sub = LeadingNumber(rest.substr(second + 1)) & 0xFF;
    return static_cast<GroupAddress>((main << 11) + (middle << 8) + sub);
  }
  return static_cast<GroupAddress>((main << 11) + (LeadingNumber(rest) & 0x7FF));
}

std::string FormatThreeLevel(GroupAddress a) {
  return std::to_string((a >> 11) & 0x1F) + "/" + std::to_string((a >> 8) & 0x7) + "/" +
         std::to_string(a & 0xFF);
}

std::string FormatTwoLevel(GroupAddress a) {
  return std::to_string((a >> 11) & 0x1F) + "/" + std::to_string(a & 0x7FF);
}
