// ESF fields: the ";"-separated fields of an ESF line, counted from the left or from the right.
#pragma once

#include <cstddef>
#include <string_view>

// Field `n` from the left: field 0 is the text before the first ";". Empty when the line has
// fewer fields.
std::string_view EsfFieldFromLeft(std::string_view line, std::size_t n);
// Field `n` from the right: field 0 is the text after the last ";". Empty when the line has
// fewer fields.
std::string_view EsfFieldFromRight(std::string_view line, std::size_t n);
