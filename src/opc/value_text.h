// Text forms of tag values, qualities and time stamps, as the item list and the tool show them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_time.h"
#include "platform/variant.h"

class GroupItem;

// The value by its type: VT_I2, VT_I4 and VT_UI1 in decimal, VT_R4 and VT_R8 with four
// decimals, VT_BSTR as its first 90 characters in Windows-1252, VT_BOOL "TRUE"/"FALSE", a byte
// array as "%02x " per byte; every other type (VT_EMPTY included) gives "". With
// `eisCharacter` a VT_UI1 is followed by its character name: "65 ( A )".
std::string ValueText(const Variant& value, bool eisCharacter = false);
// The item's value text; EIS 13 items show their character names. Call under the tag lock.
std::string ItemValueText(const GroupItem& item);
// The name of an EIS 13 character: "NUL".."US", "SPACE", the character itself, "DEL"; bytes of
// 128 and more take "NUL".
std::string_view EisCharacterName(std::uint8_t c);
// "GOOD ", "UNCERTAIN ", "BAD " or "UNKNOWN??" by the two top bits of the low byte.
std::string_view QualityText(std::uint16_t quality);
// "hh:mm:ss.mmm" of the time stamp as stored.
std::string TimeText(FileTime time);
