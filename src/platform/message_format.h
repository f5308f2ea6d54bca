// FormatText: printf-style formatting of message texts with inserts, safe against any mismatch.
#pragma once

#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

// One insert of a message: a text, an integer or a floating-point number. An integer remembers
// whether it is a 32-bit quantity, so that "%lx" or "%08lX" of an HRESULT gives its eight hex
// digits (as on Windows, where long has 32 bits) and not a sign-extended 64-bit value.
class FormatArg {
 public:
  enum class Kind { Text, Integer, Real };

  FormatArg(std::string_view text) : kind_(Kind::Text), text_(text) {}
  FormatArg(const char* text) : kind_(Kind::Text), text_(text ? text : "") {}
  FormatArg(const std::string& text) : kind_(Kind::Text), text_(text) {}
  template <std::integral T>
  FormatArg(T value)
      : kind_(Kind::Integer),
        bits_(std::is_signed_v<T> ? static_cast<std::uint64_t>(static_cast<std::int64_t>(value))
                                  : static_cast<std::uint64_t>(value)),
        narrow_(sizeof(T) <= 4),
        signed_(std::is_signed_v<T>) {}
  FormatArg(double value) : kind_(Kind::Real), real_(value) {}

  Kind kind() const { return kind_; }
  const std::string& text() const { return text_; }
  std::uint64_t bits() const { return bits_; }
  bool narrow() const { return narrow_; }
  bool isSigned() const { return signed_; }
  double real() const { return real_; }

 private:
  Kind kind_;
  std::string text_;
  std::uint64_t bits_ = 0;
  bool narrow_ = false;
  bool signed_ = false;
  double real_ = 0;
};

// Formats `format` with the conversions %d %i %u %o %x %X %c %s %f %F %e %E %g %G and %%,
// with flags, width, precision and length modifiers (h, l, ll, L, j, z, t). Each conversion
// takes the next insert; the insert's own kind decides how it is read, so a mismatch never
// misbehaves: a number for %s is written in decimal, a text for a number conversion is read
// as a number when it is one (decimal, or hexadecimal with 0x) and written as it is otherwise,
// a conversion without an insert writes nothing, unknown conversions (also %n and %*d) are
// copied as they stand, and surplus inserts are ignored.
std::string FormatText(std::string_view format, std::span<const FormatArg> args);
