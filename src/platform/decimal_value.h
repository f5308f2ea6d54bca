// DecimalValue: the number at the start of a text, read as the C runtime's atoi reads it.
#pragma once

#include <cstdint>
#include <string_view>

// How DecimalValue reads a text where readers differ.
struct DecimalRules {
  // Leading white space and a sign are skipped and applied, as atoi does; false: only the
  // leading digits count (a blank or a sign ends the number at once).
  bool blanksAndSign = true;
  // Values beyond the 32-bit range wrap modulo 2^32, for callers that keep only the low bits;
  // false: they saturate, as atoi does on the original platform.
  bool wrap = false;
};

// The decimal digits at the start of `text` (after white space and a sign, as `rules` say);
// 0 when there are none.
std::int32_t DecimalValue(std::string_view text, DecimalRules rules = {});
