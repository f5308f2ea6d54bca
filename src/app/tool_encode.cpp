// zelvox-tool encode: the bus data that a client's text write to an item of a type becomes.
#include <cstdio>

#include "app/tool_command.h"
#include "app/tool_value_item.h"
#include "bus/group_value_codec.h"
#include "opc/written_value.h"
#include "platform/code_page.h"

namespace {

void PrintBusData(const Variant& data, std::ostream& out) {
  char hex[4];
  switch (data.vt()) {
    case VT_UI1:
      out << "ui1 " << unsigned{data.bVal()} << '\n';
      return;
    case VT_I2:
      out << "i2 " << data.iVal() << '\n';
      return;
    case VT_I4:
      out << "i4 " << data.lVal() << '\n';
      return;
    case VT_ARRAY | VT_UI1:
      out << "bytes";
      for (std::uint8_t b : data.parray()->bytes) {
        std::snprintf(hex, sizeof hex, "%02x", b);
        out << ' ' << hex;
      }
      out << '\n';
      return;
    default:
      out << "empty\n";
  }
}

}  // namespace

int RunEncode(ToolArgs args, std::ostream& out, std::ostream& err) {
  if (args.size() != 2) {
    err << "zelvox-tool: encode takes a type text and a value\n";
    return kToolUsage;
  }
  ToolValueItem value(args[0]);
  Variant converted;
  const HRESULT hr =
      ConvertWrittenValue(*value.item, Variant::Bstr(Utf8ToUtf16(args[1])), converted);
  if (Failed(hr)) {
    char code[24];
    std::snprintf(code, sizeof code, "error 0x%08x", static_cast<unsigned>(hr));
    err << code << '\n';
    return kToolFailed;
  }
  PrintBusData(EncodeGroupValue(value.tagLock, *value.item, converted), out);
  return kToolOk;
}
