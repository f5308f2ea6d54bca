// EqualNoCase and HashNoCase: Windows-1252 texts compared and hashed without regard to case.
#pragma once

#include <cstddef>
#include <string_view>

// True when both texts have the same length and agree letter by letter, upper and lower case
// of the Windows-1252 letters (ASCII, the accented Latin-1 letters, Š Œ Ž Ÿ) counting as equal.
bool EqualNoCase(std::string_view a, std::string_view b);

// A hash that agrees with EqualNoCase: texts that compare equal hash equal.
std::size_t HashNoCase(std::string_view text);
