// EqualNoCase and HashNoCase: Windows-1252 texts compared and hashed without regard to case.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Inline: item ID lookups compare and hash every component of every ID a client reads.
namespace no_case {

inline constexpr std::array<std::uint8_t, 256> MakeFoldTable() {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = static_cast<std::uint8_t>(c);
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = static_cast<std::uint8_t>(c + 0x20);
  // À..Þ map to à..þ, except the multiplication sign × (0xD7).
  for (int c = 0xC0; c <= 0xDE; ++c) {
    if (c != 0xD7) table[c] = static_cast<std::uint8_t>(c + 0x20);
  }
  table[0x8A] = 0x9A;  // Š
  table[0x8C] = 0x9C;  // Œ
  table[0x8E] = 0x9E;  // Ž
  table[0x9F] = 0xFF;  // Ÿ
  return table;
}

inline constexpr std::array<std::uint8_t, 256> kFold = MakeFoldTable();

}  // namespace no_case

// True when both texts have the same length and agree letter by letter, upper and lower case
// of the Windows-1252 letters (ASCII, the accented Latin-1 letters, Š Œ Ž Ÿ) counting as equal.
inline bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (no_case::kFold[static_cast<std::uint8_t>(a[i])] !=
        no_case::kFold[static_cast<std::uint8_t>(b[i])]) {
      return false;
    }
  }
  return true;
}

// A hash that agrees with EqualNoCase: texts that compare equal hash equal. Eight folded bytes
// make one word, and each word costs one multiplication.
inline std::size_t HashNoCase(std::string_view text) {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  std::uint64_t hash = kMultiplier ^ text.size();
  for (std::size_t i = 0; i < text.size(); i += 8) {
    const std::size_t n = text.size() - i < 8 ? text.size() - i : 8;
    std::uint64_t word = 0;
    for (std::size_t k = 0; k < n; ++k) {
      word |= std::uint64_t{no_case::kFold[static_cast<std::uint8_t>(text[i + k])]} << (8 * k);
    }
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 29;  // the high bits into the low ones, which pick the slot
  }
  hash *= kMultiplier;
  return static_cast<std::size_t>(hash ^ (hash >> 32));
}
