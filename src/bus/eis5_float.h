// The KNX 2-byte float (EIS 5): 0.01 * M * 2^E, 12-bit two's-complement mantissa, 4-bit exponent.
#pragma once

#include <array>
#include <cstdint>

// Rounds to the nearest hundredth, drops mantissa bits (without rounding) while the exponent
// grows, saturates at 670760.96 / -671088.64 and sends a value that rounds to -0.00 as +0.
// A NaN is sent as 0x7F 0xFF, the largest value, since the bus has no way to carry it.
std::array<std::uint8_t, 2> EncodeEis5(double value);
double DecodeEis5(std::uint8_t high, std::uint8_t low);
