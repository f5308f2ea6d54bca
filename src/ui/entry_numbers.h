// Numbers typed into the value entry dialogs: read while typing and checked on OK.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// On OK, as the dialogs' data exchange reads a field: optional blanks, an optional sign,
// decimal digits, optional blanks; nothing else. None when the text is no whole number or
// lies outside the 64-bit range.
std::optional<std::int64_t> WholeNumber(std::string_view text);
// The same without a minus sign, at most 4294967295.
std::optional<std::uint32_t> UnsignedNumber(std::string_view text);

// While typing: the real number at the start of the text as atof reads it (blanks, sign,
// digits, decimal point, exponent); 0 when there is none.
double LeadingReal(std::string_view text);
