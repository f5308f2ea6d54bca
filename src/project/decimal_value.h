// DecimalValue: the number at the start of a text, read as the C runtime's atoi reads it.
#pragma once

#include <cstdint>
#include <string_view>

// Leading white space, an optional sign, then decimal digits; 0 when there are none.
// Values beyond the 32-bit range saturate, as atoi does on the original platform.
std::int32_t DecimalValue(std::string_view text);
