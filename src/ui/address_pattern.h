// AddressPattern: the busmonitor's group address filter, its address form and its field checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The busmonitor's address text: "%d/%d" of main (5 bits) and sub (11 bits) in two levels,
// "%d/%d/%d" of main, middle (3 bits) and sub (8 bits) in three.
std::string BusmonitorAddressText(std::uint16_t address, bool twoLevel);

// Whether one part of an address text matches its pattern: "*" matches every part; any other
// pattern needs the part's length, and equals it once the part's characters at the pattern's
// "?" positions count as "?". So '1?' matches 10 to 19, but neither 1 nor 100.
bool PatternMatches(std::string_view pattern, std::string_view part);

// The three patterns of the filter; each "*" at first.
struct AddressPatterns {
  std::string main = "*";
  std::string middle = "*";
  std::string sub = "*";

  // Whether the address text (split at its "/") matches every pattern; the middle pattern is
  // not used for a two-level text.
  bool Matches(std::string_view addressText) const;
};

// The filter dialog's fields in the order they are checked.
enum class PatternField { Main, Middle, Sub };

// The longest pattern a field takes: main 2, middle 1, sub 3 (three levels) or 4 (two levels).
std::size_t MaxPatternLength(PatternField field, bool twoLevel);

// A field's text as the filter takes it: "*" for an empty text or one holding "*" anywhere,
// otherwise the text without its leading zeros (one character always stays).
std::string NormalizePattern(std::string_view text);

// Whether a normalised text is a pattern the field takes: "*", or at most the field's length
// of the digits 0 to 9 and "?".
bool PatternAccepted(std::string_view normalized, PatternField field, bool twoLevel);
