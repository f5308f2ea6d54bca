// PhysicalAddress: the 16-bit KNX individual address (area.line.device) and its text form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using PhysicalAddress = std::uint16_t;

// Codes of ParsePhysicalAddress for texts that are no valid address.
constexpr std::int32_t kPhysicalAddressNoDots = -1;
constexpr std::int32_t kPhysicalAddressBadArea = -2;
constexpr std::int32_t kPhysicalAddressBadLine = -3;
constexpr std::int32_t kPhysicalAddressBadDevice = -4;

// "1.1.5" to 0x1105. The parts are the text before the first ".", between the first and the
// last ".", and after the last "."; each reads as a decimal number (atoi: no number is 0, a
// minus sign makes it negative). Returns the value, or a negative code: fewer than two dots
// -1, area above 15 -2, line above 15 -3, device above 255 -4. A negative part passes the
// bound tests and gives a negative result; every negative result is invalid.
std::int32_t ParsePhysicalAddress(std::string_view text);

// "%.2d.%.2d.%.3d": 0x1105 is "01.01.005".
std::string FormatPhysicalAddress(PhysicalAddress value);
