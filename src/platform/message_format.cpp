// printf-style formatting of message texts with typed inserts.
#include "platform/message_format.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

namespace {

// Widths and precisions beyond this are cut, so a stray "%999999999d" cannot exhaust memory.
constexpr int kMaxWidth = 1024;

struct Conversion {
  std::string flags;
  int width = -1;
  int precision = -1;
  char conversion = 0;
};

// An integer insert in the form the conversions need.
struct Integer {
  std::uint64_t bits;
  bool narrow;
  bool isSigned;
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int ReadNumber(std::string_view s, std::size_t& i) {
  int value = 0;
  while (i < s.size() && IsDigit(s[i])) {
    if (value <= kMaxWidth) value = value * 10 + (s[i] - '0');
    ++i;
  }
  return value > kMaxWidth ? kMaxWidth : value;
}

// Reads a whole text as an integer: optional sign, then decimal digits or 0x and hex digits.
std::optional<Integer> ParseInteger(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : s) {
    int digit;
    if (IsDigit(c)) {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    if (digit >= base) return std::nullopt;
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / base) return std::nullopt;
    value = value * base + digit;
  }
  if (negative) {
    if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1) {
      return std::nullopt;
    }
    const std::int64_t v = static_cast<std::int64_t>(0 - value);
    return Integer{static_cast<std::uint64_t>(v), v >= std::numeric_limits<std::int32_t>::min(),
                   true};
  }
  return Integer{value, value <= std::numeric_limits<std::uint32_t>::max(),
                 value <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())};
}

