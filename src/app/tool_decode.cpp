// zelvox-tool decode: the value and quality an item of a type gets from received bus data.
#include <cstdlib>
#include <string>

#include "app/tool_command.h"
#include "app/tool_value_item.h"
#include "bus/group_value_codec.h"
#include "opc/value_text.h"
#include "platform/code_page.h"

namespace {

// One byte from two hex digits; false for anything else.
bool ParseHexByte(std::string_view text, std::uint8_t& byte) {
  if (text.size() != 2) return false;
  unsigned value = 0;
  for (char c : text) {
    value <<= 4;
    if (c >= '0' && c <= '9')
      value |= static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f')
      value |= static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F')
      value |= static_cast<unsigned>(c - 'A' + 10);
    else
      return false;
  }
  byte = static_cast<std::uint8_t>(value);
  return true;
}

}  // namespace

int RunDecode(ToolArgs args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << "zelvox-tool: decode takes a type text and the data bytes\n";
    return kToolUsage;
  }
  std::vector<std::uint8_t> bytes;
  for (std::string_view arg : args.subspan(1)) {
    std::uint8_t byte = 0;
    if (!ParseHexByte(arg, byte)) {
      err << "zelvox-tool: '" << arg << "' is no byte of two hex digits\n";
      return kToolUsage;
    }
    bytes.push_back(byte);
  }
  ToolValueItem value(args[0]);
  DecodeGroupValue(value.tagLock, Variant::Bytes(std::move(bytes)), *value.item);
  out << AnsiToUtf8(ItemValueText(*value.item)) << '\t' << value.item->m_quality << '\n';
  return kToolOk;
}
