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
constexpr std::int32_t kPhysicalAddressNegativePart = -5;

// How the three parts of an address text are read.
enum class AddressPartRule {
  // As atoi reads them: blanks, a sign, digits; a part that is no number reads as 0. Project
  // exports, the device check's answers.
  Atoi,
  // As Atoi, but area and line hold at most 2 characters and the device at most 3: the lines
  // of a device file.
  AtoiShort,
  // Only digits, 1 or 2 for area and line and 1 to 3 for the device: an address typed by a
  // user or written by a client, and the bus drivers' parameters.
  Digits,
};

// "1.1.5" to 0x1105. The parts are the text before the first ".", between the first and the
// last ".", and after the last "."; each is read as `rule` says. Returns the value, or a
// negative code: fewer than two dots -1; an area above 15 or not read by the rule -2, the line
// likewise -3, the device above 255 or not read -4. A part with a minus sign passes the
// bound tests and gives -5 (every negative result is invalid).
std::int32_t ParsePhysicalAddress(std::string_view text,
                                  AddressPartRule rule = AddressPartRule::Atoi);

// "%.2d.%.2d.%.3d": 0x1105 is "01.01.005".
std::string FormatPhysicalAddress(PhysicalAddress value);