std::optional<double> ParseReal(const std::string& s) {
  if (s.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(s.c_str(), &end);
  while (*end == ' ') ++end;
  if (end == s.c_str() || *end != '\0') return std::nullopt;
  return value;
}

std::string SignedText(const Integer& v) {
  return v.isSigned ? std::to_string(static_cast<std::int64_t>(v.bits)) : std::to_string(v.bits);
}

std::string RealText(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

// The insert as text, for %s and for number conversions that cannot read it.
std::string AsText(const FormatArg& arg) {
  switch (arg.kind()) {
    case FormatArg::Kind::Text:
      return arg.text();
    case FormatArg::Kind::Integer:
      return SignedText({arg.bits(), arg.narrow(), arg.isSigned()});
    case FormatArg::Kind::Real:
      return RealText(arg.real());
  }
  return {};
}

std::optional<Integer> AsInteger(const FormatArg& arg) {
  switch (arg.kind()) {
    case FormatArg::Kind::Integer:
      return Integer{arg.bits(), arg.narrow(), arg.isSigned()};
    case FormatArg::Kind::Text:
      return ParseInteger(arg.text());
    case FormatArg::Kind::Real: {
      const double r = std::trunc(arg.real());
      if (!std::isfinite(r) || r < -9.2e18 || r > 9.2e18) return std::nullopt;
      const auto v = static_cast<std::int64_t>(r);
      return Integer{static_cast<std::uint64_t>(v),
                     v >= std::numeric_limits<std::int32_t>::min() &&
                         v <= std::numeric_limits<std::int32_t>::max(),
                     true};
    }
  }
  return std::nullopt;
}

std::optional<double> AsReal(const FormatArg& arg) {
  switch (arg.kind()) {
    case FormatArg::Kind::Real:
      return arg.real();
    case FormatArg::Kind::Integer:
      return arg.isSigned() ? static_cast<double>(static_cast<std::int64_t>(arg.bits()))
                            : static_cast<double>(arg.bits());
    case FormatArg::Kind::Text:
      return ParseReal(arg.text());
  }
  return std::nullopt;
}

// Pads a text to the conversion's width (left-justified with the '-' flag) after cutting it to the
// precision.
void AppendPadded(std::string& out, std::string text, const Conversion& conv) {
  if (conv.precision >= 0 && text.size() > static_cast<std::size_t>(conv.precision)) {
    text.resize(conv.precision);
  }
  const std::size_t width = conv.width > 0 ? static_cast<std::size_t>(conv.width) : 0;
  const std::size_t pad = text.size() < width ? width - text.size() : 0;
  const bool left = conv.flags.find('-') != std::string::npos;
  if (!left) out.append(pad, ' ');
  out += text;
  if (left) out.append(pad, ' ');
}

// The C format of one conversion, rebuilt from validated parts only.
std::string CFormat(const Conversion& conv, std::string_view length) {
  std::string f = "%" + conv.flags;
  if (conv.width >= 0) f += std::to_string(conv.width);
  if (conv.precision >= 0) f += "." + std::to_string(conv.precision);
  f += length;
  f += conv.conversion;
  return f;
}

template <typename T>
void AppendPrintf(std::string& out, const std::string& format, T value) {
  const int n = std::snprintf(nullptr, 0, format.c_str(), value);
  if (n <= 0) return;
  std::string buffer(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(buffer.data(), buffer.size(), format.c_str(), value);
  buffer.resize(n);
  out += buffer;
}

void AppendInteger(std::string& out, const Conversion& conv, const Integer& v) {
  const bool isSignedConversion = conv.conversion == 'd' || conv.conversion == 'i';
  Conversion clean = conv;
  if (conv.conversion != 'o' && conv.conversion != 'x' && conv.conversion != 'X') {
    std::erase(clean.flags, '#');  // '#' is undefined for decimal conversions
  }
  const std::string format = CFormat(clean, "ll");
  if (isSignedConversion) {
    const long long value = v.narrow ? static_cast<std::int32_t>(static_cast<std::uint32_t>(v.bits))
                                     : static_cast<std::int64_t>(v.bits);
    AppendPrintf(out, format, value);
  } else {
    const unsigned long long value = v.narrow ? static_cast<std::uint32_t>(v.bits) : v.bits;
    AppendPrintf(out, format, value);
  }
}

void AppendConversion(std::string& out, const Conversion& conv, const FormatArg& arg) {
  switch (conv.conversion) {
    case 's':
      AppendPadded(out, AsText(arg), conv);
      return;
    case 'c': {
      std::string c;
      if (arg.kind() == FormatArg::Kind::Text) {
        c = arg.text().substr(0, 1);
      } else if (const auto v = AsInteger(arg)) {
        c = std::string(1, static_cast<char>(v->bits));
      }
      AppendPadded(out, c, Conversion{conv.flags, conv.width, -1, 's'});
      return;
    }
    case 'd':
    case 'i':
    case 'u':
    case 'o':
    case 'x':
    case 'X':
      if (const auto v = AsInteger(arg)) {
        AppendInteger(out, conv, *v);
      } else {
        out += AsText(arg);  // not a number: inserted as it is
      }
      return;
    default:  // f F e E g G
      if (const auto v = AsReal(arg)) {
        AppendPrintf(out, CFormat(conv, ""), *v);
      } else {
        out += AsText(arg);  // not a number: inserted as it is
      }
      return;
  }
}

}  // namespace

std::string FormatText(std::string_view format, std::span<const FormatArg> args) {
  std::string out;
  std::size_t next = 0;
  std::size_t i = 0;
  while (i < format.size()) {
    if (format[i] != '%') {
      out += format[i++];
      continue;
    }
    const std::size_t start = i++;
    if (i < format.size() && format[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    Conversion conv;
    while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string::npos) {
      conv.flags += format[i++];
    }
    if (i < format.size() && IsDigit(format[i])) conv.width = ReadNumber(format, i);
    if (i < format.size() && format[i] == '.') {
      ++i;
      conv.precision = ReadNumber(format, i);
    }
    while (i < format.size() && std::string_view("hlLjzt").find(format[i]) != std::string::npos) {
      ++i;
    }
    if (i >= format.size() ||
        std::string_view("diuoxXcsfFeEgG").find(format[i]) == std::string::npos) {
      // Not a conversion this formatter knows: keep the text as it stands.
      const std::size_t end = i < format.size() ? i + 1 : i;
      out.append(format.substr(start, end - start));
      i = end;
      continue;
    }
    conv.conversion = format[i++];
    if (next < args.size()) AppendConversion(out, conv, args[next++]);
  }
  return out;
}
