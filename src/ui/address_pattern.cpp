// AddressPattern: formatting, splitting and matching of the busmonitor's address texts.
#include "ui/address_pattern.h"

#include <cstdio>

std::string BusmonitorAddressText(std::uint16_t address, bool twoLevel) {
  char text[16];
  if (twoLevel) {
    std::snprintf(text, sizeof text, "%d/%d", (address >> 11) & 0x1F, address & 0x7FF);
  } else {
    std::snprintf(text, sizeof text, "%d/%d/%d", (address >> 11) & 0x1F, (address >> 8) & 0x07,
                  address & 0xFF);
  }
  return text;
}

bool PatternMatches(std::string_view pattern, std::string_view part) {
  if (pattern == "*") return true;
  if (pattern.size() != part.size()) return false;
  for (std::size_t i = 0; i < part.size(); ++i) {
    if (pattern[i] != '?' && pattern[i] != part[i]) return false;
  }
  return true;
}

bool AddressPatterns::Matches(std::string_view addressText) const {
  const std::size_t first = addressText.find('/');
  if (first == std::string_view::npos) return false;
  const std::size_t second = addressText.find('/', first + 1);
  const std::string_view mainPart = addressText.substr(0, first);
  if (second == std::string_view::npos) {
    return PatternMatches(main, mainPart) && PatternMatches(sub, addressText.substr(first + 1));
  }
  return PatternMatches(main, mainPart) &&
         PatternMatches(middle, addressText.substr(first + 1, second - first - 1)) &&
         PatternMatches(sub, addressText.substr(second + 1));
}

std::size_t MaxPatternLength(PatternField field, bool twoLevel) {
  switch (field) {
    case PatternField::Main:
      return 2;
    case PatternField::Middle:
      return 1;
    case PatternField::Sub:
      return twoLevel ? 4 : 3;
  }
  return 0;
}

std::string NormalizePattern(std::string_view text) {
  if (text.empty() || text.find('*') != std::string_view::npos) return "*";
  while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
  return std::string(text);
}

bool PatternAccepted(std::string_view normalized, PatternField field, bool twoLevel) {
  if (normalized == "*") return true;
  if (normalized.empty() || normalized.size() > MaxPatternLength(field, twoLevel)) return false;
  for (const char c : normalized) {
    if (c != '?' && (c < '0' || c > '9')) return false;
  }
  return true;
}
