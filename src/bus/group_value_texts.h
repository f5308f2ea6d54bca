// Text forms of time (EIS 3), date (EIS 4) and access-control (EIS 12) values and their bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Day names by KNX day index: 0 no day, 1 Monday ... 7 Sunday (Windows-1252 texts).
using DayNames = std::array<std::string, 8>;

// "<day name> hh:mm:ss" from the three time bytes, and back. The day part (the text before the
// first blank) is matched against the names of days 1 to 7 without regard to case.
std::string FormatTimeText(const std::uint8_t bytes[3], const DayNames& days);
std::array<std::uint8_t, 3> ParseTimeText(std::string_view text, const DayNames& days);

// "dd.mm.yyyy" from the three date bytes (years 1990 to 2089), and back. Missing numbers
// read as 0.
std::string FormatDateText(const std::uint8_t bytes[3]);
std::array<std::uint8_t, 3> ParseDateText(std::string_view text);

// "cccccc E:e P:p D:d C:c I:i" from the four access-control bytes, and back. A missing flag
// tag reads as 0, a missing index as 0; the code is right-aligned in six BCD digits.
std::string FormatAccessText(const std::uint8_t bytes[4]);
std::array<std::uint8_t, 4> ParseAccessText(std::string_view text);
