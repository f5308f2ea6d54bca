// EqualNoCase: comparison of Windows-1252 texts without regard to case, without allocation.
#pragma once

#include <string_view>

// True when both texts have the same length and agree letter by letter, upper and lower case
// of the Windows-1252 letters (ASCII, the accented Latin-1 letters, Š Œ Ž Ÿ) counting as equal.
bool EqualNoCase(std::string_view a, std::string_view b);
