// Reading whole and real numbers from dialog fields, independent of the user's locale.
#include "ui/entry_numbers.h"

#include <locale.h>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<std::int64_t> WholeNumber(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t magnitude = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  constexpr std::uint64_t kMax = std::numeric_limits<std::int64_t>::max();
  if (magnitude > kMax + (negative ? 1 : 0)) return std::nullopt;
  if (!negative) return static_cast<std::int64_t>(magnitude);
  return magnitude == kMax + 1 ? std::numeric_limits<std::int64_t>::min()
                               : -static_cast<std::int64_t>(magnitude);
}

std::optional<std::uint32_t> UnsignedNumber(std::string_view text) {
  const std::string_view trimmed = TrimBlanks(text);
  if (!trimmed.empty() && trimmed.front() == '-') return std::nullopt;
  const std::optional<std::int64_t> value = WholeNumber(trimmed);
  if (!value || *value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  return static_cast<std::uint32_t>(*value);
}

double LeadingReal(std::string_view text) {
  // Only the characters of decimal notation take part: strtod alone would also read "inf",
  // "nan" and hexadecimal, which atof on the system's first platform did not.
  std::string decimal;
  for (char c : text) {
    const bool numeric = std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == 'e' ||
                         c == 'E' || c == '+' || c == '-';
    if (!numeric && !(decimal.empty() && std::isspace(static_cast<unsigned char>(c)))) break;
    decimal += c;
  }
  // The C locale, so that the user's locale cannot change the decimal point.
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  return strtod_l(decimal.c_str(), nullptr, cLocale);
}
