// Hex text to bytes for the KNXnet/IP tests (blanks ignored).
#pragma once

#include <cctype>
#include <string_view>

#include "knx/knxnetip/bytes.h"

inline knxnetip::Bytes Hex(std::string_view text) {
  knxnetip::Bytes out;
  int high = -1;
  for (char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c)) == 0) continue;
    const int nibble = std::isdigit(static_cast<unsigned char>(c)) != 0
                           ? c - '0'
                           : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
    if (high < 0) {
      high = nibble;
    } else {
      out.push_back(static_cast<std::uint8_t>(high * 16 + nibble));
      high = -1;
    }
  }
  return out;
}
