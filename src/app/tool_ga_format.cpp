// zelvox-tool ga-format: a 16-bit group address as two- or three-level text.
#include <charconv>
#include <cstdint>
#include <optional>

#include "app/tool_command.h"
#include "project/group_address.h"

namespace {

// Decimal, or hexadecimal after "0x"; the whole text, at most 0xFFFF.
std::optional<GroupAddress> ParseValue(std::string_view text) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  }
  std::uint32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || value > 0xFFFF) {
    return std::nullopt;
  }
  return static_cast<GroupAddress>(value);
}

}  // namespace

int RunGaFormat(ToolArgs args, std::ostream& out, std::ostream& err) {
  std::optional<std::string_view> valueText;
  std::optional<std::string_view> levels;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--levels" && i + 1 < args.size() && !levels) {
      levels = args[++i];
    } else if (!valueText && !args[i].starts_with("--")) {
      valueText = args[i];
    } else {
      err << "zelvox-tool: ga-format: unexpected argument '" << args[i] << "'\n";
      return kToolUsage;
    }
  }
  if (!valueText || !levels) {
    err << "zelvox-tool: ga-format needs a value and --levels\n";
    return kToolUsage;
  }
  const std::optional<GroupAddress> value = ParseValue(*valueText);
  if (!value) {
    err << "zelvox-tool: ga-format: '" << *valueText << "' is no address from 0 to 65535\n";
    return kToolUsage;
  }
  if (*levels == "3") {
    out << FormatThreeLevel(*value) << '\n';
  } else if (*levels == "2") {
    out << FormatTwoLevel(*value) << '\n';
  } else {
    err << "zelvox-tool: ga-format: --levels must be 2 or 3\n";
    return kToolUsage;
  }
  return kToolOk;
}
