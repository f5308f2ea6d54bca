// Individual (physical) address texts as the device check passes them: "1.1.5" or "01.01.005".
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Three decimal numbers separated by dots: area 0-15, line 0-15, device 0-255. Nothing else is
// accepted (no blanks, signs or empty parts). Gives (area << 12) | (line << 8) | device.
std::optional<std::uint16_t> ParseIndividualAddress(std::string_view text);
