// Text forms of tag values, qualities and time stamps.
#include "opc/value_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

#include "platform/code_page.h"
#include "project/group_item.h"

namespace {

// Longest BSTR text shown.
constexpr std::size_t kMaxTextChars = 90;

constexpr std::array<std::string_view, 33> kControlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",  "SPACE"};

// Every 7-bit character once, so that a printable one can be named by a view into it.
constexpr std::array<char, 128> kAscii = [] {
  std::array<char, 128> chars{};
  for (std::size_t i = 0; i < chars.size(); ++i) chars[i] = static_cast<char>(i);
  return chars;
}();

template <typename T>
void AppendNumber(std::string& out, T value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

// "%.4f": fixed notation with four decimals, as printf writes it in the C locale.
void AppendFixed4(std::string& out, double value) {
  char buffer[400];  // the largest double has 309 integer digits
  const int length = std::snprintf(buffer, sizeof buffer, "%.4f", value);
  if (length > 0) out.append(buffer, static_cast<std::size_t>(length));
}

// The first 90 characters in Windows-1252; a NUL ends the text as it ends a C string.
void AppendBstr(std::string& out, std::u16string_view text) {
  out.reserve(std::min(text.size(), kMaxTextChars));
  std::size_t i = 0;
  std::size_t chars = 0;
  while (i < text.size() && chars < kMaxTextChars) {
    char32_t c = text[i++];
    if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
    if (c == 0) break;
    out.push_back(UnicodeToAnsiChar(c));
    ++chars;
  }
}

void AppendBytes(std::string& out, const SafeArray& array) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.reserve(array.bytes.size() * 3);
  for (const std::uint8_t b : array.bytes) {
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 0x0F]);
    out.push_back(' ');
  }
}

}  // namespace

std::string_view EisCharacterName(std::uint8_t c) {
  if (c < kControlNames.size()) return kControlNames[c];
  if (c < 127) return {&kAscii[c], 1};
  if (c == 127) return "DEL";
  return kControlNames[0];
}

std::string ValueText(const Variant& value, bool eisCharacter) {
  std::string out;
  switch (value.vt()) {
    case VT_I2:
      AppendNumber(out, value.iVal());
      break;
    case VT_I4:
      AppendNumber(out, value.lVal());
      break;
    case VT_R4:
      AppendFixed4(out, value.fltVal());
      break;
    case VT_R8:
      AppendFixed4(out, value.dblVal());
      break;
    case VT_BSTR:
      AppendBstr(out, value.bstrVal());
      break;
    case VT_BOOL:
      out = value.boolVal() ? "TRUE" : "FALSE";
      break;
    case VT_UI1:
      AppendNumber(out, static_cast<unsigned>(value.bVal()));
      if (eisCharacter) {
        out += " ( ";
        out += EisCharacterName(value.bVal());
        out += " )";
      }
      break;
    case VT_ARRAY | VT_UI1:
      if (const SafeArray* array = value.parray()) AppendBytes(out, *array);
      break;
    default:
      break;
  }
  return out;
}

std::string ItemValueText(const GroupItem& item) {
  return ValueText(item.m_value, item.m_eis == 13);
}

std::string_view QualityText(std::uint16_t quality) {
  switch (quality & 0xC0) {
    case 0x00:
      return "BAD ";
    case 0x40:
      return "UNCERTAIN ";
    case 0xC0:
      return "GOOD ";
    default:
      return "UNKNOWN??";
  }
}

std::string TimeText(FileTime time) {
  const SystemTime st = FileTimeToSystemTime(time);
  char buffer[32];
  const int length = std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%03d", st.hour, st.minute,
                                   st.second, st.milliseconds);
  return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}
