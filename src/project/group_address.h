// GroupAddress: the 16-bit KNX group address and its text forms.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using GroupAddress = std::uint16_t;

// "1/2/3" or "1/515" to the address; missing numbers read as 0, parts are masked to their
// bit widths, a text without "/" gives 0.
GroupAddress ParseGroupAddress(std::string_view text);
// "%d/%d/%d" (main 5, middle 3, sub 8 bits) and "%d/%d" (main 5, sub 11 bits).
std::string FormatThreeLevel(GroupAddress address);
std::string FormatTwoLevel(GroupAddress address);
