// The KNX 2-byte float: encoding with its rounding and saturation rules, and decoding.
#include "bus/eis5_float.h"

#include <cmath>

std::array<std::uint8_t, 2> EncodeEis5(double value) {
  double x = value * 100.0;
  int sign = 0;
  if (std::isnan(x)) return {0x7F, 0xFF};
  if (x < 0) {
    sign = 1;
    x = -x;
  }
  // Anything this large saturates anyway; the cap keeps the integer conversion defined.
  if (x > 1e15) x = 1e15;
  auto m = static_cast<std::int64_t>(x + 0.5);
  int e = 0;
  const std::int64_t limit = sign ? 2048 : 2047;
  while (m > limit) {
    m >>= 1;
    ++e;
  }
  if (e > 15) {
    e = 15;
    m = limit;
  }
  if (sign) {
    if (m == 0) {
      sign = 0;
    } else {
      m = (-m) & 0x7FF;
    }
  }
  return {static_cast<std::uint8_t>(sign * 128 + e * 8 + ((m >> 8) & 0x07)),
          static_cast<std::uint8_t>(m & 0xFF)};
}

double DecodeEis5(std::uint8_t high, std::uint8_t low) {
  const int e = (high >> 3) & 0x0F;
  int m = ((high & 0x07) << 8) | low;
  if (high & 0x80) m -= 2048;
  return m * std::ldexp(1.0, e) * 0.01;
}
